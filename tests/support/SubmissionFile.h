#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <source_location>

namespace zelta::test {

// Every submission file the tests get from the program passes through here:
// a byte that Windows-1252 leaves without a character (0x81, 0x8D, 0x8F,
// 0x90, 0x9D), or a control character other than the LF that ends a line,
// fails the running test at the caller's line. The list of bytes is written
// out here rather than taken from the program, so a fault in the program's
// table cannot hide itself.
QByteArray checkedSubmission(const QByteArray& bytes, const std::source_location& where = std::source_location::current());
// Reads a submission file and checks it as above; empty when it cannot be read.
QByteArray readSubmission(const QString& path, const std::source_location& where = std::source_location::current());

// Checks every *.htm file in the folder and its subfolders as above (hidden
// files, the writer's temporaries, are left alone).
void checkSubmissionFolder(const QString& dir, const std::source_location& where = std::source_location::current());

// A temporary folder that submission files are written into: when it goes,
// every *.htm file in it (subfolders included, files the test never read
// included) is checked as above before the folder is removed.
class SubmissionFolder : public QTemporaryDir {
public:
    SubmissionFolder(const std::source_location& where = std::source_location::current()) : m_where(where) {}
    ~SubmissionFolder();
    SubmissionFolder(const SubmissionFolder&) = delete;
    SubmissionFolder& operator=(const SubmissionFolder&) = delete;

private:
    std::source_location m_where;
};

} // namespace zelta::test

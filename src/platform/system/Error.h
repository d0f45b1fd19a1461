#pragma once

#include <QString>
#include <stdexcept>

namespace plat {

// The one failure type of the platform and of the program's core. Its message
// is Portuguese (or the run-time's own text where the program has always shown
// that), ready for the general error report or the command line. The kind
// tells apart the failures a caller handles differently: a damaged register
// is rebuilt by a recovery, a usage error is followed by the command's usage.
class Error : public std::runtime_error {
public:
    enum class Kind {
        Database, // the table engine failed or refused
        Damaged,  // the register's file is damaged beyond rebuilding its indexes
        Input,    // a file or value given to the program cannot be read as what it should be
        Output,   // a file could not be written
        Usage,    // options of a command that cannot be used
        Layout,   // a report layout that names what does not exist
        Internal, // the program itself is incomplete (a missing resource, a call out of order)
    };

    // details: what the program's words leave out (the engine's own lines
    // about a damaged file), shown apart from the message and only on request.
    Error(Kind kind, const QString& message, const QString& details = QString())
        : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message), m_details(details)
    {}

    static Error database(const QString& message) { return {Kind::Database, message}; }
    static Error damaged(const QString& message, const QString& details = QString()) { return {Kind::Damaged, message, details}; }
    static Error input(const QString& message) { return {Kind::Input, message}; }
    static Error output(const QString& message) { return {Kind::Output, message}; }
    static Error usage(const QString& message) { return {Kind::Usage, message}; }
    static Error layout(const QString& message) { return {Kind::Layout, message}; }
    static Error internal(const QString& message) { return {Kind::Internal, message}; }

    Kind kind() const { return m_kind; }
    const QString& message() const { return m_message; }
    const QString& details() const { return m_details; }

private:
    Kind m_kind;
    QString m_message;
    QString m_details;
};

} // namespace plat

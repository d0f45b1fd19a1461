#pragma once

#include <QByteArray>
#include <QList>

namespace plat::sys {

// Keeps from the terminal what a library prints on the standard error while
// the guard lives, for the caller to put into the program's own words. The
// descriptor 2 of the process points to a file in memory meanwhile; when the
// guard ends it points back, and the lines that do not begin with one of the
// given prefixes (another thread's warning printed meanwhile) go on to the
// standard error as they were. One guard at a time in the process: a second
// one waits for the first to end.
class StderrCapture {
public:
    explicit StderrCapture(QList<QByteArray> prefixes);
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Ends the capture (once) and returns the lines kept, each ended by '\n'.
    QByteArray finish();

private:
    QList<QByteArray> m_prefixes;
    QByteArray m_kept;
    int m_saved = -1;   // the standard error as it was
    int m_capture = -1; // where it goes meanwhile
    bool m_holding = false;
};

} // namespace plat::sys

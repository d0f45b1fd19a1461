#pragma once

#include "platform/system/AtomicFile.h"

#include <QString>

namespace zelta::sheets {

// Ends an export that failed: "A planilha ARQUIVO não pôde ser gravada: why".
[[noreturn]] void sheetNotWritten(const QString& target, const QString& why);

// The hidden file a library fills by name, then handed whole to an
// AtomicFile on the target: the export keeps every promise the program's
// other outputs keep (a device, fifo or socket given as the target is
// refused before any work, the bytes reach the disk and are read back before
// the file takes its name, and a killed export leaves no file under it).
// Dropped without publish(), it leaves nothing behind.
class SheetScratch {
public:
    explicit SheetScratch(const QString& target);
    ~SheetScratch();
    SheetScratch(const SheetScratch&) = delete;
    SheetScratch& operator=(const SheetScratch&) = delete;

    const QString& target() const { return m_target; }
    // The scratch file, and the folder it lies in (the target's).
    const QString& path() const { return m_path; }
    QString folder() const;
    // Copies the scratch file onto the target. Throws plat::Error (Output).
    void publish();

private:
    QString m_target;
    plat::sys::AtomicFile m_final;
    QString m_path;
    int m_fd = -1;
};

} // namespace zelta::sheets

#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace plat::db {
class Database;
}

namespace zelta {

// Why a copy was taken; written in the copy's name. Copies named before
// reasons were recorded, or with a reason this program does not know, are
// Unknown.
enum class CopyReason {
    Unknown,
    User,             // asked for by the user
    BeforeRecovery,   // before last year's file replaced the data
    BeforeRestore,    // before a copy replaced the data
    BeforeRepair,     // a damaged register before its indexes were rebuilt
    BeforeUpgrade,    // before the schema was brought to this version
    Damaged,          // a register refused as damaged
    BeforeImport,     // before a spreadsheet was imported
    BeforeAcceptance, // before changes made outside the program were accepted
};

// The reason as the user reads it ("pelo usuário", "antes de restaurar", ...).
QString copyReasonText(CopyReason reason);

// A whole copy of the register as the copies folder holds it.
struct RegisterCopy {
    QString path;
    QDateTime taken;                         // from the copy's name
    CopyReason reason = CopyReason::Unknown; // from the copy's name
    bool sound = false;                      // passes SQLite's full check now, and its rows agree with their digests
    bool rowsDisagree = false;               // a whole file whose rows disagree with their digests
    QString sigla;                           // the institution, from the copy itself
    QString nome;
    int holders = -1; // -1 when the copy cannot be read
    int advisors = -1;
    qint64 size = 0; // bytes
};

// Whole copies of the register in the folder backups/ of the data directory,
// named after the moment they were taken and why (zelta99-AAAAMMDD-HHMMSS-
// usuario.db; a second copy within the same second adds -2 after the time). A
// copy is written under a hidden temporary name, flushed to the disk, fully
// checked and only then renamed, so a copy under its final name is always
// whole and was sound when taken; leftovers of an interrupted copy are removed
// and never listed. The five most recent distinct copies are kept. Copies of a
// damaged register are kept apart (their names end in -danificado.db): never
// listed, never restored.
class RegisterCopies {
public:
    static constexpr int kKept = 5;

    static QString folder(const QString& dataDirectory);

    struct Taken {
        QString path;
        bool created = false; // false: the newest copy already held the same content
    };

    // Copies the whole database, naming why (callers pass their reason; a
    // copy without one is listed as of unknown reason). The copy must pass
    // SQLite's full check: a database with any damage, indexes included,
    // gives no copy, so callers repair or refuse first. When the content
    // equals the newest copy, that copy is returned and nothing new is kept.
    // Throws plat::Error when no sound copy could be written (then nothing
    // should be replaced). Unless told not to, the oldest copies beyond kKept
    // go; a run that may still fail removes them with keepNewest() once it
    // succeeded.
    static Taken take(const plat::db::Database& db, const QString& dataDirectory,
                      const QDateTime& now = QDateTime::currentDateTime(), bool prune = true,
                      CopyReason reason = CopyReason::Unknown);
    static void keepNewest(const QString& dataDirectory, const Taken& taken);

    // Keeps a page-by-page copy of a damaged database apart from the sound
    // copies (its name ends in -danificado; a copy kept before a repair names
    // the repair before that). Returns its path.
    static QString keepDamaged(const plat::db::Database& db, const QString& dataDirectory,
                               const QDateTime& now = QDateTime::currentDateTime(), CopyReason reason = CopyReason::Damaged);
    // The same for a file SQLite cannot read at all: its bytes, and those of
    // its journal when there is one, are copied as they are.
    static QString keepDamagedFile(const QString& filePath, const QString& dataDirectory,
                                   const QDateTime& now = QDateTime::currentDateTime());

    // The name pattern (for QTemporaryFile or QTemporaryDir) of scratch work
    // in the data folder, such as "reparo" or "recuperacao": hidden, and
    // naming this process, so that what a killed process left behind can be
    // told from the work of one still running.
    static QString scratchTemplate(const QString& dataDirectory, const QString& work);
    // Removes the scratch files and folders of processes that no longer run.
    static void removeScratchLeftovers(const QString& dataDirectory);

    // Removes a copy taken by a run that then failed before changing the
    // data, so that failures cannot push good copies out.
    static void discard(const Taken& taken);

    // The copies apart from the damaged ones, oldest first.
    static QStringList list(const QString& dataDirectory);
    // Whether the folder holds any copy, a damaged one included.
    static bool anyKept(const QString& dataDirectory);

    // The copies of list(), newest first, with what each holds and whether it
    // passes SQLite's full check now (each file is checked once per process:
    // copies never change under their final names).
    static QList<RegisterCopy> describe(const QString& dataDirectory);
    static RegisterCopy describeFile(const QString& path);

    // A copy named by the user: a path, or the position in describe()
    // (1 = newest). Empty when it names none.
    static QString resolve(const QString& dataDirectory, const QString& nameOrNumber);

    // How a copy and its folder are flushed to the disk (fsync by default),
    // so tests can make it fail. Returns the previous one.
    using Sync = std::function<int(int fd)>;
    static Sync setSync(Sync sync);
};

} // namespace zelta

#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace plat::db {
class Database;
}

namespace zelta {

// A whole copy of the register as the copies folder holds it.
struct RegisterCopy {
    QString path;
    QDateTime taken;        // from the copy's name
    QString sigla;          // the institution, from the copy itself
    QString nome;
    int holders = -1;       // -1 when the copy cannot be read
    int advisors = -1;
    qint64 size = 0;        // bytes
};

// Whole copies of the register in the folder backups/ of the data directory,
// named after the moment they were taken (zelta99-AAAAMMDD-HHMMSS.db). A copy
// is written under a hidden temporary name, flushed to the disk, checked and
// only then renamed, so a copy under its final name is always whole and sound;
// leftovers of an interrupted copy are removed and never listed. The five most
// recent distinct copies are kept. Copies of a damaged register are kept apart
// (zelta99-AAAAMMDD-HHMMSS-danificado.db): never listed, never restored.
class RegisterCopies {
public:
    static constexpr int kKept = 5;

    static QString folder(const QString& dataDirectory);

    struct Taken {
        QString path;
        bool created = false;   // false: the newest copy already held the same content
    };

    // Copies the whole database. When the content equals the newest copy, that
    // copy is returned and nothing new is kept. Throws plat::Error when no sound
    // copy could be written (then nothing should be replaced). Unless told
    // not to, the oldest copies beyond kKept go; a run that may still fail
    // removes them with keepNewest() once it succeeded.
    static Taken take(const plat::db::Database& db, const QString& dataDirectory,
                      const QDateTime& now = QDateTime::currentDateTime(), bool prune = true);
    static void keepNewest(const QString& dataDirectory, const Taken& taken);

    // Keeps a page-by-page copy of a damaged database apart from the sound
    // copies. Returns its path.
    static QString keepDamaged(const plat::db::Database& db, const QString& dataDirectory,
                               const QDateTime& now = QDateTime::currentDateTime());

    // Removes a copy taken by a run that then failed before changing the
    // data, so that failures cannot push good copies out.
    static void discard(const Taken& taken);

    // The sound copies, oldest first.
    static QStringList list(const QString& dataDirectory);

    // The sound copies, newest first, with what each holds.
    static QList<RegisterCopy> describe(const QString& dataDirectory);
    static RegisterCopy describeFile(const QString& path);

    // A copy named by the user: a path, or the position in describe()
    // (1 = newest). Empty when it names none.
    static QString resolve(const QString& dataDirectory, const QString& nameOrNumber);
};

} // namespace zelta

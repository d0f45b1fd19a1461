// How the register's file is judged before the program opens it: read-only,
// so that a file that is not a whole register of ours keeps every byte, its
// journal or log included; and the message that refuses a damaged one.
#include "data/TDm_Dados.h"

#include "data/RegisterCopies.h"
#include "platform/system/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace plat::db;
using plat::Error;

namespace zelta {

namespace {

// Whether a companion of a file (its journal, its log) holds any byte.
bool holdsBytes(const QString& path) { return QFileInfo(path).size() > 0; }

// What a first look at a database tells: its schema version, and whether it
// has any table.
struct Look {
    int version = 0;
    bool empty = true;
};

Look look(const Database& db)
{
    return {db.userVersion(), db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table'")).toInt() == 0};
}

} // namespace

void TDm_Dados::examineRegister()
{
    const QString file = databaseFile();
    if (!QFileInfo(file).isFile())
        return; // missing: created by the open; anything else: refused by it
    const bool journal = holdsBytes(file + QStringLiteral("-journal"));
    const bool log = holdsBytes(file + QStringLiteral("-wal"));
    // The file's own bytes first. A journal means they may be half a write:
    // only the file with its journal played back tells.
    if (!journal) {
        Database alone;
        bool readable = false;
        Look seen;
        try {
            alone.openFileAlone(file);
            seen = look(alone);
            readable = true;
        } catch (const Error& e) {
            if (e.kind() != Error::Kind::Damaged)
                throw;
        }
        if (!readable && !log)
            throw Error::damaged(damagedMessage(QStringLiteral("não pode ser lido")));
        // A log may hold what an empty-looking file lacks (a register whose
        // first writes were never folded into it).
        if (readable && (!log || !seen.empty || seen.version != 0)) {
            judgeRegister(alone, seen.version == 0 && seen.empty, log);
            return;
        }
    }
    // A log with its index beside it (a program has the file open, or had):
    // a read-only connection reads it as it is, creating nothing and folding
    // nothing into the file.
    if (!journal && QFileInfo::exists(file + QStringLiteral("-shm"))) {
        Database reader;
        Look seen;
        try {
            reader.openReadOnly(file);
            seen = look(reader);
        } catch (const Error& e) {
            if (e.kind() != Error::Kind::Damaged)
                throw;
            throw Error::damaged(damagedMessage(QStringLiteral("não pode ser lido")));
        }
        judgeRegister(reader, seen.version == 0 && seen.empty, true);
        return;
    }
    // A private copy of the file with its companions, opened as SQLite opens
    // it: the journal is played back, or the log read, there.
    QTemporaryDir scratch(RegisterCopies::scratchTemplate(m_dir, QStringLiteral("exame")));
    if (!scratch.isValid())
        throw Error::output(
            QStringLiteral("Não foi possível criar uma pasta de trabalho em %1").arg(QDir::toNativeSeparators(m_dir)));
    const QString copy = QDir(scratch.path()).filePath(QString::fromLatin1(kFileName));
    for (const QString& suffix : {QString(), QStringLiteral("-journal"), QStringLiteral("-wal")})
        if (QFileInfo::exists(file + suffix)) {
            QFile from(file + suffix);
            if (!from.copy(copy + suffix))
                throw Error::output(QStringLiteral("Não foi possível examinar %1: %2")
                                        .arg(QDir::toNativeSeparators(file + suffix), from.errorString()));
        }
    Database view;
    Look seen;
    try {
        view.open(copy, false);
        seen = look(view);
    } catch (const Error& e) {
        if (e.kind() != Error::Kind::Damaged)
            throw;
        throw Error::damaged(damagedMessage(QStringLiteral("não pode ser lido")));
    }
    judgeRegister(view, seen.version == 0 && seen.empty, true);
}

void TDm_Dados::judgeRegister(Database& db, bool blank, bool companions) const
{
    // A file without tables is a new register only where no register was:
    // beside copies, or with a journal or log of its own, it is what is left
    // of one, and it is kept as it is.
    if (blank) {
        if (companions || RegisterCopies::anyKept(m_dir))
            throw Error::damaged(damagedMessage(QStringLiteral("está vazio")));
        return;
    }
    acceptSchema(db, databaseFile());
}

void TDm_Dados::acceptSchema(Database& db, const QString& filePath) const
{
    const QString shown = QDir::toNativeSeparators(filePath);
    const int version = db.userVersion();
    if (version > kSchemaVersion)
        throw Error::input(QStringLiteral("Os dados em %1 foram gravados por uma versão mais nova do programa").arg(shown));
    if (version < 1)
        throw Error::input(QStringLiteral("O arquivo %1 não é um arquivo de dados deste programa").arg(shown));
    for (const TableDef& def : tableDefinitions()) {
        if (db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE"),
                      {def.name})
                .toInt()
            == 0)
            throw Error::database(QStringLiteral("O arquivo %1 está danificado: falta a tabela %2").arg(shown, def.name));
        // Our table names over other columns are another program's tables:
        // the stored columns (the computed sort columns aside) must be the
        // definition's fields, in order.
        Statement st = db.prepare(QStringLiteral("SELECT name FROM pragma_table_xinfo(?) WHERE hidden=0"));
        st.bind(1, def.name);
        QStringList stored;
        while (st.step())
            stored << st.text(0).toUpper();
        QStringList defined;
        for (const FieldDef& f : def.fields)
            defined << f.name.toUpper();
        if (stored != defined)
            throw Error::input(QStringLiteral("O arquivo %1 não é um arquivo de dados deste programa").arg(shown));
    }
}

plat::Error TDm_Dados::damagedError(const QString& problem, const QStringList& engineLines) const
{
    return Error::damaged(damagedMessage(problem), engineLines.join(u'\n'));
}

QString TDm_Dados::damagedMessage(const QString& problem) const
{
    const QString file = QDir::toNativeSeparators(databaseFile());
    QString message = problem.isEmpty()
                          ? QStringLiteral("O arquivo de dados %1 está danificado e não foi alterado. ").arg(file)
                          : QStringLiteral("O arquivo de dados %1 está danificado (%2) e não foi alterado. ").arg(file, problem);
    // Only a copy that passes the full check is offered.
    const SoundCopy copy = newestSoundCopy(m_dir);
    if (!copy.path.isEmpty())
        return message
               + QStringLiteral("A cópia de segurança sã mais recente é %1, de %2. Para restaurá-la, use "
                                "\"Cópias de Segurança...\" no menu Arquivo, ou o comando: zelta99 restaurar %3")
                     .arg(QDir::toNativeSeparators(copy.path), copy.taken.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")))
                     .arg(copy.position);
    return message
           + QStringLiteral("Não há cópia de segurança sã. Recupere os dados do arquivo do ano anterior "
                            "(\"Recuperar dados do Zelta 1999\" no menu Arquivo, ou o comando: zelta99 "
                            "recuperar ARQUIVO), que monta um arquivo de dados novo");
}

} // namespace zelta

#include "data/TDm_Dados.h"

#include "data/AreaTree.h"
#include "data/RegisterCopies.h"
#include "data/RegisterRepair.h"
#include "data/RegisterUpgrade.h"
#include "platform/system/Error.h"
#include "platform/system/PrivateFiles.h"
#include "validation/Situacao.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryFile>

#include <algorithm>
#include <optional>

using namespace plat::db;
using plat::Error;

namespace zelta {

namespace {

Query* query(Database& db, QObject* parent, const char* name, const QStringList& lines)
{
    auto* q = new Query(db, parent);
    q->setObjectName(QString::fromLatin1(name));
    q->setSql(lines);
    return q;
}

Table* table(Database& db, QObject* parent, const char* name, const char* tableName)
{
    auto* t = new Table(db, QString::fromLatin1(tableName), parent);
    t->setObjectName(QString::fromLatin1(name));
    return t;
}

DataSource* source(QObject* parent, const char* name)
{
    auto* d = new DataSource(parent);
    d->setObjectName(QString::fromLatin1(name));
    return d;
}

// Writes a table anew under its current definition, keeping every row, its
// record number and the table's auto-increment counter.
void rebuildTable(Database& db, const TableDef& def)
{
    const QString stored = db.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE"),
                                     {def.name})
                               .toString();
    if (stored == createTableSql(def))
        return;
    TableDef next = def;
    next.name = def.name + QStringLiteral("_NOVO");
    QStringList columns;
    for (const FieldDef& f : def.fields)
        columns << u'"' + f.name + u'"';
    // The record number is kept too; a table with an auto-increment field has
    // it as that field already.
    const bool autoInc = std::any_of(def.fields.cbegin(), def.fields.cend(),
                                     [](const FieldDef& f) { return f.type == FieldType::AutoInc; });
    if (!autoInc)
        columns.prepend(QStringLiteral("rowid"));
    const QString list = columns.join(u',');
    const QVariant sequence = db.scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name=? COLLATE NOCASE"),
                                        {def.name});
    db.exec(createTableSql(next));
    db.exec(QStringLiteral("INSERT INTO \"%1\" (%2) SELECT %2 FROM \"%3\"").arg(next.name, list, def.name));
    db.exec(QStringLiteral("DROP TABLE \"%1\"").arg(def.name));
    db.exec(QStringLiteral("ALTER TABLE \"%1\" RENAME TO \"%2\"").arg(next.name, def.name));
    for (const QString& sql : createIndexSql(def))
        db.exec(sql);
    if (sequence.isValid()) {
        db.exec(QStringLiteral("DELETE FROM sqlite_sequence WHERE name=?"), {def.name});
        db.exec(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"), {def.name, sequence});
    }
}

} // namespace

TDm_Dados::TDm_Dados(const QString& dataDirectory, QObject* parent) : QObject(parent), m_dir(dataDirectory)
{
    setObjectName(QStringLiteral("Dm_Dados"));
    for (const TableDef& def : tableDefinitions())
        m_db.addTable(def);
    m_db.setOpener([this](Database& db) { openDatabase(db); });
    m_db.setWriteGate([this] { gateWrite(); });

    Tb_Instituicao = table(m_db, this, "Tb_Instituicao", "ZELTAINT");
    Tb_Bolsistas = table(m_db, this, "Tb_Bolsistas", "ZELTABOL");
    Tb_Bolsistas->setIndexFieldNames(QStringLiteral("Nome"));
    Tb_SelBolsista = table(m_db, this, "Tb_SelBolsista", "ZELTABOL");
    Tb_SelBolsista->setIndexFieldNames(QStringLiteral("CPF"));
    Tb_SelBolsista->setDeclaredFields({QStringLiteral("CPF"), QStringLiteral("Nome"), QStringLiteral("NUMERO_ORIENTADOR")});
    Tb_Orientador = table(m_db, this, "Tb_Orientador", "ZELTAORI");
    Tb_Orientador->setIndexFieldNames(QStringLiteral("NOME"));
    Tb_SelOrientador = table(m_db, this, "Tb_SelOrientador", "ZELTAORI");
    Tb_SelOrientador->setIndexFieldNames(QStringLiteral("CPF"));
    Tb_SelOrientador->setDeclaredFields({QStringLiteral("CPF"), QStringLiteral("NOME")});
    Tb_SubArea = table(m_db, this, "Tb_SubArea", "GRANDE_A");
    Tb_SubArea->setIndexFieldNames(QStringLiteral("SUBAREA"));
    Tb_Erro_Bol_Ori = table(m_db, this, "Tb_Erro_Bol_Ori", "ZELTAERR");

    Qr_TotalRenovado = query(m_db, this, "Qr_TotalRenovado",
                             {QStringLiteral("Select Count(*) as TotalRenovado"), QStringLiteral("From ZELTABOL"),
                              QStringLiteral("Where Situacao=:renovado")});
    Qr_TotalNovo = query(m_db, this, "Qr_TotalNovo",
                         {QStringLiteral("Select Count(*) as TotalNovo"), QStringLiteral("From ZELTABOL"),
                          QStringLiteral("Where Situacao=:novo")});
    Qr_TotalExcluido = query(m_db, this, "Qr_TotalExcluido",
                             {QStringLiteral("Select Count(*) as TotalExcluido"), QStringLiteral("From ZELTABOL"),
                              QStringLiteral("Where Situacao=:excluido")});
    Qr_Bolsistas = query(
        m_db, this, "Qr_Bolsistas",
        {QStringLiteral("Select "),
         QStringLiteral(
             "    Distinct(T1.Nome),t1.Altera,T1.Cpf, T1.Cpf_ExOrientador,T1.Cpf_Orientador,T2.Nome, t1.numero_orientador"),
         QStringLiteral("From"), QStringLiteral("    ZeltaBol T1, ZeltaOri T2"), QStringLiteral("where "),
         QStringLiteral("   T1.Cpf_ExOrientador =T2.Cpf"), QStringLiteral("and"), QStringLiteral("    T1.Altera ='S'"),
         QStringLiteral("and"), QStringLiteral("    T2.Altera='S'"), QString(), QString()});
    Qr_Limpa = query(m_db, this, "Qr_Limpa", {});
    Qr_Relatorio_Bol = query(m_db, this, "Qr_Relatorio_Bol",
                             {QStringLiteral("Select *"), QStringLiteral("From ZeltaBol"),
                              QStringLiteral("Where Situacao=:renovado")});

    for (Query* q : {Qr_TotalRenovado, Qr_TotalNovo, Qr_TotalExcluido, Qr_Relatorio_Bol})
        situacao::bind(*q);

    Ds_Bolsistas = source(this, "Ds_Bolsistas");
    Ds_Bolsistas->setDataSet(Tb_Bolsistas);
    Ds_SelBolsista = source(this, "Ds_SelBolsista");
    Ds_SelBolsista->setDataSet(Tb_SelBolsista);
    Ds_Orientador = source(this, "Ds_Orientador");
    Ds_Orientador->setDataSet(Tb_Orientador);
    Ds_SelOrientador = source(this, "Ds_SelOrientador");
    Ds_SelOrientador->setDataSet(Tb_SelOrientador);
    Ds_QrBolsistas = source(this, "Ds_QrBolsistas");
    Ds_QrBolsistas->setDataSet(Qr_Bolsistas);
    Ds_Relatorio_Bol = source(this, "Ds_Relatorio_Bol");
    Ds_Relatorio_Bol->setDataSet(Qr_Relatorio_Bol);
}

TDm_Dados::~TDm_Dados()
{
    // A check still running reads the file through a connection of its own.
    if (m_startThread.joinable())
        m_startThread.join();
    // Cursors go before the database they read.
    for (Table* t : findChildren<Table*>())
        t->close();
    for (Query* q : findChildren<Query*>())
        q->close();
    // The cursors refer to m_db, a member, which is gone by the time the
    // QObject base deletes its children: they are deleted while it exists.
    qDeleteAll(findChildren<Table*>());
    m_db.close();
}

namespace {

// The ordering a cursor walks in, open or closed: the index its key fields
// or its index name choose, as opening it would resolve them.
Ordering cursorOrdering(const Table& table)
{
    const TableDef& def = table.definition();
    const QString fields = table.indexFieldNames();
    const IndexDef* index = fields.isEmpty() ? def.indexByName(table.indexName())
                                             : def.indexByFields(fields.split(u';', Qt::SkipEmptyParts));
    if (!index)
        throw Error::database(QStringLiteral("Índice não encontrado: %1").arg(fields.isEmpty() ? table.indexName() : fields));
    return Ordering(def, index->fields);
}

} // namespace

Ordering TDm_Dados::holderOrdering() const { return cursorOrdering(*Tb_Bolsistas); }

Ordering TDm_Dados::advisorOrdering() const { return cursorOrdering(*Tb_Orientador); }

QString TDm_Dados::databaseFile() const { return QDir(m_dir).filePath(QString::fromLatin1(kFileName)); }

void TDm_Dados::openDatabase(Database& db)
{
    if (!QFileInfo(m_dir).exists() && !plat::sys::makePrivatePath(m_dir))
        throw Error::output(QStringLiteral("Não foi possível criar a pasta de dados %1").arg(QDir::toNativeSeparators(m_dir)));
    RegisterCopies::removeScratchLeftovers(m_dir);
    examineRegister();
    int version = 0;
    bool empty = true;
    bool readable = false;
    // Everything that decides whether the file is ours and sound runs before
    // the first write, so a refused file keeps every byte.
    const auto accept = [&](Database& d) {
        readable = true;
        version = d.userVersion();
        empty = d.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table'")).toInt() == 0;
        if (version == 0 && empty)
            return; // a new file, provisioned below
        acceptSchema(d, databaseFile());
        const QStringList problems = d.checkIntegrity(true);
        if (!problems.isEmpty())
            repairOrRefuse(d, problems);
    };
    bool created = false;
    try {
        created = db.open(databaseFile(), true, accept);
    } catch (const Error& e) {
        // SQLite cannot read the file at all (its header or its schema is
        // gone): damaged, with the way out that any damage has.
        if (e.kind() != Error::Kind::Damaged || readable)
            throw;
        throw Error::damaged(damagedMessage(QStringLiteral("não pode ser lido")));
    }
    try {
        if (created || (version == 0 && empty))
            provision(db);
        else if (version < kSchemaVersion)
            upgrade(db, version);
        // Every write of this connection keeps the row digests current.
        if (hasDigestTable(db))
            installDigestTriggers(db);
    } catch (...) {
        db.close();
        throw;
    }
}

namespace {

// A list of records for a message: the first twenty, and how many more.
QString recordList(const QStringList& records)
{
    constexpr int kShown = 20;
    QString out = records.mid(0, kShown).join(QStringLiteral("; "));
    if (records.size() > kShown)
        out += QStringLiteral("; e mais %1").arg(records.size() - kShown);
    return out;
}

} // namespace

TDm_Dados::Repaired TDm_Dados::repairScratch(const QString& path, const QStringList& problems) const
{
    // What the tables and the indexes say, each read on its own: the tables
    // row by row, each index from its entries alone.
    QList<TableContent> before;
    IndexComparison comparison;
    try {
        Database raw;
        raw.openReadOnly(path);
        before = raw.readContent();
        comparison = raw.compareIndexes(before);
    } catch (const Error&) {
        throw damagedError(QString(), problems);
    }
    Repaired out;
    std::optional<QList<TableContent>> copyContent;
    bool looked = false;
    const auto copy = [&]() -> const QList<TableContent>* {
        if (!looked) {
            looked = true;
            out.copy = newestSoundCopy(m_dir);
            try {
                if (!out.copy.path.isEmpty()) {
                    Database raw;
                    raw.openReadOnly(out.copy.path);
                    copyContent = raw.readContent();
                }
            } catch (const Error&) {
                // A copy that cannot be read proves nothing.
            }
        }
        return copyContent ? &*copyContent : nullptr;
    };
    const RepairPlan plan(before, comparison, copy);
    if (!plan.unsettled().isEmpty())
        throw damagedError(QStringLiteral("as tabelas e os índices não dizem o mesmo, e não há como saber qual está certo, "
                                          "nos registros: %1")
                               .arg(recordList(plan.unsettled())),
                           problems);
    if (!Database::rebuildIndexes(path, plan.changes()).isEmpty())
        throw damagedError(QString(), problems);
    // Every row of every table after the repair against the row before.
    QStringList changed;
    try {
        Database raw;
        raw.openReadOnly(path);
        changed = plan.unexplained(raw.readContent());
    } catch (const Error& e) {
        changed << e.message();
    }
    if (!changed.isEmpty())
        throw damagedError(QStringLiteral("a reparação mudaria os registros: %1").arg(recordList(changed)), problems);
    out.restored = plan.restored();
    return out;
}

void TDm_Dados::repairOrRefuse(Database& db, const QStringList& problems)
{
    // The repair is worked out and done on a scratch copy; the register takes
    // the repaired content only when the whole file then checks sound and
    // every row was compared with what it held before, and only after a copy
    // of it as it was is kept.
    QTemporaryFile scratch(RegisterCopies::scratchTemplate(m_dir, QStringLiteral("reparo")) + QStringLiteral(".db"));
    if (!scratch.open())
        throw damagedError(QString(), problems);
    scratch.close();
    const auto removeJournal = qScopeGuard([&] { QFile::remove(scratch.fileName() + QStringLiteral("-journal")); });
    try {
        db.backupTo(scratch.fileName());
    } catch (const Error&) {
        throw damagedError(QString(), problems);
    }
    const Repaired repaired = repairScratch(scratch.fileName(), problems);
    const QString kept = RegisterCopies::keepDamaged(db, m_dir, QDateTime::currentDateTime(), CopyReason::BeforeRepair);
    db.restoreFrom(scratch.fileName());
    const QStringList left = db.checkIntegrity(false);
    if (!left.isEmpty())
        throw damagedError(QString(), left);
    const QString file = QDir::toNativeSeparators(databaseFile());
    if (repaired.restored.isEmpty()) {
        m_notices << QStringLiteral("Os índices do arquivo de dados %1 estavam danificados e foram refeitos a partir das "
                                    "tabelas; nenhum registro foi perdido. O arquivo como estava foi guardado em %2")
                         .arg(file, QDir::toNativeSeparators(kept));
        return;
    }
    m_notices << QStringLiteral("O arquivo de dados %1 estava danificado e foi reparado. Nos registros a seguir a tabela "
                                "não dizia o mesmo que os índices, e a cópia de segurança %2, de %3, confirmou o que os "
                                "índices guardavam; o valor da cópia foi restaurado: %4. Os demais registros foram "
                                "comparados um a um e não mudaram. O arquivo como estava foi guardado em %5")
                     .arg(file, QDir::toNativeSeparators(repaired.copy.path),
                          repaired.copy.taken.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")), recordList(repaired.restored),
                          QDir::toNativeSeparators(kept));
}

QStringList TDm_Dados::takeNotices()
{
    QStringList out;
    out.swap(m_notices);
    return out;
}

void TDm_Dados::checkRegister()
{
    // A start check that reports now and found the register sound (or
    // repaired it) is the full check.
    if (settleStartCheck() && !m_startFailure)
        return;        // the start check compared the digests too
    m_db.ensureOpen(); // opened (and quick-checked) when it was closed
    repairIfDamaged(m_db.checkIntegrity(false));
    checkRowDigests();
}

void TDm_Dados::repairIfDamaged(const QStringList& problems)
{
    if (problems.isEmpty())
        return;
    CursorPause pause(*this);
    repairOrRefuse(m_db, problems);
}

QString TDm_Dados::keepDamagedRegister(const QDateTime& now)
{
    try {
        Database raw;
        raw.openReadOnly(databaseFile());
        return RegisterCopies::keepDamaged(raw, m_dir, now);
    } catch (const Error&) {
        // SQLite cannot read it page by page: its bytes are kept as they are.
    }
    return RegisterCopies::keepDamagedFile(databaseFile(), m_dir, now);
}

void TDm_Dados::replaceRegister(const QString& sourcePath)
{
    abandonStartCheck();
    CursorPause pause(*this);
    m_db.close();
    bool readable = false;
    const auto replace = [&] {
        Database target;
        target.open(databaseFile(), true, [&](Database& d) {
            readable = true;
            d.restoreFrom(sourcePath);
        });
    };
    try {
        replace();
        m_startFailure.reset(); // the refused content is gone
        return;
    } catch (const Error& e) {
        // Only a file SQLite could not open is taken away; a failure of the
        // copying itself leaves the register as it is.
        if (e.kind() != Error::Kind::Damaged || readable)
            throw;
    }
    // A file SQLite cannot read at all cannot be written into either. It was
    // kept among the copies before this call: it goes, with its journal, which
    // would otherwise be played back into the new file.
    for (const char* suffix : {"-journal", "-wal", "-shm", ""})
        QFile::remove(databaseFile() + QLatin1StringView(suffix));
    replace();
    m_startFailure.reset();
}

bool TDm_Dados::isRegisterFile(const QString& path, const QString& dataDirectory)
{
    const QFileInfo target(path);
    const QString folder = QFileInfo(target.absolutePath()).canonicalFilePath();
    if (folder.isEmpty() || folder != QFileInfo(dataDirectory).canonicalFilePath())
        return false;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        if (target.fileName() == QLatin1StringView(kFileName) + QLatin1StringView(suffix))
            return true;
    return false;
}

QString TDm_Dados::restore(const QString& copyPath, const QDateTime& now)
{
    abandonStartCheck();
    const QString shown = QDir::toNativeSeparators(copyPath);
    if (QFileInfo(copyPath).canonicalFilePath() == QFileInfo(databaseFile()).canonicalFilePath())
        throw Error::input(QStringLiteral("%1 é o próprio arquivo de dados, não uma cópia").arg(shown));
    // What is checked is what is put in place: the copy's own bytes. A
    // journal or log beside it holds changes those bytes lack.
    for (const QString& suffix : {QStringLiteral("-journal"), QStringLiteral("-wal")})
        if (QFileInfo(copyPath + suffix).size() > 0)
            throw Error::input(QStringLiteral("A cópia %1 não pode ser restaurada: %2 tem alterações pendentes")
                                   .arg(shown, QDir::toNativeSeparators(copyPath + suffix)));
    const QStringList problems = Database::checkFile(copyPath, false, true);
    if (!problems.isEmpty())
        throw Error::input(QStringLiteral("A cópia %1 não pode ser restaurada: %2").arg(shown, problems.first()));
    {
        Database copy;
        copy.openFileAlone(copyPath);
        acceptSchema(copy, copyPath);
        // A restore brings the copy's digests with it: they must agree.
        if (!findOutsideChanges(copy).isEmpty())
            throw Error::input(
                QStringLiteral("A cópia %1 não pode ser restaurada: tem registros alterados fora do programa").arg(shown));
    }
    // The data being replaced is kept first; a register that fails the full
    // check is kept apart from the sound copies. A foreign file is not
    // replaced. Older copies go only once the restore succeeded: the copy
    // being restored may be the oldest.
    QString previous;
    RegisterCopies::Taken taken;
    if (QFileInfo::exists(databaseFile())) {
        bool sound = false;
        try {
            sound = m_db.checkIntegrity(false).isEmpty() && findOutsideChanges(m_db).isEmpty();
        } catch (const Error& e) {
            if (e.kind() != Error::Kind::Damaged)
                throw;
        }
        if (sound) {
            taken = RegisterCopies::take(m_db, m_dir, now, false, CopyReason::BeforeRestore);
            previous = taken.path;
        } else {
            previous = keepDamagedRegister(now);
        }
    }
    replaceRegister(copyPath);
    if (taken.created)
        RegisterCopies::keepNewest(m_dir, taken);
    // The copy is in place and the replaced data kept: the restore is done.
    // A register that then fails to open is told as a notice, not as a
    // failed restore that would hide where the replaced data went.
    try {
        m_db.ensureOpen();
    } catch (const Error& e) {
        m_notices << QStringLiteral("Os dados restaurados não puderam ser abertos: %1").arg(e.message());
    }
    return previous;
}

TDm_Dados::CursorPause::CursorPause(TDm_Dados& dm)
{
    for (Table* t : dm.findChildren<Table*>())
        if (t->isOpen()) {
            t->close();
            m_reopen << t;
        }
    for (Query* q : dm.findChildren<Query*>())
        q->close();
}

TDm_Dados::CursorPause::~CursorPause()
{
    for (Table* t : std::as_const(m_reopen)) {
        try {
            t->open();
        } catch (...) {
            // The cursor stays closed; the next window that needs it opens
            // it and reports what is wrong.
        }
    }
}

void TDm_Dados::provision(Database& db)
{
    Database::Transaction tx(db);
    for (const TableDef& def : db.tables()) {
        db.exec(createTableSql(def));
        for (const QString& sql : createIndexSql(def))
            db.exec(sql);
    }
    Statement ins = db.prepare(QStringLiteral("INSERT INTO GRANDE_A (SUBAREA, CODIGO) VALUES (?, ?)"));
    for (const AreaNode& node : areaTree()) {
        ins.reset();
        ins.bind(1, node.name);
        ins.bind(2, node.code);
        ins.exec();
    }
    db.exec(QStringLiteral("INSERT INTO ZELTAINT (Numero_Instituicao, Sigla, Cotas, Memo, Nome) VALUES ('', '', 0, NULL, '')"));
    createDigestTable(db);
    computeAllDigests(db);
    db.setUserVersion(kSchemaVersion);
    tx.commit();
}

void TDm_Dados::upgrade(Database& db, int from)
{
    // Each step takes a stored database from one schema version to the next,
    // in place, in one transaction, after a copy of the file was kept.
    if (from < 1)
        throw Error::input(QStringLiteral("O arquivo %1 não é um arquivo de dados deste programa")
                               .arg(QDir::toNativeSeparators(databaseFile())));
    // The copy is taken from a register that passes the full check: damage
    // confined to indexes is repaired first, other damage refused.
    const QStringList problems = db.checkIntegrity(false);
    if (!problems.isEmpty())
        repairOrRefuse(db, problems);
    RegisterCopies::take(db, m_dir, QDateTime::currentDateTime(), true, CopyReason::BeforeUpgrade);
    Database::Transaction tx(db);
    if (from < 2) {
        // Version 2 stores the sort columns: SQLite cannot change a column's
        // kind, so each table whose definition changed is written anew.
        for (const TableDef& def : db.tables())
            rebuildTable(db, def);
    }
    if (from < 3)
        raiseStoredTitles(db);
    // Last, so that the digests are those of the rows every step wrote.
    if (from < 4) {
        createDigestTable(db);
        computeAllDigests(db);
    }
    db.setUserVersion(kSchemaVersion);
    tx.commit();
}

} // namespace zelta

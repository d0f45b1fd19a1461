#pragma once

#include "data/RegisterRepair.h"
#include "data/RowDigests.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/system/Error.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>
#include <thread>

namespace zelta {

// The program's tables, cursors, queries and data sources, shared by every
// window. Every cursor starts closed; each window opens what it needs and closes
// it again. The database behind the alias is opened on first use, creating it
// (with the area table and the institution record) when the directory holds none.
//
// A file is accepted (schema version, tables and their columns, SQLite's
// quick check) before anything is written to it; a foreign, newer or damaged
// file keeps every byte, its journal or log included, and an empty file
// beside copies of the register is damaged, not new. Damage confined to
// indexes is repaired after a copy of the file was kept, and the user is told
// through notices. Where a table and its indexes disagree, the newest sound
// copy decides; without proof the file is refused.
class TDm_Dados : public QObject {
    Q_OBJECT
public:
    // 2: the sort columns of the name orders are stored, no longer computed.
    // 3: project titles in capitals with their accents.
    // 4: row digests.
    static constexpr int kSchemaVersion = 4;
    static constexpr const char* kFileName = "zelta99.db";
    // Whether path names the register of dataDirectory or a file SQLite keeps
    // beside it (its journal, write-ahead log or shared memory): never the
    // target of an output, which would take the register's place or be
    // deleted with the log.
    static bool isRegisterFile(const QString& path, const QString& dataDirectory);

    explicit TDm_Dados(const QString& dataDirectory, QObject* parent = nullptr);
    ~TDm_Dados() override;

    plat::db::Database& database() { return m_db; }
    QString dataDirectory() const { return m_dir; }
    QString databaseFile() const;

    // Table definitions of the alias (fields, sizes, masks, orderings).
    static QList<plat::db::TableDef> tableDefinitions();

    // The orderings the holder and the advisor cursors walk in, open or
    // closed: the order of the verification's log and of the problems listed.
    plat::db::Ordering holderOrdering() const;
    plat::db::Ordering advisorOrdering() const;

    // What the user should be told about the register's file (an index
    // rebuilt, a schema upgraded), once: the list is emptied.
    QStringList takeNotices();

    // SQLite's full check of the register, before the submission file is
    // written and before a verification. Damage confined to indexes is
    // repaired (a notice tells so); where a table row and its index entries
    // disagree, the newest sound copy settles it (its value restored, and the
    // notice names the records and the copy) or the file is refused. Other
    // damage throws plat::Error of kind Damaged.
    void checkRegister();
    // The same for the problems of a check already run (none: nothing to do).
    void repairIfDamaged(const QStringList& problems);

    // The rows compared with their digests (and the areas with the shipped
    // list), part of the full check: rows changed outside the program throw
    // plat::Error of kind Damaged naming each record, the newest sound copy
    // and the two ways out (restore it, or accept).
    void checkRowDigests();
    // Accepts the rows as they are now: a copy is taken first (reason
    // BeforeAcceptance; it keeps the digests that disagree, and is listed as
    // not sound), then every digest is computed anew. Damage of the file is
    // repaired or refused first, as by checkRegister. Returns the records
    // accepted (empty: none was changed outside the program, and nothing
    // was written) and the copy.
    struct Acceptance {
        QStringList records;
        QString copy;
    };
    Acceptance acceptOutsideChanges(const QDateTime& now = QDateTime::currentDateTime());

    // The full check when the window program opens the register. A register
    // of up to backgroundRows rows (holders and advisors) is checked at once;
    // a larger one on a read-only connection of its own in a worker thread,
    // reading while the windows read. Either way the result is handled on
    // this object's thread (a repair through repairIfDamaged, or a refusal)
    // and startCheckReported() is emitted: the notices are in takeNotices(),
    // a refusal in takeStartCheckFailure(). Until the check reported, every
    // write of the register waits for it; a refused register refuses every
    // write until a copy or a recovery replaces it. Never throws.
    static constexpr int kBackgroundCheckRows = 5000;
    void startCheck(int backgroundRows = kBackgroundCheckRows);
    bool startCheckRunning() const { return m_startState == StartState::Running; }
    // The refusal of the start check, once (shown by whoever reported the
    // check); empty when there was none or it was thrown to a write.
    std::optional<plat::Error> takeStartCheckFailure();
    // Shows that a write waits for the start check (a busy cursor): the
    // wrapper runs the wait it is given.
    void setWaitIndicator(std::function<void(const std::function<void()>&)> indicator) { m_waitIndicator = std::move(indicator); }

    // Puts a copy of the register in the place of the register: the copy is
    // fully checked first (its own bytes: a copy with a journal or log beside
    // it is refused), and the data it replaces is kept as a copy (returned).
    // The register is replaced through SQLite, in one transaction, and opened
    // again; a failure to open it again is a notice (takeNotices), since the
    // restore itself is complete.
    QString restore(const QString& copyPath, const QDateTime& now = QDateTime::currentDateTime());

    // Replaces the whole register with the content of another database file.
    // Every cursor is closed meanwhile; the register is opened again on its
    // next use.
    void replaceRegister(const QString& sourcePath);

    // Keeps a copy of a register refused as damaged among the copies (apart
    // from the sound ones) and returns its path.
    QString keepDamagedRegister(const QDateTime& now = QDateTime::currentDateTime());

    // Closes the open cursors and queries, and opens the cursors again when it
    // goes (on the new content, or after a failure on the old one).
    class CursorPause {
    public:
        explicit CursorPause(TDm_Dados& dm);
        ~CursorPause();
        CursorPause(const CursorPause&) = delete;
        CursorPause& operator=(const CursorPause&) = delete;

    private:
        QList<plat::db::Table*> m_reopen;
    };

    plat::db::Table* Tb_Instituicao;
    plat::db::Table* Tb_Bolsistas;
    plat::db::Table* Tb_SelBolsista;
    plat::db::Table* Tb_Orientador;
    plat::db::Table* Tb_SelOrientador;
    plat::db::Table* Tb_SubArea;
    plat::db::Table* Tb_Erro_Bol_Ori;

    plat::db::Query* Qr_TotalNovo;
    plat::db::Query* Qr_TotalRenovado;
    plat::db::Query* Qr_TotalExcluido;
    plat::db::Query* Qr_Bolsistas;
    plat::db::Query* Qr_Limpa;
    plat::db::Query* Qr_Relatorio_Bol;

    plat::db::DataSource* Ds_Bolsistas;
    plat::db::DataSource* Ds_SelBolsista;
    plat::db::DataSource* Ds_Orientador;
    plat::db::DataSource* Ds_SelOrientador;
    plat::db::DataSource* Ds_QrBolsistas;
    plat::db::DataSource* Ds_Relatorio_Bol;

signals:
    void startCheckReported();

private:
    void openDatabase(plat::db::Database& db);
    void provision(plat::db::Database& db);
    void upgrade(plat::db::Database& db, int from);
    // Judges the register's file before the open may touch it: the file's
    // own bytes, or a private copy with its journal or log when those bytes
    // cannot tell. Throws to refuse; the file and its companions keep every
    // byte.
    void examineRegister();
    // blank: no table, schema version 0. companions: a journal or log holds bytes.
    void judgeRegister(plat::db::Database& db, bool blank, bool companions) const;
    // The schema version, the tables and their columns.
    void acceptSchema(plat::db::Database& db, const QString& filePath) const;
    void repairOrRefuse(plat::db::Database& db, const QStringList& problems);
    // Repairs a scratch copy of the register, or throws plat::Error of kind
    // Damaged when the repair cannot be proven to keep every record.
    struct Repaired {
        QStringList restored; // records whose cells were taken from the copy
        SoundCopy copy;       // the copy consulted, when one was
    };
    Repaired repairScratch(const QString& path, const QStringList& problems) const;
    // The refusal of a damaged register in the user's words: the file, what
    // is wrong when the program can say it (empty: nothing more), and the
    // copy to restore. The engine's own lines go to the error's details.
    QString damagedMessage(const QString& problem) const;
    plat::Error damagedError(const QString& problem, const QStringList& engineLines) const;

    // The start check: the write gate, the wait for the worker, and the
    // handling of its result.
    enum class StartState { Idle, Running, Done };
    void gateWrite();
    bool settleStartCheck();
    // The register is being replaced: a check still running is waited for
    // and its result, about the content that goes, dropped with any refusal.
    void abandonStartCheck();
    void finishStartCheck();
    // changes: the rows the worker found changed outside the program, when
    // it compared them (null: compared here).
    void handleStartProblems(const QStringList& problems, bool report, const QList<OutsideChange>* changes = nullptr);
    void refuseOutsideChanges(const QList<OutsideChange>& changes);

    QString m_dir;
    plat::db::Database m_db;
    QStringList m_notices;
    StartState m_startState = StartState::Idle;
    std::thread m_startThread;
    QStringList m_startProblems;                        // written by the worker, read after it was joined
    std::optional<QList<OutsideChange>> m_startChanges; // the same
    std::optional<plat::Error> m_startFailure;          // the register refused: every write throws it
    bool m_failureToReport = false;
    std::function<void(const std::function<void()>&)> m_waitIndicator;
};

} // namespace zelta

// The full check of the register when the window program opens it: on a
// worker thread for a large register, so that the windows can read meanwhile,
// and the gate that makes every write wait for its result.
#include "data/TDm_Dados.h"

#include "platform/system/Error.h"

#include <QMetaObject>

using namespace plat::db;
using plat::Error;

namespace zelta {

namespace {

int registerRows(const Database& db)
{
    return db.scalar(QStringLiteral("SELECT (SELECT count(*) FROM ZELTABOL) + (SELECT count(*) FROM ZELTAORI)")).toInt();
}

} // namespace

void TDm_Dados::startCheck(int backgroundRows)
{
    if (m_startState != StartState::Idle)
        return; // once per run
    int rows = 0;
    try {
        rows = registerRows(m_db);
    } catch (const Error&) {
        // Rows that cannot be counted are checked at once, which tells why.
    }
    if (rows <= backgroundRows) {
        m_startState = StartState::Done;
        QStringList problems;
        try {
            problems = m_db.checkIntegrity(false);
        } catch (const Error& e) {
            problems << e.message();
        }
        handleStartProblems(problems, true);
        return;
    }
    // The engine is configured for one thread per connection: the worker
    // opens its own, read-only, and nothing else of this object is touched
    // until it was joined.
    m_startState = StartState::Running;
    m_startThread = std::thread([this, file = databaseFile()] {
        QStringList problems;
        std::optional<QList<OutsideChange>> changes;
        try {
            problems = Database::checkFile(file, false);
        } catch (const std::exception& e) {
            problems << QString::fromUtf8(e.what());
        }
        // A sound file: its rows compared with their digests here too, off
        // the windows' thread; a comparison that fails is made again there.
        if (problems.isEmpty()) {
            try {
                Database reader;
                reader.openReadOnly(file);
                changes = findOutsideChanges(reader);
            } catch (const std::exception&) {
                changes.reset();
            }
        }
        m_startProblems = problems;
        m_startChanges = changes;
        QMetaObject::invokeMethod(
            this, [this] { finishStartCheck(); }, Qt::QueuedConnection);
    });
}

void TDm_Dados::finishStartCheck()
{
    if (m_startState != StartState::Running)
        return; // a write waited for it and handled it already
    m_startThread.join();
    m_startState = StartState::Done;
    handleStartProblems(m_startProblems, true, m_startChanges ? &*m_startChanges : nullptr);
}

bool TDm_Dados::settleStartCheck()
{
    if (m_startState != StartState::Running)
        return false;
    const auto wait = [this] { m_startThread.join(); };
    if (m_waitIndicator)
        m_waitIndicator(wait);
    else
        wait();
    m_startState = StartState::Done;
    handleStartProblems(m_startProblems, false, m_startChanges ? &*m_startChanges : nullptr);
    return true;
}

void TDm_Dados::abandonStartCheck()
{
    if (m_startThread.joinable())
        m_startThread.join();
    if (m_startState == StartState::Running)
        m_startState = StartState::Done;
    m_failureToReport = false;
}

void TDm_Dados::handleStartProblems(const QStringList& problems, bool report, const QList<OutsideChange>* changes)
{
    m_startFailure.reset();
    try {
        repairIfDamaged(problems);
        // A repaired file is compared anew.
        if (changes && problems.isEmpty())
            refuseOutsideChanges(*changes);
        else
            checkRowDigests();
    } catch (const Error& e) {
        m_startFailure = e;
    } catch (const std::exception& e) {
        m_startFailure = Error::internal(QString::fromUtf8(e.what()));
    }
    m_failureToReport = report && m_startFailure.has_value();
    emit startCheckReported();
}

void TDm_Dados::gateWrite()
{
    // A repair made while a write was starting closed and opened the cursors
    // again: the write would not land where the user meant it.
    if (settleStartCheck() && !m_startProblems.isEmpty() && !m_startFailure)
        throw Error::database(QStringLiteral("A verificação do arquivo de dados terminou agora e o reparou; a alteração "
                                             "não foi feita. Confira os dados e faça-a de novo"));
    if (m_startFailure)
        throw *m_startFailure;
}

std::optional<Error> TDm_Dados::takeStartCheckFailure()
{
    if (!m_failureToReport)
        return std::nullopt;
    m_failureToReport = false;
    return m_startFailure;
}

} // namespace zelta

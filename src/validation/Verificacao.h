#pragma once

#include "validation/Completude.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace zelta {

class TDm_Dados;
class TVlCpfCgc;

// The completeness verification: walks every holder still in the programme and
// every advisor that still has a holder, runs the completeness checks on each,
// writes a running log of what is missing, and, when something is, stores the
// log in the error table (ZELTAERR) for the printed report.
//
// The verification window calls the steps one by one, between its own screen
// work; run() makes the same calls for the command line and the tests.
class Verificacao {
public:
    using LogSink = std::function<void(const QString& line)>;
    using ProgressSink = std::function<void(int done, int total)>;

    // The width of a stored log line (the error table's Linha field).
    static constexpr int kLineWidth = 50;

    Verificacao(TDm_Dados& dados, TVlCpfCgc& validator);

    void setLogSink(LogSink sink) { m_logSink = std::move(sink); }
    void setProgressSink(ProgressSink sink) { m_progressSink = std::move(sink); }

    // Closes the error table, empties it and opens it again.
    void prepareErrorTable();
    // Resets the error count and the log and writes the opening lines.
    void start();
    // Every holder that is not excluded, in the holder cursor's current order.
    void checkHolders();
    // Every advisor, in the advisor cursor's current order, skipping those
    // whose holders are all excluded.
    void checkAdvisors();
    // Writes the closing line; with errors, stores the log in the error table and
    // leaves that table on its last record. Returns the error count.
    int finish();
    // Closes the holder table (back on its primary order) and the advisor table.
    void closeTables();

    // All the steps above, in order. Returns the error count.
    int run();

    const QStringList& log() const { return m_log; }
    // Every problem of every record examined: each failing check of the
    // verification and of the pre-check, in the order of the log.
    const ListaPendencias& pendencias() const { return m_pendencias; }

private:
    void write(const QString& line);
    void progress();

    // Logs a record's entry when the verification's checks fail, and lists its problems.
    void take(const RegistroExaminado& r);

    TDm_Dados& m_dados;
    TVlCpfCgc& m_validator;
    LogSink m_logSink;
    ProgressSink m_progressSink;
    QStringList m_log;
    int m_errors = 0;
    int m_done = 0;
    int m_total = 0;
    int m_nextReport = 0;
    std::unique_ptr<Completude> m_walk; // from the holders to the advisors
    ListaPendencias m_pendencias;
};

// The closing line of a run.
QString linhaFinal(int errors);

// Splits a log line into lines of at most width characters, breaking at blanks
// and splitting a word longer than a line. A line that fits, blanks included,
// is kept as it stands, so blank lines are stored too.
QStringList quebraLinha(const QString& line, int width = Verificacao::kLineWidth);

// The stored form of a whole log: every line broken as above, in order.
QStringList linhasArmazenadas(const QStringList& log, int width = Verificacao::kLineWidth);

} // namespace zelta

#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <vector>

namespace plat::db {
class Statement;
class Table;
} // namespace plat::db

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

    int errorCount() const { return m_errors; }
    const QStringList& log() const { return m_log; }

private:
    void write(const QString& line);
    void progress();

    // Whether each advisor has excluded holders, and holders of another
    // situation, gathered while the holders are read: flags in a table
    // indexed by the advisor's number, which the table assigns in sequence.
    class HolderTally {
    public:
        enum Flag : quint8 { Excluded = 1, Other = 2 };
        void reset(qint64 highestNumber);
        void add(qint64 number, Flag flag);
        quint8 flags(qint64 number) const;

    private:
        std::vector<quint8> m_dense;
        QHash<qint64, quint8> m_sparse;   // numbers beyond the table
    };

    TDm_Dados& m_dados;
    TVlCpfCgc& m_validator;
    LogSink m_logSink;
    ProgressSink m_progressSink;
    QStringList m_log;
    int m_errors = 0;
    int m_done = 0;
    int m_total = 0;
    int m_nextReport = 0;
    HolderTally m_holders;   // by NUMERO_ORIENTADOR
};

// ------------------------------------------------------------------ checks

// The fields the holder checks read.
struct DadosBolsista {
    QString cpf;
    QString sexo;
    QString dataNascimento;      // as the table writes a date (dd/mm/yyyy); empty when not given
    QString cpfOrientador;
    QString codigoAgencia;
    QVariant numeroOrientador;   // null when the holder has no advisor
};

// The fields the advisor checks read, and whether any holder (excluded or
// not) names the advisor.
struct DadosOrientador {
    QString cpf;
    QString titulacao;
    QString pChave1, pChave2, pChave3;
    QString codArea;
    bool temBolsista = false;
};

// The record's error code ("1,", "2," ...): a failing holder check replaces
// the code of an earlier one, so at most one code is left.
QString codigoErroBolsista(const DadosBolsista& b, TVlCpfCgc& validator);
// The advisor checks set their code, except the titulação check, which
// appends its own; so "1,2," is the only pair possible.
QString codigoErroOrientador(const DadosOrientador& o, TVlCpfCgc& validator);

// The detail lines of a record's error code, in code order.
QStringList linhasErroBolsista(const QString& codigo);
QStringList linhasErroOrientador(const QString& codigo);

// The closing line of a run.
QString linhaFinal(int errors);

// Splits a log line into lines of at most width characters, breaking at blanks
// and splitting a word longer than a line. A line that fits, blanks included,
// is kept as it stands, so blank lines are stored too.
QStringList quebraLinha(const QString& line, int width = Verificacao::kLineWidth);

// The stored form of a whole log: every line broken as above, in order.
QStringList linhasArmazenadas(const QStringList& log, int width = Verificacao::kLineWidth);

} // namespace zelta

#include "validation/Verificacao.h"

#include "data/TDm_Dados.h"
#include "platform/db/DbError.h"
#include "platform/db/Scan.h"
#include "platform/db/Table.h"
#include "validation/TVlCpfCgc.h"

#include <algorithm>
#include <array>

namespace zelta {

using plat::db::Database;
using plat::db::Field;
using plat::db::Table;

namespace {

const QString kExcluido = QStringLiteral("Excluído");

struct CodeLine {
    const char* code;
    const char* line;
};

constexpr std::array<CodeLine, 6> kHolderLines{{
    {"1,", "....CPF Inválido"},
    {"2,", "....Sexo Inválido"},
    {"3,", "....Data de Nascimento Inválido"},
    {"4,", "....CPF do Orientador Inválido"},
    {"5,", "....Agência Inválido"},
    {"6,", "....Bolsista sem Orientador"},
}};

constexpr std::array<CodeLine, 5> kAdvisorLines{{
    {"1,", "....CPF Inválido"},
    {"2,", "....Titulação Inválida"},
    {"3,", "....Palavra Chave Inexistente"},
    {"4,", "....Código da Área Inválida"},
    {"5,", "....Orientador não Vinculado a Bolsista"},
}};

template <std::size_t N>
QStringList linesFor(const QString& code, const std::array<CodeLine, N>& table)
{
    QStringList out;
    for (const CodeLine& entry : table)
        if (code.contains(QLatin1StringView(entry.code)))
            out << QString::fromUtf8(entry.line);
    return out;
}

// A field holding nothing but blanks was left empty as well.
bool blank(const QString& text) { return text.trimmed().isEmpty(); }

// The date of an empty field is the zero date of the date system, which is
// written as 30/12/1899.
const QString kZeroDate = QStringLiteral("30/12/1899");

bool agencyInvalid(const QString& code)
{
    if (code.isEmpty())
        return true;
    // Position 5 holds the separator of the branch code; a position past the
    // end of a shorter code is not a blank.
    for (int position : {1, 2, 3, 4, 6})
        if (position <= code.size() && code.at(position - 1) == u' ')
            return true;
    return false;
}

} // namespace

// ------------------------------------------------------------------ checks

QString codigoErroBolsista(const DadosBolsista& b, TVlCpfCgc& validator)
{
    QString code;
    validator.setInput(b.cpf);
    if (!validator.Valid())
        code = QStringLiteral("1,");
    if (blank(b.sexo))
        code = QStringLiteral("2,");
    const QString written = b.dataNascimento.isEmpty() ? kZeroDate : b.dataNascimento;
    if (written.size() != 8 && written.size() != 10)
        code = QStringLiteral("3,");
    if (b.cpfOrientador.size() != 14)
        code = QStringLiteral("4,");
    if (agencyInvalid(b.codigoAgencia))
        code = QStringLiteral("5,");
    if (!b.numeroOrientador.isValid() || b.numeroOrientador.isNull())
        code = QStringLiteral("6,");
    return code;
}

QString codigoErroOrientador(const DadosOrientador& o, TVlCpfCgc& validator)
{
    QString code;
    validator.setInput(o.cpf);
    if (!validator.Valid())
        code = QStringLiteral("1,");
    if (blank(o.titulacao))
        code += QStringLiteral("2,");
    if (blank(o.pChave1) && blank(o.pChave2) && blank(o.pChave3))
        code = QStringLiteral("3,");
    if (o.codArea.size() != 8)
        code = QStringLiteral("4,");
    if (!o.temBolsista)
        code = QStringLiteral("5,");
    return code;
}

QStringList linhasErroBolsista(const QString& codigo) { return linesFor(codigo, kHolderLines); }

QStringList linhasErroOrientador(const QString& codigo) { return linesFor(codigo, kAdvisorLines); }

QString linhaFinal(int errors)
{
    if (errors == 0)
        return QStringLiteral("Verificação Terminada. Nenhum erro encontrado.");
    return QStringLiteral("Verificação Terminada. %1 erro(s) encontrado(s).").arg(errors);
}

QStringList quebraLinha(const QString& line, int width)
{
    if (line.size() <= width)
        return {line};
    QStringList out;
    QString rest = line;
    while (rest.size() > width) {
        // The last blank that leaves at most width characters before it.
        const qsizetype cut = rest.lastIndexOf(u' ', width);
        QString piece = cut > 0 ? rest.left(cut) : QString();
        while (piece.endsWith(u' '))
            piece.chop(1);
        if (piece.isEmpty()) {
            // No blank to break at: the word is split.
            out << rest.left(width);
            rest = rest.mid(width);
            continue;
        }
        out << piece;
        qsizetype start = cut;
        while (start < rest.size() && rest.at(start) == u' ')
            ++start;
        rest = rest.mid(start);
    }
    if (!rest.isEmpty())
        out << rest;
    return out;
}

QStringList linhasArmazenadas(const QStringList& log, int width)
{
    QStringList out;
    out.reserve(log.size());
    for (const QString& line : log)
        out << quebraLinha(line, width);
    return out;
}

// ------------------------------------------------------------------ run

Verificacao::Verificacao(TDm_Dados& dados, TVlCpfCgc& validator) : m_dados(dados), m_validator(validator) {}

void Verificacao::write(const QString& line)
{
    m_log << line;
    if (m_logSink)
        m_logSink(line);
}

void Verificacao::progress()
{
    ++m_done;
    if (m_progressSink && (m_done >= m_nextReport || m_done == m_total)) {
        m_progressSink(m_done, m_total);
        m_nextReport = m_done + std::max(1, m_total / 100);
    }
}

// Advisor numbers up to this many are kept in the dense table; a register
// never comes near it, but a number typed into the file by hand could.
constexpr qint64 kDenseNumbers = qint64(1) << 24;

void Verificacao::HolderTally::reset(qint64 highestNumber)
{
    m_dense.assign(std::size_t(std::clamp<qint64>(highestNumber + 1, 0, kDenseNumbers)), 0);
    m_sparse.clear();
}

void Verificacao::HolderTally::add(qint64 number, Flag flag)
{
    if (number >= 0 && number < qint64(m_dense.size()))
        m_dense[std::size_t(number)] |= flag;
    else
        m_sparse[number] |= flag;
}

quint8 Verificacao::HolderTally::flags(qint64 number) const
{
    if (number >= 0 && number < qint64(m_dense.size()))
        return m_dense[std::size_t(number)];
    return m_sparse.value(number);
}

void Verificacao::prepareErrorTable()
{
    Table& erros = *m_dados.Tb_Erro_Bol_Ori;
    erros.close();
    m_dados.database().emptyTable(erros.tableName());
    erros.open();
}

void Verificacao::start()
{
    m_errors = 0;
    m_log.clear();
    m_done = 0;
    m_total = 0;
    m_nextReport = 0;
    write(QStringLiteral("Verificando Arquivo de Bolsistas."));
    write(QStringLiteral(" "));
}

namespace {

QString quotedName(const QString& name) { return u'"' + name + u'"'; }

// Reads the named fields of every record of a cursor's table in the cursor's
// current order. The walk reads the records once, in one statement, without
// moving the cursor or decoding the fields it does not check.
plat::db::Scan walk(const Database& db, const Table& table, const QStringList& fields)
{
    QStringList columns;
    for (const QString& f : fields)
        columns << quotedName(f);
    return plat::db::Scan(db, table.definition().name, table.ordering(), columns);
}

// A date column as the table layer writes it: dd/mm/yyyy, or "" when empty.
QString dateText(const plat::db::Statement& st, int column, const plat::db::FieldDef& def)
{
    if (st.isNull(column))
        return QString();
    const QDate date = QDate::fromString(st.text(column).left(10), Qt::ISODate);
    return date.isValid() ? Field::toText(def, date) : QString();
}

} // namespace

void Verificacao::checkHolders()
{
    Table& bol = *m_dados.Tb_Bolsistas;
    bol.open();
    // Every holder is read, whatever key range the shared cursor may carry.
    enum { Nome, Cpf, Sexo, Nascimento, CpfOrientador, Agencia, Numero, Situacao };
    plat::db::Scan scan = walk(m_dados.database(), bol,
                                  {QStringLiteral("Nome"), QStringLiteral("CPF"), QStringLiteral("SEXO"),
                                   QStringLiteral("DATA_NASCIMENTO"), QStringLiteral("CPF_ORIENTADOR"),
                                   QStringLiteral("CODIGO_AGENCIA"), QStringLiteral("NUMERO_ORIENTADOR"),
                                   QStringLiteral("SITUACAO")});
    const plat::db::FieldDef& dateDef = *bol.definition().field(QStringLiteral("DATA_NASCIMENTO"));

    const Database& db = m_dados.database();
    m_total = db.scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL")).toInt()
              + db.scalar(QStringLiteral("SELECT count(*) FROM ZELTAORI")).toInt();
    if (m_progressSink)
        m_progressSink(0, m_total);

    m_holders.reset(db.scalar(QStringLiteral("SELECT max(Codigo) FROM ZELTAORI")).toLongLong());
    const QByteArray excludedText = kExcluido.toUtf8();
    const plat::db::Statement& st = scan.row();
    while (scan.next()) {
        progress();
        const bool excluded = st.utf8(Situacao) == excludedText;
        const QVariant numero = st.isNull(Numero) ? QVariant() : QVariant(st.int64(Numero));
        // What the advisor step needs to know of each advisor's holders.
        if (numero.isValid())
            m_holders.add(numero.toLongLong(), excluded ? HolderTally::Excluded : HolderTally::Other);
        if (excluded)
            continue;
        const DadosBolsista b{st.text(Cpf),           st.text(Sexo),    dateText(st, Nascimento, dateDef),
                              st.text(CpfOrientador), st.text(Agencia), numero};
        const QString code = codigoErroBolsista(b, m_validator);
        if (code.isEmpty())
            continue;
        write(QStringLiteral("..Bolsista ") + st.text(Nome));
        for (const QString& line : linhasErroBolsista(code)) {
            write(line);
            ++m_errors;
        }
    }

    write(QStringLiteral(" "));
    write(QStringLiteral("Arquivo de Bolsistas Verificado."));
    write(QStringLiteral(" "));
    write(QStringLiteral("Verificando Arquivo de Orientadores."));
}

void Verificacao::checkAdvisors()
{
    Table& ori = *m_dados.Tb_Orientador;
    ori.open();
    enum { Codigo, Nome, Cpf, Titulacao, Chave1, Chave2, Chave3, Area };
    plat::db::Scan scan = walk(m_dados.database(), ori,
                                  {QStringLiteral("CODIGO"), QStringLiteral("NOME"), QStringLiteral("CPF"),
                                   QStringLiteral("TITULACAO"), QStringLiteral("P_CHAVE1"), QStringLiteral("P_CHAVE2"),
                                   QStringLiteral("P_CHAVE3"), QStringLiteral("COD_AREA")});
    const plat::db::Statement& st = scan.row();
    while (scan.next()) {
        progress();
        const quint8 holders = m_holders.flags(st.int64(Codigo));
        // An advisor whose holders are all excluded has left the programme.
        if (holders == HolderTally::Excluded)
            continue;
        const DadosOrientador o{st.text(Cpf),    st.text(Titulacao), st.text(Chave1),
                                st.text(Chave2), st.text(Chave3),    st.text(Area),
                                holders != 0};
        const QString code = codigoErroOrientador(o, m_validator);
        if (code.isEmpty())
            continue;
        write(QStringLiteral("..Orientador ") + st.text(Nome));
        for (const QString& line : linhasErroOrientador(code)) {
            write(line);
            ++m_errors;
        }
    }

    write(QStringLiteral("  "));
    write(QStringLiteral("Arquivo de Orientadores Verificado."));
    write(QStringLiteral("  "));
}

int Verificacao::finish()
{
    write(linhaFinal(m_errors));
    if (m_errors == 0)
        return 0;

    // The log goes in one transaction: the table holds the whole log or, after
    // a failure, nothing of this run.
    Table& erros = *m_dados.Tb_Erro_Bol_Ori;
    erros.open();
    const QStringList lines = linhasArmazenadas(m_log);
    {
        Database& db = m_dados.database();
        Database::Transaction tx(db);
        plat::db::Statement insert = db.prepare(
            QStringLiteral("INSERT INTO %1 (Numero_Linha, Linha) VALUES (?, ?)").arg(quotedName(erros.definition().name)));
        qint64 n = 0;
        for (const QString& line : lines) {
            insert.reset();
            insert.bindAll({++n, line});
            insert.exec();
        }
        tx.commit();
    }
    erros.refresh();
    erros.last();
    return m_errors;
}

void Verificacao::closeTables()
{
    Table& bol = *m_dados.Tb_Bolsistas;
    bol.close();
    bol.setIndexName(QString());
    m_dados.Tb_Orientador->close();
}

int Verificacao::run()
{
    prepareErrorTable();
    start();
    checkHolders();
    checkAdvisors();
    const int errors = finish();
    closeTables();
    return errors;
}

} // namespace zelta

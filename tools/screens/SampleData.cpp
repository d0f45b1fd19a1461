#include "SampleData.h"
#include "validation/TVlCpfCgc.h"

#include "data/TDm_Dados.h"

#include <QDate>

namespace zelta::screens {

namespace {

// A CPF in stored form from its first nine digits, with its check digits.
QString cpf(qint64 nineDigits)
{
    const QString d = zelta::cpfWithCheckDigits(nineDigits);
    return QStringLiteral("%1.%2.%3-%4").arg(d.mid(0, 3), d.mid(3, 3), d.mid(6, 3), d.mid(9, 2));
}

struct Advisor {
    qint64 cpf;
    const char* nome;
    const char* titulacao;
    const char* titulo;
    const char* chaves[3];
    const char* area; // name of the knowledge area
};

struct Holder {
    qint64 cpf;
    const char* nome;
    const char* sexo;
    QDate nascimento;
    const char* situacao;
    int advisor; // index into the advisors
    const char* agencia;
};

const Advisor kAdvisors[] = {
    {318402775,
     "ANTÔNIO CARLOS FERREIRA LIMA",
     "D",
     "MODELAGEM DE BACIAS HIDROGRÁFICAS DO CERRADO",
     {"HIDROLOGIA", "CERRADO", "MODELAGEM"},
     "HIDROLOGIA"},
    {402118936,
     "BEATRIZ HELENA SOUZA CAMPOS",
     "D",
     "BIOQUÍMICA DE PLANTAS MEDICINAIS NATIVAS",
     {"FITOQUÍMICA", "PLANTAS MEDICINAIS", ""},
     "PRODUTOS NATURAIS"},
    {517630284,
     "CARLOS EDUARDO NASCIMENTO",
     "M",
     "ALFABETIZAÇÃO DE JOVENS E ADULTOS NO MEIO RURAL",
     {"ALFABETIZAÇÃO", "EJA", "EDUCAÇÃO RURAL"},
     "EDUCACAO DE ADULTOS"},
    {629054117,
     "MARIA DAS GRAÇAS OLIVEIRA",
     "D",
     "LINGUAGENS FORMAIS E VERIFICAÇÃO DE PROGRAMAS",
     {"COMPUTAÇÃO", "VERIFICAÇÃO", ""},
     "TEORIA DA COMPUTACAO"},
};

const Holder kHolders[] = {
    {701245338, "ANA PAULA MOREIRA DOS SANTOS", "F", QDate(1978, 3, 14), "Renovado", 0, "1234-5"},
    {702356441, "BRUNO HENRIQUE ALVES", "M", QDate(1979, 11, 2), "Novo", 0, "0452-1"},
    {703467552, "CAMILA RODRIGUES PEREIRA", "F", QDate(1980, 7, 21), "Novo", 1, "3310-8"},
    {704578663, "DIEGO MARTINS COSTA", "M", QDate(1977, 1, 30), "Excluído", 1, "1234-5"},
    {705689774, "ÉRICA FERNANDES BARBOSA", "F", QDate(1981, 9, 9), "Renovado", 2, "2201-0"},
    {706790885, "FÁBIO LUIZ CARVALHO", "M", QDate(1978, 5, 17), "Novo", 3, "0078-3"},
};

// The advisor's stored area code: the 8 digits of the area's code.
QString areaCode(plat::db::Database& db, const char* name)
{
    QString code
        = db.scalar(QStringLiteral("SELECT CODIGO FROM GRANDE_A WHERE SUBAREA = ?"), {QString::fromUtf8(name)}).toString();
    code.remove(u'.');
    code.remove(u'-');
    return code;
}

} // namespace

void fillSampleData(TDm_Dados& dados)
{
    plat::db::Database& db = dados.database();
    db.exec(QStringLiteral("DELETE FROM ZELTAINT"));
    db.exec(QStringLiteral("INSERT INTO ZELTAINT (Numero_Instituicao, Sigla, Cotas, Memo, Nome) VALUES (?, ?, ?, NULL, ?)"),
            {QStringLiteral("123456789"), QStringLiteral("UFPC"), 12.0,
             QStringLiteral("UNIVERSIDADE FEDERAL DO PLANALTO CENTRAL")});

    QList<qint64> codes;
    for (const Advisor& a : kAdvisors) {
        db.exec(QStringLiteral("INSERT INTO ZELTAORI (CPF, NOME, TITULACAO, TITULO, P_CHAVE1, P_CHAVE2, P_CHAVE3, COD_AREA, "
                               "PESQUISADOR, CATEGORIA, ALTERA) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ' ', '  ', ' ')"),
                {cpf(a.cpf), QString::fromUtf8(a.nome), QString::fromUtf8(a.titulacao), QString::fromUtf8(a.titulo),
                 QString::fromUtf8(a.chaves[0]), QString::fromUtf8(a.chaves[1]), QString::fromUtf8(a.chaves[2]),
                 areaCode(db, a.area)});
        codes << db.lastInsertRowId();
    }
    for (const Holder& h : kHolders) {
        db.exec(QStringLiteral(
                    "INSERT INTO ZELTABOL (Nome, CPF, SEXO, DATA_NASCIMENTO, PROCESSO, DEMANDA, SITUACAO, SEGURO_SAUDE, "
                    "CODIGO_AGENCIA, CONTA_BANCO, CPF_ORIENTADOR, CPF_EXORIENTADOR, NUMERO_ORIENTADOR, ALTERA) "
                    "VALUES (?, ?, ?, ?, '', '', ?, '', ?, '', ?, '', ?, '')"),
                {QString::fromUtf8(h.nome), cpf(h.cpf), QString::fromUtf8(h.sexo), h.nascimento, QString::fromUtf8(h.situacao),
                 QString::fromUtf8(h.agencia), cpf(kAdvisors[h.advisor].cpf), codes.at(h.advisor)});
    }
}

// Adds records with gaps to the sample data, runs fn, and takes them away
// again, so that the other screens show the sample data as it was. The error
// table keeps the lines of the run.
void withGaps(TDm_Dados& dados, const std::function<void()>& fn)
{
    plat::db::Database& db = dados.database();
    db.exec(QStringLiteral("INSERT INTO ZELTAORI (CPF, NOME, TITULACAO, TITULO, P_CHAVE1, P_CHAVE2, P_CHAVE3, COD_AREA, "
                           "PESQUISADOR, CATEGORIA, ALTERA) VALUES ('529.982.247-20', 'RENATA MOURA DE CASTRO', '', "
                           "'ECOLOGIA DE POLINIZADORES', 'ABELHAS', '', '', '2050300', ' ', '  ', ' ')"));
    const qint64 advisor = db.lastInsertRowId();
    const char* holders[][4] = {
        {"GUSTAVO PEREIRA NUNES", "", "1234-5", "1"},
        {"MARIA APARECIDA DOS SANTOS FERREIRA DE ALBUQUERQUE", "F", "12 4-5", "1"},
        {"OTÁVIO RIBEIRO DIAS", "M", "0452-1", ""},
    };
    QList<qint64> added;
    int n = 0;
    for (const auto& h : holders) {
        const bool linked = *h[3] != '\0';
        db.exec(QStringLiteral(
                    "INSERT INTO ZELTABOL (Nome, CPF, SEXO, DATA_NASCIMENTO, PROCESSO, DEMANDA, SITUACAO, SEGURO_SAUDE, "
                    "CODIGO_AGENCIA, CONTA_BANCO, CPF_ORIENTADOR, CPF_EXORIENTADOR, NUMERO_ORIENTADOR, ALTERA) "
                    "SELECT ?, ?, ?, '1980-04-12', '', '', 'Novo', '', ?, '', CASE WHEN ? THEN CPF ELSE '' END, '', "
                    "CASE WHEN ? THEN Codigo END, '' FROM ZELTAORI ORDER BY Codigo LIMIT 1"),
                {QString::fromUtf8(h[0]), QStringLiteral("52998224%1").arg(++n), QString::fromUtf8(h[1]), QString::fromUtf8(h[2]),
                 linked, linked});
        added << db.lastInsertRowId();
    }
    fn();
    for (qint64 rowid : added)
        db.exec(QStringLiteral("DELETE FROM ZELTABOL WHERE rowid = ?"), {rowid});
    db.exec(QStringLiteral("DELETE FROM ZELTAORI WHERE Codigo = ?"), {advisor});
}

} // namespace zelta::screens

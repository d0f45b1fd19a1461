#include "support/TestData.h"

#include "platform/db/DbError.h"

namespace zelta::test {

TestData::TestData() : m_dm(std::make_unique<TDm_Dados>(m_dir.path()))
{
    m_dm->database().handle();   // provision now
}

TestData::~TestData() { m_dm.reset(); }

qint64 TestData::addAdvisor(const QString& cpf, const QString& nome, const QString& titulacao, const QString& titulo,
                            const QString& codArea)
{
    db().exec(QStringLiteral("INSERT INTO ZELTAORI (CPF, NOME, TITULACAO, TITULO, P_CHAVE1, COD_AREA, PESQUISADOR, CATEGORIA, ALTERA) "
                             "VALUES (?, ?, ?, ?, 'CHAVE', ?, ' ', '  ', ' ')"),
              {cpf, nome, titulacao, titulo, codArea});
    return db().lastInsertRowId();
}

qint64 TestData::addHolder(const QString& nome, const QString& cpf, const QString& situacao, const QString& cpfOrientador,
                           const QVariant& numeroOrientador, const QString& sexo, const QDate& nascimento, const QString& agencia)
{
    db().exec(QStringLiteral("INSERT INTO ZELTABOL (Nome, CPF, SEXO, DATA_NASCIMENTO, PROCESSO, DEMANDA, SITUACAO, SEGURO_SAUDE, "
                             "CODIGO_AGENCIA, CONTA_BANCO, CPF_ORIENTADOR, CPF_EXORIENTADOR, NUMERO_ORIENTADOR, ALTERA) "
                             "VALUES (?, ?, ?, ?, '', '', ?, '', ?, '', ?, '', ?, '')"),
              {nome, cpf, sexo, nascimento.isValid() ? QVariant(nascimento) : QVariant(), situacao, agencia, cpfOrientador,
               numeroOrientador});
    return db().lastInsertRowId();
}

void TestData::setInstitution(const QString& numero, const QString& sigla, const QString& nome, double cotas)
{
    db().exec(QStringLiteral("DELETE FROM ZELTAINT"));
    db().exec(QStringLiteral("INSERT INTO ZELTAINT (Numero_Instituicao, Sigla, Cotas, Memo, Nome) VALUES (?, ?, ?, NULL, ?)"),
              {numero, sigla, cotas, nome});
}

int TestData::count(const QString& table)
{
    return db().scalar(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table)).toInt();
}

QString makeCpf(qint64 nineDigits)
{
    const QString d = QStringLiteral("%1").arg(nineDigits % 1000000000, 9, 10, QLatin1Char('0'));
    auto digit = [](const QString& s, int firstWeight) {
        int sum = 0;
        for (int i = 0; i < s.size(); ++i)
            sum += s.at(i).digitValue() * (firstWeight - i);
        const int r = 11 - sum % 11;
        return r > 9 ? 0 : r;
    };
    const int d1 = digit(d, 10);
    const int d2 = digit(d + QString::number(d1), 11);
    return QStringLiteral("%1.%2.%3-%4%5").arg(d.mid(0, 3), d.mid(3, 3), d.mid(6, 3)).arg(d1).arg(d2);
}

} // namespace zelta::test

#include "support/TestData.h"
#include "validation/TVlCpfCgc.h"

#include "platform/system/Error.h"

namespace zelta::test {

TestData::TestData() : m_dm(std::make_unique<TDm_Dados>(m_dir.path()))
{
    m_dm->database().ensureOpen(); // provision now
}

TestData::~TestData() { m_dm.reset(); }

qint64 TestData::addAdvisor(const QString& cpf, const QString& nome, const QString& titulacao, const QString& titulo,
                            const QString& codArea)
{
    db().exec(QStringLiteral(
                  "INSERT INTO ZELTAORI (CPF, NOME, TITULACAO, TITULO, P_CHAVE1, COD_AREA, PESQUISADOR, CATEGORIA, ALTERA) "
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

QString textForFile(const QString& text)
{
    static const QString accented = QStringLiteral("ÁÉÍÓÚÀÈÌÒÙÂÊÎÔÛÃÕÄËÏÖÜÇáéíóúàèìòùâêîôûãõäëïöüç");
    static const QString plain = QStringLiteral("AEIOUAEIOUAEIOUAOAEIOUCaeiouaeiouaeiouaoaeiouc");
    QString out = text;
    for (QChar& c : out) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
        if (const qsizetype i = accented.indexOf(c); i >= 0)
            c = plain.at(i);
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    }
    return out;
}

QString makeCpf(qint64 nineDigits)
{
    const QString d = zelta::cpfWithCheckDigits(nineDigits);
    return QStringLiteral("%1.%2.%3-%4").arg(d.mid(0, 3), d.mid(3, 3), d.mid(6, 3), d.mid(9, 2));
}

void breakUpgrade(const QString& copyPath)
{
    plat::db::Database old;
    old.open(copyPath, false);
    // The same columns, declared otherwise, so that the upgrade rebuilds it.
    old.exec(QStringLiteral("DROP TABLE ZELTAERR"));
    old.exec(QStringLiteral("CREATE TABLE ZELTAERR (Numero_Linha INTEGER, Linha TEXT)"));
    old.exec(QStringLiteral("CREATE TABLE ZELTAERR_NOVO (X)"));
    old.setUserVersion(1);
}

} // namespace zelta::test

#include "exchange/SubmissionCheck.h"

#include "platform/db/Database.h"

#include <QHash>

namespace zelta {

namespace {

const QString kExcluido = QStringLiteral("Excluído");

// What is known of an advisor's holders: whether it has an excluded one,
// and whether it has one in another situation.
enum HolderKinds : quint8 { HasExcluded = 1, HasOther = 2 };

// The advisor number of a holder, as the table engine reads it; false when the
// field is empty. A text that is not a number is not empty, but names no advisor.
bool advisorNumber(const plat::db::Statement& st, int column, bool* empty, qint64* number)
{
    const QVariant v = st.value(column);
    *empty = false;
    switch (v.typeId()) {
    case QMetaType::LongLong:
        *number = v.toLongLong();
        return true;
    case QMetaType::Double:
        *number = qint64(v.toDouble());
        return true;
    case QMetaType::QString: {
        const QString text = v.toString().trimmed();
        if (text.isEmpty()) {
            *empty = true;
            return false;
        }
        bool ok = false;
        *number = text.toLongLong(&ok);
        return ok;
    }
    default:
        *empty = true;
        return false;
    }
}

} // namespace

bool isRepeatedDigitCpf(const QString& cpf)
{
    if (cpf.size() != 14 || !cpf.at(0).isDigit())
        return false;
    const QChar d = cpf.at(0);
    const QString repeated = QString(3, d) + u'.' + QString(3, d) + u'.' + QString(3, d) + u'-' + QString(2, d);
    return cpf == repeated;
}

bool holderCpfAccepted(const QString& cpf) { return cpf.size() == 14 && !isRepeatedDigitCpf(cpf); }

bool birthDateAccepted(const QDate& date)
{
    // An empty date is written as the zero date, whose text has 10 characters.
    if (!date.isValid())
        return true;
    const qsizetype n = date.toString(QStringLiteral("dd/MM/yyyy")).size();
    return n == 8 || n == 10;
}

bool branchCodeAccepted(const QString& code)
{
    if (code.isEmpty())
        return false;
    // Character 5 is the separator and is not looked at; a position beyond the
    // end of a short code is not a blank.
    for (int position : {1, 2, 3, 4, 6})
        if (position <= code.size() && code.at(position - 1) == u' ')
            return false;
    return true;
}

bool Verificar_Erro(plat::db::Database& db)
{
    // One snapshot for both passes, so that a holder written in between cannot
    // make them disagree.
    plat::db::Database::ReadTransaction snapshot(db);

    // Holder pass. It also notes, per advisor number, which kinds of holders
    // point to it, so the advisor pass needs no search of its own.
    QHash<qint64, quint8> holdersOf;
    plat::db::Statement bol = db.prepare(QStringLiteral(
        "SELECT CPF, SEXO, DATA_NASCIMENTO, CPF_ORIENTADOR, CODIGO_AGENCIA, NUMERO_ORIENTADOR, SITUACAO FROM ZELTABOL"));
    QString cpf, sexo, cpfOrientador, agencia, situacao;
    while (bol.step()) {
        bol.readText(6, situacao);
        const bool excluded = situacao == kExcluido;
        bool noAdvisor = false;
        qint64 number = 0;
        if (advisorNumber(bol, 5, &noAdvisor, &number))
            holdersOf[number] |= excluded ? HasExcluded : HasOther;
        if (excluded)
            continue;
        bol.readText(0, cpf);
        bol.readText(1, sexo);
        bol.readText(3, cpfOrientador);
        bol.readText(4, agencia);
        if (!holderCpfAccepted(cpf) || sexo.isEmpty() || !birthDateAccepted(bol.isoDate(2))
            || cpfOrientador.size() != 14 || !branchCodeAccepted(agencia) || noAdvisor)
            return false;
    }

    // Advisor pass.
    plat::db::Statement ori = db.prepare(QStringLiteral(
        "SELECT Codigo, CPF, TITULACAO, P_CHAVE1, P_CHAVE2, P_CHAVE3, COD_AREA FROM ZELTAORI"));
    QString titulacao, chave1, chave2, chave3, area;
    while (ori.step()) {
        const quint8 kinds = holdersOf.value(ori.int64(0), 0);
        if (kinds == HasExcluded)
            continue;
        ori.readText(1, cpf);
        ori.readText(2, titulacao);
        ori.readText(3, chave1);
        ori.readText(4, chave2);
        ori.readText(5, chave3);
        ori.readText(6, area);
        if (kinds == 0 || !holderCpfAccepted(cpf) || titulacao.isEmpty()
            || (chave1.isEmpty() && chave2.isEmpty() && chave3.isEmpty()) || area.size() != 8)
            return false;
    }
    return true;
}

} // namespace zelta

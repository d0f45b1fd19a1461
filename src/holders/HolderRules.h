#pragma once

#include "validation/Situacao.h"

#include <QList>
#include <QString>

namespace plat::db {
class Query;
} // namespace plat::db

namespace zelta {

// The word for an older two-letter code ('NV', 'RN', 'EX'); any other value is
// returned unchanged.
QString situacaoWord(const QString& stored);

// The quota test of "Novo" and "Renovar", on the numbers as the counter boxes
// show them: true when one more holder would exceed the quota. A text that is
// not a whole number throws plat::Error (Input) with a Portuguese message,
// and the operation ends without a change.
bool quotaFull(const QString& totalRnNvText, const QString& cotasText);

// The quota as the counter box shows it: 10 as "10", 10.5 as "10,5".
QString cotasText(double cotas);

// What the holder entry form holds when "Confirma" is pressed, as typed.
struct HolderEntry {
    QString nome;
    int sexo = -1;         // chosen item of "Sexo", -1 for none
    QString nascimento;    // the birth-date box's text, a blank for each position not typed
    QString agencia;       // the branch box's text
    QString cpfOrientador; // the advisor's CPF box
};

// The controls the required-field checks send the focus to.
enum class HolderCheck { Sexo, Nascimento, Agencia, Orientador, Nome };
inline constexpr HolderCheck kHolderChecks[] = {HolderCheck::Sexo, HolderCheck::Nascimento, HolderCheck::Agencia,
                                                HolderCheck::Orientador, HolderCheck::Nome};

struct HolderProblem {
    HolderCheck check;
    QString message;
};

// The required-field checks of the holder entry form, in their fixed order:
// sex, birth date, branch code, advisor, name. Every failing check is listed;
// the form moves the focus through them in order and shows only the message of
// the last one. Empty when the holder may be posted.
QList<HolderProblem> holderEntryProblems(const HolderEntry& entry);
// The same as a bit per failing check (1 << HolderCheck), without allocating:
// the completeness walk asks it of every holder.
unsigned holderEntryFailures(const HolderEntry& entry);
QString holderCheckMessage(HolderCheck check);

// The item of "Sexo" that a stored SEXO selects: 'F' "Feminino" (0), 'M'
// "Masculino" (1); anything else selects none (-1), and "Confirma" refuses it.
int sexoItem(const QString& sexo);

// The entry form as it opens on a stored holder, before anything is typed: the
// birth-date box filled only when the stored date is a date (nascimento: its
// written form, empty for none), and the advisor boxes only when an advisor
// record has the holder's CPF_ORIENTADOR (advisorFound).
HolderEntry storedHolderEntry(const QString& nome, const QString& sexo, const QString& nascimento, const QString& agencia,
                              const QString& cpfOrientador, bool advisorFound);

// The entry form's own test of the branch code, on purpose narrower than the
// completeness rule (agenciaAceita): the form asks only that the branch number,
// the first four characters, was typed; the check digit after the separator
// may still be missing ("12" passes, " 123", "12 4" and "123 -5" do not).
bool branchCodeFilled(const QString& agencia);

// The birth date is complete when every position was typed: not empty and no blank.
bool birthDateFilled(const QString& nascimento);

// The advisor record a holder points at, as its entry form shows it.
struct HolderAdvisor {
    bool found = false;
    qint64 codigo = 0;
    QString cpf;
    QString nome;
    QString titulo;
};

// Looks up the holder's advisor through the query given (the data module's
// Qr_Limpa): the advisor records with the CPF cpfOrientador, bound as a
// parameter. When one person has several records, the one numbered
// numeroOrientador is taken, so that CPF and number keep naming the same
// record; only when none has that number, the first in number order.
HolderAdvisor holderAdvisor(plat::db::Query& query, const QString& cpfOrientador, qint64 numeroOrientador);

// The texts of the holder registry's messages.
namespace holderText {
QString quotaFullNovo();         // "Novo" with the quota reached
QString quotaFullRenovar();      // "Renovar" with the quota reached
QString confirmDeleteNovo();     // deleting a 'Novo' holder
QString confirmDeleteRenovado(); // excluding a 'Renovado' holder
QString cpfOfAdvisor(const QString& advisorName);
QString cpfOfHolder(const QString& holderName);
} // namespace holderText

} // namespace zelta

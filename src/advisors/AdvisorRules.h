#pragma once

#include <QString>
#include <QStringList>

namespace zelta {

// What the advisor entry form holds when "Confirma" is pressed, as typed.
struct AdvisorEntry {
    QString nome;
    int titulacao = -1; // chosen item of "Titulação", -1 for none
    QString titulo;
    QString palavra1;
    QString palavra2;
    QString palavra3;
    QString subarea; // the area name shown
};

// The required-field checks of the advisor entry form, in their fixed order:
// the name, the degree, the title, at least one key word, key words 1 and 2,
// 1 and 3, 2 and 3 not the same, the area name. "Empty" means a text of length
// zero (blanks are text) and key words compare exactly.
enum class AdvisorCheck { Nome, Titulacao, Titulo, PalavraChave, Palavras12, Palavras13, Palavras23, Area };
inline constexpr AdvisorCheck kAdvisorChecks[] = {AdvisorCheck::Nome,         AdvisorCheck::Titulacao,  AdvisorCheck::Titulo,
                                                  AdvisorCheck::PalavraChave, AdvisorCheck::Palavras12, AdvisorCheck::Palavras13,
                                                  AdvisorCheck::Palavras23,   AdvisorCheck::Area};

// Every failing check, a bit per check (1 << AdvisorCheck): the completeness
// walk asks it of every advisor, so that its list names all of them.
unsigned advisorEntryFailures(const AdvisorEntry& entry);
QString advisorCheckMessage(AdvisorCheck check);
// What "Confirma" shows: each failing check replaces the message of the one
// before, so the answer is the message of the last failing check; empty when
// all pass.
QString advisorEntryProblem(const AdvisorEntry& entry);

// The item of "Titulação" that a stored TITULACAO selects: 'D' "Doutor" (0),
// 'M' "Mestre" (1); anything else selects none (-1), and "Confirma" refuses it.
int titulacaoItem(const QString& titulacao);

// The entry form as it opens on a stored advisor, before anything is typed;
// subarea is the area name it shows for the stored COD_AREA.
AdvisorEntry storedAdvisorEntry(const QString& nome, const QString& titulacao, const QString& titulo, const QString& palavra1,
                                const QString& palavra2, const QString& palavra3, const QString& subarea);

// Knowledge-area codes: GRANDE_A holds "a.bc.de.fg-h", an advisor's COD_AREA the
// eight digits "abcdefgh" (characters 1, 3-4, 6-7, 9-10 and 12 of the code).
QString areaCodeDigits(const QString& code);
// The code built back from stored digits: character 1, ".", 2-3, ".", 4-5, ".",
// 6-7, "-", 8. Missing characters leave their places empty, so an empty
// COD_AREA gives "...-", which sorts before every code.
QString areaCodeFromDigits(const QString& digits);

// The fellowship categories in the order of their radio items.
const QStringList& categoriaCodes();

// The texts of the advisor registry's messages.
namespace advisorText {
QString confirmDelete(); // Yes/No before deleting an advisor without holders
QString cpfOfHolder(const QString& holderName);
QString areaNotFound(); // the five-line area message
} // namespace advisorText

} // namespace zelta

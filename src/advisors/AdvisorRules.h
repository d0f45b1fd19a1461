#pragma once

#include <QString>
#include <QStringList>

namespace zelta {

// What the advisor entry form holds when "Confirma" is pressed, as typed.
struct AdvisorEntry {
    QString nome;
    int titulacao = -1;   // chosen item of "Titulação", -1 for none
    QString titulo;
    QString palavra1;
    QString palavra2;
    QString palavra3;
    QString subarea;      // the area name shown
};

// The required-field checks of the advisor entry form, in their fixed order.
// Each failing check replaces the message of the one before, so the answer is
// the message of the last failing check; empty when all pass. "Empty" means a
// text of length zero (blanks are text) and keywords compare exactly.
QString advisorEntryProblem(const AdvisorEntry& entry);

// Knowledge-area codes: GRANDE_A holds "a.bc.de.fg-h", an advisor's COD_AREA the
// eight digits "abcdefgh" (characters 1, 3-4, 6-7, 9-10 and 12 of the code).
QString areaCodeDigits(const QString& code);
// The code built back from stored digits: character 1, ".", 2-3, ".", 4-5, ".",
// 6-7, "-", 8. Missing characters leave their places empty, so an empty
// COD_AREA gives "...-", which sorts before every code.
QString areaCodeFromDigits(const QString& digits);

// Only a-z become A-Z; accented letters stay as they are (project titles).
QString upperAsciiLetters(const QString& text);

// The fellowship categories in the order of their radio items.
const QStringList& categoriaCodes();

// The texts of the advisor registry's messages.
namespace advisorText {
QString confirmDelete();        // Yes/No before deleting an advisor without holders
QString cpfOfHolder(const QString& holderName);
QString areaNotFound();         // the five-line area message
} // namespace advisorText

} // namespace zelta

#include "platform/system/TextEntry.h"

#include "platform/system/Cp1252.h"

namespace plat::sys {

namespace {

bool isLineBreak(char32_t c) { return c == u'\r' || c == u'\n'; }

// C0, DEL and C1. The five bytes Windows-1252 leaves without a character read
// as C1 controls, so they are refused here too.
bool isControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

QString codePoint(char32_t c) { return QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper(); }

} // namespace

bool canEnter(char32_t c, LineBreaks breaks)
{
    if (isLineBreak(c))
        return breaks == LineBreaks::Kept;
    if (isControl(c) || c > 0xFFFF || QChar::isSurrogate(c))
        return false;
    return fitsCp1252(QChar(char16_t(c)));
}

Refusal firstRefused(QStringView text, LineBreaks breaks, qsizetype from)
{
    for (qsizetype i = std::max<qsizetype>(from, 0); i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
        if (!canEnter(c, breaks))
            return {i, c};
    }
    return {};
}

EnteredText enterText(const QString& raw, LineBreaks breaks)
{
    EnteredText out;
    out.text = raw.normalized(QString::NormalizationForm_C);
    out.refusal = firstRefused(out.text, breaks);
    return out;
}

QString refusalText(char32_t c)
{
    const QString code = codePoint(c);
    if (c == 0)
        return QStringLiteral("tem um caractere nulo (%1), que não pode ser gravado").arg(code);
    if (isLineBreak(c))
        return QStringLiteral("tem uma quebra de linha (%1), que não pode ser gravada").arg(code);
    if (isControl(c))
        return QStringLiteral("tem um caractere de controle (%1), que não pode ser gravado").arg(code);
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        // What composing could not join to the letter before it.
        return QStringLiteral("tem um acento solto (%1), que não pode ser gravado").arg(code);
    case QChar::Other_Surrogate:
        return QStringLiteral("tem um caractere inválido (%1), que não pode ser gravado").arg(code);
    case QChar::Other_Format:
        return QStringLiteral("tem um caractere invisível (%1), que não pode ser gravado").arg(code);
    default:
        return QStringLiteral("tem o caractere \"%1\" (%2), que não pode ser gravado").arg(QString::fromUcs4(&c, 1), code);
    }
}

} // namespace plat::sys

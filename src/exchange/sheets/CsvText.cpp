#include "exchange/sheets/CsvText.h"

#include "exchange/sheets/SheetBuilder.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace zelta::sheets {

namespace {

bool isUtf8(QByteArrayView bytes)
{
    // In slices that end between characters, so that the check keeps no
    // copy of a large file.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype end = std::min(at + (qsizetype(1) << 16), bytes.size());
        for (int back = 0; back < 3 && end < bytes.size() && (uchar(bytes[end]) & 0xC0) == 0x80; ++back)
            --end;
        const QString slice = decoder(bytes.sliced(at, end - at));
        if (decoder.hasError())
            return false;
        at = end;
    }
    return true;
}

// The text of a UTF-16 file (after its mark) as UTF-8.
QByteArray fromUtf16(QByteArrayView bytes, QStringDecoder::Encoding encoding)
{
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    bool paired = !decoder.hasError() && bytes.size() % 2 == 0;
    // The decoder lets a half of a surrogate pair through alone.
    for (qsizetype i = 0; paired && i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            paired = false;
    }
    if (!paired)
        unreadable(QStringLiteral("o texto em UTF-16 está danificado"));
    return text.toUtf8();
}

// A first line "sep=;" (as some spreadsheet programs write it, perhaps in
// quotes): the separator it names, and the bytes after it.
bool separatorLine(QByteArrayView& body, char& separator)
{
    static const QRegularExpression line(QStringLiteral("^\"?sep=(;|,|\\t|\\\\t|\\|)\"?(\\r\\n|\\n|\\r|$)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QString first = QString::fromLatin1(body.first(std::min<qsizetype>(body.size(), 16)));
    const QRegularExpressionMatch m = line.match(first);
    if (!m.hasMatch())
        return false;
    const QString named = m.captured(1);
    separator = named == u"\\t" ? '\t' : char(named.at(0).unicode());
    body = body.sliced(m.capturedLength(0));
    return true;
}

// The separator the first line uses most, outside quotes: ';' (what
// spreadsheet programs in Brazil write), TAB or ','.
char detectSeparator(QByteArrayView bytes)
{
    int semicolons = 0, tabs = 0, commas = 0;
    bool quoted = false;
    for (char c : bytes) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r')) {
            if (semicolons + tabs + commas > 0)
                break;
        } else if (!quoted) {
            semicolons += c == ';';
            tabs += c == '\t';
            commas += c == ',';
        }
    }
    if (semicolons >= tabs && semicolons >= commas && semicolons > 0)
        return ';';
    return tabs >= commas && tabs > 0 ? '\t' : ',';
}

const QString& portugueseLetters()
{
    static const QString letters = QString::fromUtf8("ÀÁÂÃÇÉÊÍÑÓÔÕÚÜàáâãçéêíñóôõúü");
    return letters;
}

// Signs of Portuguese texts beyond ASCII: ordinals, degree, guillemets, the
// acute accent typed for an apostrophe, the curly single quotes.
const QString& portugueseSigns()
{
    static const QString signs = QString::fromUtf8("ªº°«»´‘’");
    return signs;
}

// Marks a word processor puts between words, never inside one.
const QString& typographicMarks()
{
    static const QString marks = QString::fromUtf8("\u00A0“”–—…•");
    return marks;
}

bool implausibleAt(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    const QChar before = i > 0 ? text[i - 1] : QChar();
    const QChar after = i + 1 < text.size() ? text[i + 1] : QChar();
    if (c.unicode() < 0x80)
        return c.unicode() == 0x7F || (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r');
    if (portugueseSigns().contains(c))
        return false;
    if (typographicMarks().contains(c))
        return before.isLetter() && after.isLetter();
    if (!portugueseLetters().contains(c))
        return true;
    if ((c.isLower() && after.isUpper()) || (c.isUpper() && before.isLower()))
        return true;
    if (c.toUpper() == u'Ç') {
        static const QString vowels = QString::fromUtf8("AOUÃÕÁÓÚÂÔÀÜ");
        return !vowels.contains(after.toUpper());
    }
    return false;
}

} // namespace

qsizetype firstImplausible(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if ((text[i].unicode() >= 0x7F || text[i].unicode() < 0x20) && implausibleAt(text, i))
            return i;
    return -1;
}

QString encodingName(CsvText::Encoding encoding)
{
    switch (encoding) {
    case CsvText::Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case CsvText::Encoding::Utf16:
        return QStringLiteral("UTF-16");
    case CsvText::Encoding::Cp1252:
        break;
    }
    return QStringLiteral("Windows-1252");
}

CsvText csvText(const QByteArray& bytes)
{
    CsvText out;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        out.encoding = CsvText::Encoding::Utf16;
        out.owned = fromUtf16(QByteArrayView(bytes).sliced(2),
                              bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        out.body = out.owned;
    } else {
        out.body = bytes.startsWith("\xEF\xBB\xBF") ? QByteArrayView(bytes).sliced(3) : QByteArrayView(bytes);
        out.encoding = isUtf8(out.body) ? CsvText::Encoding::Utf8 : CsvText::Encoding::Cp1252;
    }
    if (!separatorLine(out.body, out.separator))
        out.separator = detectSeparator(out.body);
    return out;
}

} // namespace zelta::sheets

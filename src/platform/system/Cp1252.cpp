#include "platform/system/Cp1252.h"

namespace plat::sys {

namespace {

// Code points of the bytes 0x80-0x9F; 0 marks the five bytes that have none
// (they are read as the control character of the same value, and nothing is
// ever written as them).
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

int encode(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    // The five bytes without a character are never written: a text read
    // from such a byte (U+0081, U+008D, U+008F, U+0090, U+009D) has no place
    // in the set either, so a file written from it still decodes.
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == u)
            return 0x80 + i;
    return -1;
}

} // namespace

bool fitsCp1252(QChar c) { return encode(c.unicode()) >= 0; }

QChar upperCp1252(QChar c)
{
    const QChar upper = c.toUpper();
    return fitsCp1252(upper) ? upper : c;
}

QString upperCp1252(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        c = upperCp1252(c);
    return out;
}

int cp1252Byte(QChar c) { return encode(c.unicode()); }

qsizetype firstUndefinedCp1252(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] == 0)
            return i;
    }
    return -1;
}

QByteArray toCp1252(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i; // one character outside the set, one '?'
        const int b = encode(c.unicode());
        out.append(b < 0 ? '?' : char(b));
    }
    return out;
}

QString fromCp1252(const QByteArray& bytes)
{
    QString out;
    out.resize(bytes.size());
    QChar* p = out.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] != 0)
            *p++ = QChar(kHigh[b - 0x80]);
        else
            *p++ = QChar(char16_t(b));
    }
    return out;
}

} // namespace plat::sys

#include "platform/system/FileNames.h"

#include <sys/stat.h>

namespace plat::sys {

namespace {

constexpr char16_t kRawFirst = 0xDC80;
constexpr char16_t kRawLast = 0xDCFF;

// Length of the valid UTF-8 sequence at p (at most n bytes), 0 when none.
int utf8Length(const unsigned char* p, qsizetype n)
{
    const unsigned char c = p[0];
    int len = 0;
    char32_t min = 0;
    char32_t code = 0;
    if (c < 0x80)
        return 1;
    if ((c & 0xE0) == 0xC0) {
        len = 2;
        min = 0x80;
        code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3;
        min = 0x800;
        code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4;
        min = 0x10000;
        code = c & 0x07;
    } else {
        return 0;
    }
    if (n < len)
        return 0;
    for (int i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and code points past Unicode are not text.
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

QString decodePath(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const int len = utf8Length(p + i, n - i);
        if (len == 0) {
            out += QChar(char16_t(kRawFirst + (p[i] - 0x80)));
            ++i;
        } else {
            out += QString::fromUtf8(bytes.constData() + i, len);
            i += len;
        }
    }
    return out;
}

QByteArray encodePath(const QString& path)
{
    QByteArray out;
    out.reserve(path.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t u = path[i].unicode();
        // A lone low surrogate of the raw range stands for one byte; a
        // surrogate pair (U+DC.. after U+D8..) is ordinary text.
        const bool paired = i > 0 && path[i - 1].isHighSurrogate();
        if (u >= kRawFirst && u <= kRawLast && !paired) {
            out += path.mid(start, i - start).toUtf8();
            out += char(0x80 + (u - kRawFirst));
            start = i + 1;
        }
    }
    out += path.mid(start).toUtf8();
    return out;
}

bool hasRawBytes(const QString& path) { return encodePath(path) != path.toUtf8(); }

bool isDirectory(const QString& path)
{
    struct stat st {};
    return ::stat(encodePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace plat::sys

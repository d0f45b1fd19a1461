#include "exchange/CpfText.h"

namespace zelta {

QString cpfDigits(const QString& stored)
{
    QString out;
    out.reserve(11);
    for (QChar c : stored)
        if (c.unicode() >= u'0' && c.unicode() <= u'9')
            out.append(c);
    return out;
}

QString formatCpf(const QString& elevenChars)
{
    const QString d = elevenChars.leftJustified(11, u' ', true);
    return d.mid(0, 3) + u'.' + d.mid(3, 3) + u'.' + d.mid(6, 3) + u'-' + d.mid(9, 2);
}

} // namespace zelta

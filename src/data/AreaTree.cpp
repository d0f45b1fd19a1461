#include "data/AreaTree.h"

#include "platform/system/Error.h"

#include <QFile>

namespace zelta {

QString areaCheckDigit(const QString& sevenDigits)
{
    int sum = 0;
    for (int i = 0; i < 7; ++i)
        sum += sevenDigits.at(i).digitValue() * (8 - i);
    int digit = 11 - sum % 11;
    if (digit > 9)
        digit = 0;
    return QString::number(digit);
}

QList<AreaNode> parseAreaTree(const QString& text)
{
    QList<AreaNode> nodes;
    int n1 = 0, n2 = 0, n3 = 0;
    int lineNo = 0;
    for (const QString& raw : text.split(u'\n')) {
        ++lineNo;
        QString line = raw;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        if (line.size() < 3 || line.at(1) != u' ' || line.at(0) < u'1' || line.at(0) > u'3')
            throw plat::Error::internal(QStringLiteral("areas.txt: linha malformada (%1)").arg(lineNo));
        AreaNode node;
        node.level = line.at(0).digitValue();
        node.name = line.mid(2);
        if (node.level == 1) {
            ++n1;
            n2 = n3 = 0;
        } else if (node.level == 2) {
            if (n1 == 0)
                throw plat::Error::internal(QStringLiteral("areas.txt: nível 2 sem nível 1 acima (linha %1)").arg(lineNo));
            ++n2;
            n3 = 0;
        } else {
            if (n2 == 0)
                throw plat::Error::internal(QStringLiteral("areas.txt: nível 3 sem nível 2 acima (linha %1)").arg(lineNo));
            ++n3;
        }
        const QString digits = QStringLiteral("1%1%2%3")
                                   .arg(n1, 2, 10, QLatin1Char('0'))
                                   .arg(node.level >= 2 ? n2 : 0, 2, 10, QLatin1Char('0'))
                                   .arg(node.level == 3 ? n3 : 0, 2, 10, QLatin1Char('0'));
        node.code = QStringLiteral("%1.%2.%3.%4-%5")
                        .arg(digits.mid(0, 1), digits.mid(1, 2), digits.mid(3, 2), digits.mid(5, 2), areaCheckDigit(digits));
        nodes << node;
    }
    return nodes;
}

const QList<AreaNode>& areaTree()
{
    static const QList<AreaNode> tree = [] {
        QFile file(QStringLiteral(":/zelta99/areas.txt"));
        if (!file.open(QIODevice::ReadOnly))
            throw plat::Error::internal(QStringLiteral("A lista de áreas não faz parte deste programa"));
        return parseAreaTree(QString::fromUtf8(file.readAll()));
    }();
    return tree;
}

} // namespace zelta

#pragma once

#include <QList>
#include <QString>

namespace zelta {

// One node of the knowledge-area tree, in display order.
struct AreaNode {
    int level = 1; // 1 to 3
    QString name;  // as stored in GRANDE_A.SUBAREA
    QString code;  // 1.II.JJ.KK-C, as stored in GRANDE_A.CODIGO
};

// The shipped tree (resources/areas.txt). The area picker shows it and the area
// table is filled from it, so both always hold the same names.
//
// Codes: II is the position of the level-1 node (01-76), JJ the position of the
// level-2 node under its parent (00 on level 1), KK the position of the level-3
// node under its parent (00 above level 3), and C a modulus-11 check digit over
// the seven digits with weights 8 to 2.
const QList<AreaNode>& areaTree();
QList<AreaNode> parseAreaTree(const QString& text); // throws plat::Error on a malformed line
QString areaCheckDigit(const QString& sevenDigits);

} // namespace zelta

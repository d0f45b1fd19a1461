#include "advisors/windows/TFrm_SubArea.h"

#include "data/AreaTree.h"
#include "platform/ui/Guard.h"
#include "platform/ui/PictureButton.h"
#include "platform/ui/WindowChrome.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zelta {

TFrm_SubArea::TFrm_SubArea(const QString& selecionada, QWidget* parent) : QDialog(parent), m_subArea(selecionada)
{
    setObjectName(QStringLiteral("Frm_SubArea"));
    setWindowTitle(QStringLiteral("Sub-Área"));
    buildUi();
    fillTree();
    plat::ui::setNoBorderIcons(this, BitBtn2);
    setFixedSize(717, 490);
}

void TFrm_SubArea::buildUi()
{
    Outline1 = new QTreeWidget(this);
    Outline1->setObjectName(QStringLiteral("Outline1"));
    Outline1->setHeaderHidden(true);
    Outline1->setColumnCount(1);
    Outline1->setUniformRowHeights(true);
    Outline1->setRootIsDecorated(true);
    Outline1->setExpandsOnDoubleClick(true);
    Outline1->setSelectionMode(QAbstractItemView::SingleSelection);
    Outline1->setFixedSize(697, 393);

    BitBtn1 = plat::ui::pictureButton(this, QStringLiteral("BitBtn1"), QStringLiteral("Retornar"), QStyle::SP_DialogOkButton);
    BitBtn2 = plat::ui::pictureButton(this, QStringLiteral("BitBtn2"), QStringLiteral("Cancelar"), QStyle::SP_DialogCancelButton);
    BitBtn2->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(BitBtn1, &QToolButton::clicked, this, plat::ui::guarded(this, &TFrm_SubArea::BitBtn1Click));
    connect(BitBtn2, &QToolButton::clicked, this, plat::ui::guarded(this, &TFrm_SubArea::BitBtn2Click));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addSpacing(16);
    buttons->addWidget(BitBtn2);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(Outline1);
    layout->addLayout(buttons);
}

void TFrm_SubArea::fillTree()
{
    const QIcon picture = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon leaf = style()->standardIcon(QStyle::SP_FileIcon);
    QTreeWidgetItem* parents[3] = {nullptr, nullptr, nullptr};
    QList<QTreeWidgetItem*> top;
    for (const AreaNode& node : areaTree()) {
        auto* item = new QTreeWidgetItem(QStringList{node.name});
        item->setIcon(0, node.level < 3 ? picture : leaf);
        parents[node.level - 1] = item;
        if (node.level == 1)
            top.append(item);
        else
            parents[node.level - 2]->addChild(item);
    }
    Outline1->addTopLevelItems(top);
    Outline1->collapseAll();
    Outline1->setCurrentItem(Outline1->topLevelItem(0));
}

void TFrm_SubArea::BitBtn1Click()
{
    if (QTreeWidgetItem* item = Outline1->currentItem())
        m_subArea = item->text(0);
    accept();
}

void TFrm_SubArea::BitBtn2Click() { reject(); }

void TFrm_SubArea::keyPressEvent(QKeyEvent* event)
{
    // "Retornar" is the window's default button.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        BitBtn1->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace zelta

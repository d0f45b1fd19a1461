#pragma once

#include <QDialog>

class QToolButton;
class QTreeWidget;

namespace zelta {

// The knowledge-area picker: the fixed tree of area names on three levels,
// folded at opening. "Retornar" stores the highlighted node's own name in
// SubArea_Selecionada; "Cancelar" leaves it as it was.
class TFrm_SubArea : public QDialog {
    Q_OBJECT
public:
    explicit TFrm_SubArea(QWidget* parent = nullptr);

    // Event handlers.
    void BitBtn1Click();   // Retornar
    void BitBtn2Click();   // Cancelar

    QTreeWidget* Outline1 = nullptr;
    QToolButton* BitBtn1 = nullptr;
    QToolButton* BitBtn2 = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildUi();
    void fillTree();
};

} // namespace zelta

#pragma once

#include <QDialog>
#include <QString>

class QToolButton;
class QTreeWidget;

namespace zelta {

// The knowledge-area picker: the fixed tree of area names on three levels,
// folded at opening. It starts from the area last chosen; "Retornar" chooses
// the highlighted node's own name, "Cancelar" keeps the one it started from.
class TFrm_SubArea : public QDialog {
    Q_OBJECT
public:
    explicit TFrm_SubArea(const QString& selecionada, QWidget* parent = nullptr);

    // The area chosen: the one the picker started from until "Retornar".
    const QString& subArea() const { return m_subArea; }

    // Event handlers.
    void BitBtn1Click(); // Retornar
    void BitBtn2Click(); // Cancelar

    QTreeWidget* Outline1 = nullptr;
    QToolButton* BitBtn1 = nullptr;
    QToolButton* BitBtn2 = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildUi();
    void fillTree();

    QString m_subArea;
};

} // namespace zelta

#pragma once

#include <QDialog>

namespace zelta {

// The about box: the program's name and version and where to get support.
class TFrm_Sobre : public QDialog {
    Q_OBJECT
public:
    explicit TFrm_Sobre(QWidget* parent = nullptr);

private:
    void buildUi();
};

} // namespace zelta

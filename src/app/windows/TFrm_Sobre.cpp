#include "app/windows/TFrm_Sobre.h"

#include "app/Version.h"
#include "platform/ui/WindowChrome.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelta {

namespace {

const QColor kNavy(0x00, 0x00, 0x80);

QLabel* line(QWidget* parent, const QString& name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignHCenter);
    return label;
}

void paint(QLabel* label, const QColor& color)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
}

} // namespace

TFrm_Sobre::TFrm_Sobre(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frm_Sobre"));
    setWindowTitle(QStringLiteral("Sobre"));
    buildUi();
    plat::ui::setNoBorderIcons(this);
}

void TFrm_Sobre::buildUi()
{
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);

    QLabel* name = line(panel, QStringLiteral("Label_Nome"), QStringLiteral("ZELTA 99"));
    QFont nameFont(QStringLiteral("Arial"));
    nameFont.setPixelSize(32);
    nameFont.setBold(true);
    name->setFont(nameFont);
    paint(name, kNavy);

    QLabel* version = line(panel, QStringLiteral("Label_Versao"), QStringLiteral("Versão %1").arg(programVersion()));
    QFont versionFont = version->font();
    versionFont.setBold(true);
    version->setFont(versionFont);
    paint(version, kNavy);

    QLabel* by = line(panel, QStringLiteral("Label_Desenvolvido"), QStringLiteral("Desenvolvido por :"));
    QLabel* unit = line(panel, QStringLiteral("Label_Suporte"), QStringLiteral("Central de Suporte ao Usuário"));
    QLabel* phone1 = line(panel, QStringLiteral("Label_Fone1"), QStringLiteral("(061) 555-0100"));
    QLabel* phone2 = line(panel, QStringLiteral("Label_Fone2"), QStringLiteral("(061) 555-0101"));

    auto* inner = new QVBoxLayout(panel);
    inner->setContentsMargins(32, 16, 32, 16);
    inner->setSpacing(4);
    inner->addWidget(name);
    inner->addWidget(version);
    inner->addSpacing(16);
    inner->addWidget(by);
    inner->addWidget(unit);
    inner->addWidget(phone1);
    inner->addWidget(phone2);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setDefault(true);
    ok->setMinimumWidth(88);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(12);
    layout->addWidget(panel);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    // A fixed dialog border: the box keeps the size of its contents.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace zelta

#include "exchange/windows/TFrm_Gerar.h"

#include "app/windows/RegisterNotices.h"
#include "data/TDm_Dados.h"
#include "app/windows/Sessao.h"
#include "exchange/SubmissionCheck.h"
#include "exchange/SubmissionRun.h"
#include "platform/system/Settings.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/FormBuilding.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Messages.h"
#include "platform/ui/ModalRunner.h"
#include "platform/ui/WindowChrome.h"
#include "platform/ui/WindowPlacement.h"
#include "validation/Completude.h"
#include "validation/windows/PendenciasView.h"

#include <QButtonGroup>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zelta {

TFrm_Gerar::TFrm_Gerar(Sessao& sessao, QWidget* parent) : Form(parent), m_sessao(sessao)
{
    setObjectName(QStringLiteral("Frm_Gerar"));
    setWindowTitle(QStringLiteral("Gerar disquete para o Orvu"));
    buildUi();
    plat::ui::setNoBorderIcons(this, BitBtn2);
}

void TFrm_Gerar::executar(Sessao& sessao, QWidget* parent)
{
    TFrm_Gerar form(sessao, parent);
    plat::ui::showModal(&form);
}

QHBoxLayout* TFrm_Gerar::buildFolderChoice()
{
    Label_Pasta = new QLabel(this);
    Label_Pasta->setObjectName(QStringLiteral("Label_Pasta"));
    Label_Pasta->setWordWrap(true);
    Label_Pasta->setTextInteractionFlags(Qt::TextSelectableByMouse);
    BtnPasta = plat::ui::namedButton(this, QStringLiteral("Escolher pasta..."), QStringLiteral("BtnPasta"));
    BtnPasta->setAutoDefault(false);
    auto* folder = new QHBoxLayout;
    folder->addWidget(Label_Pasta, 1);
    folder->addWidget(BtnPasta, 0, Qt::AlignVCenter);
    return folder;
}

void TFrm_Gerar::buildUi()
{
    RadioGroup1 = new QGroupBox(this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    new QGridLayout(RadioGroup1);
    m_drives = new QButtonGroup(this);
    QHBoxLayout* folder = buildFolderChoice();

    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    Gauge1->setAlignment(Qt::AlignCenter);
    Gauge1->setTextVisible(true);

    BitBtn3 = plat::ui::namedButton(this, QStringLiteral("Confirmar"), QStringLiteral("BitBtn3"));
    BitBtn3->setDefault(true);
    BitBtn2 = plat::ui::namedButton(this, QStringLiteral("Cancelar"), QStringLiteral("BitBtn2"));
    QHBoxLayout* buttons = plat::ui::centredButtons({BitBtn3, BitBtn2});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addWidget(RadioGroup1);
    layout->addLayout(folder);
    layout->addWidget(Gauge1);
    Pendencias = new PendenciasView(m_sessao, true, this);
    Pendencias->hide();
    layout->addWidget(Pendencias, 1);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(BitBtn3, &QPushButton::clicked, this, plat::ui::guarded(this, &TFrm_Gerar::BitBtn3Click));
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnPasta, &QPushButton::clicked, this, plat::ui::guarded(this, &TFrm_Gerar::BtnPastaClick));
    connect(m_drives, &QButtonGroup::idClicked, this, [this] { showDirectory(); });
}

void TFrm_Gerar::FormCreate()
{
    const plat::sys::Settings& settings = *m_sessao.Configuracao;
    settings.prepareDefaultDrive();
    const bool a = settings.drivePresent(u'A');
    const bool b = settings.drivePresent(u'B');
    // The window still opens: it names the missing folder and offers another.
    if (!a && !b)
        plat::ui::showMessage(QStringLiteral("Impossível gravar dados. Drive de disco flexível não disponível"), this);

    // A: is always listed, even when only B: exists; B: only when present.
    auto* grid = static_cast<QGridLayout*>(RadioGroup1->layout());
    RadioA = new QRadioButton(QStringLiteral("A:"), RadioGroup1);
    RadioA->setObjectName(QStringLiteral("RadioA"));
    m_drives->addButton(RadioA, 0);
    grid->addWidget(RadioA, 0, 0);
    if (b) {
        RadioGroup1->setTitle(QStringLiteral("Selecione o drive onde deseja gerar o arquivo"));
        RadioB = new QRadioButton(QStringLiteral("B:"), RadioGroup1);
        RadioB->setObjectName(QStringLiteral("RadioB"));
        m_drives->addButton(RadioB, 1);
        grid->addWidget(RadioB, 0, 1);
    } else {
        RadioGroup1->setTitle(QStringLiteral("Drive disponível"));
    }
    showDriveTips();
    RadioA->setChecked(true);
    showDirectory();
    if (!settings.drivePresent(u'A'))
        BtnPasta->setFocus();
}

void TFrm_Gerar::showDriveTips()
{
    const plat::sys::Settings& settings = *m_sessao.Configuracao;
    for (QAbstractButton* radio : m_drives->buttons()) {
        const QString dir = settings.driveDirectory(radio->text().at(0));
        radio->setToolTip(dir.isEmpty() ? QStringLiteral("Drive não configurado") : QDir::toNativeSeparators(dir));
    }
}

void TFrm_Gerar::BtnPastaClick()
{
    const QChar drive = selectedDrive();
    const QString dir = plat::ui::chooseFolder(this, QStringLiteral("Pasta do drive %1:").arg(drive), selectedDirectory());
    if (dir.isEmpty())
        return;
    plat::sys::Settings& settings = *m_sessao.Configuracao;
    const bool kept = settings.setDriveDirectory(drive, dir);
    showDriveTips();
    showDirectory();
    if (!kept)
        plat::ui::showError(QStringLiteral("A pasta escolhida vale até o programa ser fechado: não foi possível "
                                           "gravá-la em %1")
                                .arg(QDir::toNativeSeparators(settings.configFile())),
                            this);
}

QChar TFrm_Gerar::selectedDrive() const { return (RadioB && RadioB->isChecked()) ? u'B' : u'A'; }

QString TFrm_Gerar::selectedDirectory() const { return m_sessao.Configuracao->driveDirectory(selectedDrive()); }

void TFrm_Gerar::showDirectory()
{
    const QChar drive = selectedDrive();
    const QString dir = selectedDirectory();
    QString text;
    if (dir.isEmpty())
        text = QStringLiteral("Drive %1: não configurado").arg(drive);
    else if (!m_sessao.Configuracao->drivePresent(drive))
        text = QStringLiteral("Drive %1: pasta %2 não encontrada. Conecte o dispositivo ou escolha outra pasta.")
                   .arg(QString(drive), QDir::toNativeSeparators(dir));
    else
        text = QStringLiteral("Drive %1: pasta %2").arg(QString(drive), QDir::toNativeSeparators(dir));
    Label_Pasta->setText(text);
    Label_Pasta->setToolTip(QDir::toNativeSeparators(dir));
}

void TFrm_Gerar::showProblems()
{
    TDm_Dados& dm = *m_sessao.Dm_Dados;
    {
        plat::ui::BusyCursor busy;
        Pendencias->setLista(
            listarPendencias(dm.database(), dm.holderOrdering(), dm.advisorOrdering(), Regras::preGeracao()).soImpeditivas());
    }
    // The window grows to show the list whole, about its centre and within
    // the screen.
    const QPoint centre = frameGeometry().center();
    Pendencias->show();
    layout()->activate(); // the minimum size with the list in it
    const QSize wanted = sizeHint().expandedTo(QSize(760, 480)).expandedTo(size());
    if (wanted != size())
        plat::ui::resizeKeepingCentre(this, wanted, centre);
}

void TFrm_Gerar::setGauge(int percent)
{
    // The gauge shows its percentage, so a new value repaints it at once,
    // while the writing holds the event loop; it is told only of new values.
    Gauge1->setValue(percent);
}

void TFrm_Gerar::BitBtn3Click()
{
    // The busy cursor and the file are given back on every way out: a failure
    // leaves the window open, the older file untouched and no partial file.
    // The register's full check runs beside the pre-check and the writing.
    plat::ui::BusyCursor busy;
    setGauge(0);
    const SubmissionRun run = gerarArquivo(*m_sessao.Dm_Dados, selectedDirectory(), [this](int percent) { setGauge(percent); });
    busy.restore();
    showRegisterNotices(*m_sessao.Dm_Dados, this);
    if (!run.preCheckPassed) {
        plat::ui::attention(QStringLiteral("Favor executar a verificação do preenchimento"), this);
        showProblems();
        return;
    }
    plat::ui::showMessage(QStringLiteral("Gravação executada"), this);
    accept();
}

} // namespace zelta

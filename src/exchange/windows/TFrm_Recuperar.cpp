#include "exchange/windows/TFrm_Recuperar.h"

#include "app/windows/RegisterNotices.h"
#include "data/RegisterCopies.h"
#include "data/TDm_Dados.h"
#include "exchange/RecoveryImport.h"
#include "platform/db/Table.h"
#include "platform/system/Settings.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Messages.h"
#include "platform/ui/ModalRunner.h"
#include "platform/ui/WindowChrome.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace zelta {

namespace {

// The folder the file dialog opens in: the one behind drive A:, or the home
// folder when drive A: is not there.
QString driveAFolder(const plat::sys::Settings& settings)
{
    return settings.drivePresent(u'A') ? settings.driveDirectory(u'A') : QDir::homePath();
}

// The file a typed or pasted text names: quotes around it and a file:// URL
// (as file managers paste) are taken off, "~" is the home folder, and a
// relative name is taken in `base`, as the file dialog takes a typed name in
// the folder it shows.
QString typedPath(const QString& typed, const QString& base)
{
    QString text = typed.trimmed();
    if (text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') && text.back() == text.front())
        text = text.mid(1, text.size() - 2);
    if (text.startsWith(QStringLiteral("file:"))) {
        const QUrl url(text);
        if (url.isLocalFile())
            text = url.toLocalFile();
    }
    if (text == u'~' || text.startsWith(QStringLiteral("~/")))
        text = QDir::homePath() + text.mid(1);
    return QDir::cleanPath(QDir(base).absoluteFilePath(QDir::fromNativeSeparators(text)));
}

// Why a path cannot be taken as the file to recover; empty when it can.
QString pathProblem(const QString& path)
{
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!info.exists())
        return QStringLiteral("O arquivo %1 não foi encontrado").arg(shown);
    if (info.isDir())
        return QStringLiteral("%1 é uma pasta, não um arquivo").arg(shown);
    if (!info.isFile())
        return QStringLiteral("%1 não é um arquivo comum").arg(shown);
    return QString();
}

QString counted(int n, const QString& one, const QString& many)
{
    return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? one : many);
}

} // namespace

TFrm_Recuperar::TFrm_Recuperar(Sessao& sessao, QWidget* parent) : Form(parent), m_sessao(sessao)
{
    setObjectName(QStringLiteral("Frm_Recuperar"));
    setWindowTitle(QStringLiteral("Recuperar dados do Zelta 1999"));
    buildUi();
    wireEvents();
    plat::ui::setNoBorderIcons(this, BitBtn2);
}

TFrm_Recuperar::~TFrm_Recuperar() { closeOnDestroy(); }

void TFrm_Recuperar::buildFileDialog()
{
    OpenDialog1 = new QFileDialog(this, QStringLiteral("Abrir"));
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    // The program's own dialog, so that it looks the same everywhere and tests
    // can drive it.
    OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setNameFilter(QStringLiteral("Arquivo Zelta 1997 (*.TEX)"));
    OpenDialog1->setLabelText(QFileDialog::LookIn, QStringLiteral("Examinar:"));
    OpenDialog1->setLabelText(QFileDialog::FileName, QStringLiteral("Nome do arquivo:"));
    OpenDialog1->setLabelText(QFileDialog::FileType, QStringLiteral("Arquivos do tipo:"));
    OpenDialog1->setLabelText(QFileDialog::Accept, QStringLiteral("Abrir"));
    OpenDialog1->setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
}

void TFrm_Recuperar::buildFileChoice()
{
    const QFont normal = font();

    GroupBox1 = new QGroupBox(QStringLiteral("Informe o drive e o nome do arquivo "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    QFont bold = normal;
    bold.setBold(true);
    GroupBox1->setFont(bold);
    GroupBox1->setStyleSheet(QStringLiteral("QGroupBox#GroupBox1::title { color: #0000ff; }"));

    EdDrive = new QLineEdit(GroupBox1);
    EdDrive->setObjectName(QStringLiteral("EdDrive"));
    EdDrive->setFont(normal);
    EdDrive->setPlaceholderText(QStringLiteral("Digite ou cole o caminho do arquivo, ou escolha-o no botão ao lado"));
    // Wide enough for the whole hint, which the fixed size of the window would
    // otherwise cut.
    EdDrive->setMinimumWidth(std::max(360, EdDrive->fontMetrics().horizontalAdvance(EdDrive->placeholderText()) + 24));
    EdDrive->installEventFilter(this);

    SpeedButton1 = new QToolButton(GroupBox1);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    SpeedButton1->setIconSize(QSize(20, 20));
    SpeedButton1->setFocusPolicy(Qt::TabFocus);
    SpeedButton1->setAutoRaise(false);
    SpeedButton1->setToolTip(QStringLiteral("Escolher o arquivo (drive A: é a pasta %1)")
                                 .arg(QDir::toNativeSeparators(driveAFolder(*m_sessao.Configuracao))));

    auto* choice = new QHBoxLayout(GroupBox1);
    choice->setContentsMargins(10, 8, 10, 10);
    choice->addWidget(EdDrive, 1);
    choice->addWidget(SpeedButton1);
}

void TFrm_Recuperar::buildUi()
{
    buildFileChoice();
    buildFileDialog();

    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    Gauge1->setTextVisible(true);

    BitBtn3 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("Confirma"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn3->setDefault(true);
    BitBtn3->setAutoDefault(true);
    BitBtn3->setMinimumWidth(100);

    BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Cancelar"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setAutoDefault(false);
    BitBtn2->setMinimumWidth(100);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn3);
    buttons->addWidget(BitBtn2);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(12);
    layout->addWidget(GroupBox1);
    layout->addWidget(Gauge1);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

void TFrm_Recuperar::wireEvents()
{
    connect(SpeedButton1, &QToolButton::clicked, this, plat::ui::guarded(this, &TFrm_Recuperar::SpeedButton1Click));
    connect(BitBtn3, &QPushButton::clicked, this, plat::ui::guarded(this, &TFrm_Recuperar::BitBtn3Click));
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(EdDrive, &QLineEdit::editingFinished, this, plat::ui::guarded([this] { EdDriveExit(); }));
}

void TFrm_Recuperar::SpeedButton1Click()
{
    OpenDialog1->setDirectory(m_fileName.isEmpty() ? driveAFolder(*m_sessao.Configuracao) : QFileInfo(m_fileName).absolutePath());
    if (plat::ui::showModal(OpenDialog1) == QDialog::Accepted && !OpenDialog1->selectedFiles().isEmpty())
        m_fileName = QDir::toNativeSeparators(OpenDialog1->selectedFiles().constFirst());
    // A cancelled dialog keeps the file chosen before, if any.
    EdDrive->setText(m_fileName);
}

bool TFrm_Recuperar::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the path box checks the path and, when it names a file, moves
    // on to "Confirma"; it never runs the import at once.
    if (watched == EdDrive && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            plat::ui::runGuarded(
                [this] {
                    if (EdDriveExit())
                        BitBtn3->setFocus(Qt::TabFocusReason);
                },
                this);
            return true;
        }
    }
    return Form::eventFilter(watched, event);
}

bool TFrm_Recuperar::EdDriveExit()
{
    const QString typed = EdDrive->text().trimmed();
    // Closing the window, or a check already under way (its message takes
    // the focus away from the box), asks nothing more.
    if (m_checkingPath || !isVisible() || typed == m_fileName)
        return true;
    if (typed.isEmpty()) {
        m_fileName.clear();
        EdDrive->clear();
        return true;
    }
    const QString base = m_fileName.isEmpty() ? driveAFolder(*m_sessao.Configuracao) : QFileInfo(m_fileName).absolutePath();
    const QString path = typedPath(typed, base);
    const QString problem = pathProblem(path);
    if (!problem.isEmpty()) {
        m_checkingPath = true;
        plat::ui::attention(problem, this);
        m_checkingPath = false;
        EdDrive->setFocus();
        EdDrive->selectAll();
        return false;
    }
    m_fileName = QDir::toNativeSeparators(path);
    EdDrive->setText(m_fileName);
    return true;
}

bool TFrm_Recuperar::confirmReplacement(const QString& path)
{
    const RegisterContents current = registerContents(*m_sessao.Dm_Dados);
    if (!current.holdsPeople())
        return true;
    QString what;
    if (current.readable) {
        QString institution = current.sigla;
        if (!current.nome.isEmpty())
            institution += (institution.isEmpty() ? QString() : QStringLiteral(" - ")) + current.nome;
        what = QStringLiteral("Os dados atuais (%1%2 e %3)")
                   .arg(institution.isEmpty() ? QString() : institution + QStringLiteral(": "),
                        counted(current.holders, QStringLiteral("bolsista"), QStringLiteral("bolsistas")),
                        counted(current.advisors, QStringLiteral("orientador"), QStringLiteral("orientadores")));
    } else {
        what = QStringLiteral("Os dados atuais");
    }
    return plat::ui::confirm(QStringLiteral(
                                 "%1 serão substituídos pelos do arquivo %2.\n\rUma cópia dos dados atuais será guardada na "
                                 "pasta %3.\n\rDeseja continuar?")
                                 .arg(what, QDir::toNativeSeparators(path),
                                      QDir::toNativeSeparators(RegisterCopies::folder(m_sessao.Dm_Dados->dataDirectory()))),
                             this);
}

void TFrm_Recuperar::setGauge(int percent)
{
    Gauge1->setValue(percent);
    Gauge1->repaint();
}

void TFrm_Recuperar::BitBtn3Click()
{
    if (!EdDriveExit())
        return;
    if (EdDrive->text().isEmpty()) {
        reject();
        return;
    }
    // The file is read whole before the question, so that a file that cannot
    // be recovered is told before anything is asked.
    const QString path = QDir::fromNativeSeparators(EdDrive->text());
    const RecoveryFile file = [&] {
        plat::ui::BusyCursor reading;
        return RecoveryFile::load(path);
    }();
    if (!confirmReplacement(path))
        return;
    plat::ui::BusyCursor busy;
    setGauge(0);

    // A failed import leaves the tables as they were; the gauge goes back to
    // show that nothing was loaded.
    struct GaugeReset {
        TFrm_Recuperar* form;
        bool done = false;
        ~GaugeReset()
        {
            if (!done)
                form->setGauge(0);
        }
    } reset{this};

    RecoveryOptions options;
    options.progress = [this](int percent) { setGauge(percent); };
    const RecoveryResult result = recuperarDados(*m_sessao.Dm_Dados, file, options);
    reset.done = true;
    m_registerChanged = true;
    busy.restore();

    showRegisterNotices(*m_sessao.Dm_Dados, this);
    if (result.replacedDamaged)
        plat::ui::showMessage(QStringLiteral("O arquivo de dados estava danificado e foi refeito a partir do arquivo "
                                             "recuperado; o arquivo danificado foi guardado em %1.")
                                  .arg(QDir::toNativeSeparators(result.backupFile)),
                              this);
    else if (!result.backupFile.isEmpty())
        plat::ui::showMessage(
            QStringLiteral("Os dados substituídos foram guardados em %1.").arg(QDir::toNativeSeparators(result.backupFile)),
            this);
    if (const QString unread = camposNaoLidos(result); !unread.isEmpty())
        plat::ui::showMessage(unread, this);
    accept();
}

void TFrm_Recuperar::FormClose()
{
    TDm_Dados* dados = m_sessao.Dm_Dados;
    if (!dados)
        return;
    dados->Tb_Bolsistas->close();
    dados->Tb_Orientador->close();
    dados->Tb_Instituicao->close();
}

} // namespace zelta

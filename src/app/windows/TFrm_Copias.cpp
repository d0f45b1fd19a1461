#include "app/windows/TFrm_Copias.h"

#include "app/windows/RegisterNotices.h"
#include "data/TDm_Dados.h"
#include "app/windows/Sessao.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/FormBuilding.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowChrome.h"
#include "platform/ui/WindowPlacement.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zelta {

namespace {

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

QString when(const RegisterCopy& copy) { return copy.taken.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")); }

enum Column { kWhen, kReason, kInstitution, kHolders, kAdvisors, kCheck, kSize, kColumns };

// Whether the copy passes the full check now, the newest such copy marked.
QString checkText(const RegisterCopy& copy, bool newestSound)
{
    if (copy.holders < 0)
        return QStringLiteral("ilegível");
    if (copy.rowsDisagree)
        return QStringLiteral("alterada fora do programa");
    if (!copy.sound)
        return QStringLiteral("danificada");
    return newestSound ? QStringLiteral("✓ mais recente sã") : QStringLiteral("sã");
}

QString sizeText(qint64 bytes)
{
    const QLocale pt(QLocale::Portuguese, QLocale::Brazil);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg(pt.toString(double(bytes) / 1024, 'f', 0));
    return QStringLiteral("%1 MB").arg(pt.toString(double(bytes) / (1024 * 1024), 'f', 1));
}

} // namespace

TFrm_Copias::TFrm_Copias(Sessao& sessao, QWidget* parent) : Form(parent), m_sessao(sessao)
{
    setObjectName(QStringLiteral("Frm_Copias"));
    setWindowTitle(QStringLiteral("Cópias de Segurança"));
    buildUi();
    plat::ui::setNoBorderIcons(this, BitBtnSair);
}

void TFrm_Copias::buildUi()
{
    GridCopias = new QTableWidget(0, kColumns, this);
    GridCopias->setObjectName(QStringLiteral("GridCopias"));
    GridCopias->setHorizontalHeaderLabels({QStringLiteral("Data e hora"), QStringLiteral("Motivo"), QStringLiteral("Instituição"),
                                           QStringLiteral("Bolsistas"), QStringLiteral("Orientadores"),
                                           QStringLiteral("Verificação"), QStringLiteral("Tamanho")});
    GridCopias->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridCopias->setSelectionMode(QAbstractItemView::SingleSelection);
    GridCopias->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridCopias->verticalHeader()->setVisible(false);
    GridCopias->setWordWrap(false);
    GridCopias->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    GridCopias->horizontalHeader()->setSectionResizeMode(kInstitution, QHeaderView::Stretch);

    Label_Pasta = new QLabel(this);
    Label_Pasta->setObjectName(QStringLiteral("Label_Pasta"));
    Label_Pasta->setWordWrap(true);
    Label_Pasta->setTextInteractionFlags(Qt::TextSelectableByMouse);

    using plat::ui::namedButton;
    BitBtnRestaurar = namedButton(this, QStringLiteral("Restaurar"), QStringLiteral("BitBtnRestaurar"));
    BitBtnCopia = namedButton(this, QStringLiteral("Fazer Cópia"), QStringLiteral("BitBtnCopia"));
    BitBtnAceitar = namedButton(this, QStringLiteral("Aceitar alterações"), QStringLiteral("BitBtnAceitar"));
    BitBtnSair = namedButton(this, QStringLiteral("Sair"), QStringLiteral("BitBtnSair"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(GridCopias);
    layout->addWidget(Label_Pasta);
    layout->addLayout(plat::ui::centredButtons({BitBtnRestaurar, BitBtnCopia, BitBtnAceitar, BitBtnSair}));
    resize(860, 320);

    connect(BitBtnRestaurar, &QPushButton::clicked, this, plat::ui::guarded(this, &TFrm_Copias::BitBtnRestaurarClick));
    connect(BitBtnCopia, &QPushButton::clicked, this, plat::ui::guarded(this, &TFrm_Copias::BitBtnCopiaClick));
    connect(BitBtnAceitar, &QPushButton::clicked, this, plat::ui::guarded(this, &TFrm_Copias::BitBtnAceitarClick));
    connect(BitBtnSair, &QPushButton::clicked, this, &QDialog::accept);
}

void TFrm_Copias::FormCreate()
{
    plat::ui::runGuarded([this] { listCopies(); }, this);
}

void TFrm_Copias::listCopies()
{
    const QString dir = m_sessao.Dm_Dados->dataDirectory();
    m_copies = RegisterCopies::describe(dir);
    GridCopias->setRowCount(int(m_copies.size()));
    int newestSound = -1;
    for (int row = 0; row < m_copies.size(); ++row) {
        const RegisterCopy& c = m_copies[row];
        const bool readable = c.holders >= 0;
        if (c.sound && newestSound < 0)
            newestSound = row;
        QString institution = c.sigla.isEmpty() ? c.nome : c.sigla + QStringLiteral(" - ") + c.nome;
        if (!readable)
            institution = QStringLiteral("(ilegível)");
        const QStringList cells{when(c),
                                copyReasonText(c.reason),
                                institution,
                                readable ? QString::number(c.holders) : QString(),
                                readable ? QString::number(c.advisors) : QString(),
                                checkText(c, row == newestSound),
                                sizeText(c.size)};
        for (int col = 0; col < cells.size(); ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            if (col == kHolders || col == kAdvisors || col == kSize)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            item->setToolTip(shown(c.path));
            // The copy a restore should take stands out from copies that
            // look alike (the same day, the same numbers).
            if (row == newestSound) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            GridCopias->setItem(row, col, item);
        }
    }
    // The newest copy that passes the full check is the one offered.
    if (!m_copies.isEmpty())
        GridCopias->selectRow(newestSound >= 0 ? newestSound : 0);
    BitBtnRestaurar->setEnabled(!m_copies.isEmpty());
    Label_Pasta->setText(m_copies.isEmpty()
                             ? QStringLiteral("Não há cópias de segurança na pasta %1").arg(shown(RegisterCopies::folder(dir)))
                             : QStringLiteral("Pasta das cópias: %1").arg(shown(RegisterCopies::folder(dir))));
    // The institution's name whole, however long.
    plat::ui::widenToShowColumns(this, GridCopias);
}

void TFrm_Copias::BitBtnRestaurarClick()
{
    const int row = GridCopias->currentRow();
    if (row < 0 || row >= m_copies.size()) {
        plat::ui::attention(QStringLiteral("Selecione a cópia que deseja restaurar"), this);
        return;
    }
    const RegisterCopy copy = m_copies[row];
    if (!plat::ui::confirm(QStringLiteral("Os dados atuais serão substituídos pelos da cópia de %1 (%2 bolsistas, %3 "
                                          "orientadores). Antes disso, os dados atuais serão guardados numa cópia. "
                                          "Deseja restaurar esta cópia?")
                               .arg(when(copy))
                               .arg(copy.holders)
                               .arg(copy.advisors),
                           this))
        return;
    QString previous;
    {
        plat::ui::BusyCursor busy;
        previous = m_sessao.Dm_Dados->restore(copy.path);
    }
    m_registerChanged = true;
    // The restore is done: said first, with where the replaced data went,
    // then whatever opening the restored register had to tell.
    QString text = QStringLiteral("Dados restaurados da cópia de %1.").arg(when(copy));
    if (!previous.isEmpty())
        text += QStringLiteral(" Os dados substituídos foram guardados em %1.").arg(shown(previous));
    plat::ui::showMessage(text, this);
    showRegisterNotices(*m_sessao.Dm_Dados, this);
    listCopies();
}

void TFrm_Copias::BitBtnCopiaClick()
{
    RegisterCopies::Taken taken;
    {
        TDm_Dados& dados = *m_sessao.Dm_Dados;
        // Copies are taken from a register that passes the full check.
        checkRegisterBeforeUse(dados, this);
        plat::ui::BusyCursor busy;
        taken = RegisterCopies::take(dados.database(), dados.dataDirectory(), QDateTime::currentDateTime(), true,
                                     CopyReason::User);
    }
    listCopies();
    plat::ui::showMessage(
        taken.created
            ? QStringLiteral("Cópia de segurança gravada em %1.").arg(shown(taken.path))
            : QStringLiteral("Os dados são os mesmos da cópia mais recente (%1); ela foi mantida.").arg(shown(taken.path)),
        this);
}

void TFrm_Copias::BitBtnAceitarClick()
{
    if (!plat::ui::confirm(QStringLiteral("Os registros alterados fora do programa serão aceitos como estão agora. Antes "
                                          "disso, os dados serão guardados numa cópia. Deseja aceitar as alterações?"),
                           this))
        return;
    TDm_Dados::Acceptance accepted;
    {
        plat::ui::BusyCursor busy;
        accepted = m_sessao.Dm_Dados->acceptOutsideChanges();
    }
    showRegisterNotices(*m_sessao.Dm_Dados, this);
    if (accepted.records.isEmpty()) {
        plat::ui::showMessage(QStringLiteral("Nenhum registro foi alterado fora do programa; nada foi aceito."), this);
        return;
    }
    m_registerChanged = true;
    listCopies();
    plat::ui::showMessage(QStringLiteral("Registros aceitos como estão agora:\n%1\nOs dados como estavam foram guardados em %2.")
                              .arg(accepted.records.join(u'\n'), shown(accepted.copy)),
                          this);
}

} // namespace zelta

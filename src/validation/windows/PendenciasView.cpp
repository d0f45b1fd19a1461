#include "validation/windows/PendenciasView.h"

#include "advisors/windows/TFrm_Cad_Orientador.h"
#include "data/TDm_Dados.h"
#include "holders/windows/TFrm_Cad_Bolsistas.h"
#include "platform/db/Table.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Messages.h"
#include "platform/ui/ModalRunner.h"
#include "validation/TVlCpfCgc.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QVBoxLayout>

namespace zelta {

using plat::db::Table;

namespace {
const QString kGeracaoHeader = QStringLiteral("Impede a geração");
} // namespace

// One row per problem; the record's kind, name and CPF only on its first row,
// so that the rows of a record read as one group.
class PendenciasView::Model : public QAbstractTableModel {
public:
    enum Column { Registro, Nome, Cpf, Problema, Geracao, Columns };

    explicit Model(QObject* parent) : QAbstractTableModel(parent) {}

    void setLista(ListaPendencias lista)
    {
        beginResetModel();
        m_lista = std::move(lista);
        build();
        endResetModel();
    }
    ListaPendencias& lista() { return m_lista; }
    // After one record's entry changed.
    void changed()
    {
        beginResetModel();
        build();
        endResetModel();
    }

    // The record and problem of a row.
    std::pair<int, int> at(int row) const
    {
        return row >= 0 && row < int(m_rows.size()) ? m_rows[std::size_t(row)] : std::pair<int, int>(-1, -1);
    }
    int rowOf(int registro, int pendencia) const
    {
        const auto it = std::find(m_rows.begin(), m_rows.end(), std::pair<int, int>(registro, pendencia));
        return it == m_rows.end() ? -1 : int(it - m_rows.begin());
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : Columns; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto [r, p] = at(index.row());
        if (r < 0)
            return {};
        const RegistroPendente& reg = m_lista.registros.at(r);
        const Pendencia& pend = reg.pendencias.at(p);
        if (role == Qt::ForegroundRole && pend.resolvida && index.column() >= Problema)
            return QColor(Qt::gray);
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case Registro:
            return p == 0 ? (reg.orientador ? QStringLiteral("Orientador") : QStringLiteral("Bolsista")) : QString();
        case Nome: return p == 0 ? reg.nome : QString();
        case Cpf: return p == 0 ? reg.cpf : QString();
        case Problema: return pend.resolvida ? pend.mensagem + QStringLiteral(" (resolvida)") : pend.mensagem;
        case Geracao:
            // Whether the problem stops the generation of the file; one only
            // the entry form asks for says so, and a solved one says nothing.
            if (pend.resolvida)
                return QString();
            return pend.impedeGeracao ? QStringLiteral("Sim") : QStringLiteral("Não");
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        switch (section) {
        case Registro: return QStringLiteral("Registro");
        case Nome: return QStringLiteral("Nome");
        case Cpf: return QStringLiteral("CPF");
        case Problema: return QStringLiteral("Pendência");
        case Geracao: return kGeracaoHeader;
        }
        return {};
    }

private:
    void build()
    {
        m_rows.clear();
        for (int r = 0; r < m_lista.registros.size(); ++r)
            for (int p = 0; p < m_lista.registros.at(r).pendencias.size(); ++p)
                m_rows.push_back({r, p});
    }

    ListaPendencias m_lista;
    std::vector<std::pair<int, int>> m_rows;
};

PendenciasView::PendenciasView(Sessao& sessao, bool soImpeditivas, QWidget* parent)
    : QWidget(parent), m_sessao(sessao), m_soImpeditivas(soImpeditivas)
{
    setObjectName(QStringLiteral("PendenciasView"));
    auto* title = new QLabel(soImpeditivas ? QStringLiteral("Pendências que impedem a geração do arquivo")
                                           : QStringLiteral("Pendências"),
                             this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    LabelPendencias = new QLabel(this);
    LabelPendencias->setObjectName(QStringLiteral("LabelPendencias"));

    m_model = new Model(this);
    GridPendencias = new QTableView(this);
    GridPendencias->setObjectName(QStringLiteral("GridPendencias"));
    GridPendencias->setModel(m_model);
    GridPendencias->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridPendencias->setSelectionMode(QAbstractItemView::SingleSelection);
    GridPendencias->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridPendencias->setWordWrap(false);
    GridPendencias->verticalHeader()->hide();
    GridPendencias->verticalHeader()->setDefaultSectionSize(GridPendencias->fontMetrics().height() + 6);
    // Fixed widths from the longest texts, so that a long list costs nothing
    // to lay out; the name takes what is left.
    QHeaderView* header = GridPendencias->horizontalHeader();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(Model::Nome, QHeaderView::Stretch);
    header->setMinimumSectionSize(40);
    const QFontMetrics fm = GridPendencias->fontMetrics();
    const int pad = 16;
    GridPendencias->setColumnWidth(Model::Registro, fm.horizontalAdvance(QStringLiteral("Orientador")) + pad);
    GridPendencias->setColumnWidth(Model::Cpf, fm.horizontalAdvance(QStringLiteral("000.000.000-00")) + pad);
    GridPendencias->setColumnWidth(Model::Problema, fm.horizontalAdvance(QStringLiteral("Orientador não Vinculado a Bolsista")) + pad);
    GridPendencias->setColumnWidth(Model::Geracao, fm.horizontalAdvance(kGeracaoHeader) + pad);
    GridPendencias->setMinimumWidth(fm.horizontalAdvance(u'M') * 12 + 4 * pad
                                    + fm.horizontalAdvance(QStringLiteral("Orientador000.000.000-00"
                                                                          "Orientador não Vinculado a Bolsista")
                                                           + kGeracaoHeader));
    GridPendencias->installEventFilter(this);

    BitBtnCorrigir = new QPushButton(QStringLiteral("Corrigir"), this);
    BitBtnCorrigir->setObjectName(QStringLiteral("BitBtnCorrigir"));
    BitBtnCorrigir->setAutoDefault(false);
    BitBtnCorrigir->setEnabled(false);
    BitBtnCorrigir->setMinimumWidth(96);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(LabelPendencias, 1);
    bottom->addWidget(BitBtnCorrigir);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addWidget(GridPendencias, 1);
    layout->addLayout(bottom);

    connect(BitBtnCorrigir, &QPushButton::clicked, this, plat::ui::guarded(this, &PendenciasView::BitBtnCorrigirClick));
    connect(GridPendencias, &QAbstractItemView::doubleClicked, this,
            plat::ui::guarded(this, &PendenciasView::BitBtnCorrigirClick));
    showCount();
}

bool PendenciasView::eventFilter(QObject* watched, QEvent* event)
{
    // Enter opens the record, and goes no further (to a default button).
    if (watched == GridPendencias && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            plat::ui::runGuarded([this] { BitBtnCorrigirClick(); }, this);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PendenciasView::setLista(ListaPendencias lista)
{
    m_model->setLista(std::move(lista));
    showCount();
    if (m_model->rowCount() > 0)
        GridPendencias->selectRow(0);
}

const ListaPendencias& PendenciasView::lista() const { return m_model->lista(); }

void PendenciasView::showCount()
{
    const ListaPendencias& l = m_model->lista();
    const int problems = l.problemas();
    LabelPendencias->setText(problems == 0 ? QStringLiteral("Nenhuma pendência")
                                           : QStringLiteral("%1 pendência(s) em %2 registro(s)")
                                                 .arg(problems)
                                                 .arg(l.registrosComProblemas()));
    BitBtnCorrigir->setEnabled(m_model->rowCount() > 0);
}

void PendenciasView::selecionar(int registro, int pendencia)
{
    const int row = m_model->rowOf(registro, pendencia);
    if (row >= 0) {
        GridPendencias->selectRow(row);
        GridPendencias->scrollTo(m_model->index(row, 0));
    }
}

void PendenciasView::BitBtnCorrigirClick()
{
    const auto [r, p] = m_model->at(GridPendencias->currentIndex().row());
    if (r < 0)
        return;
    const RegistroPendente entry = m_model->lista().registros.at(r);
    // The focus goes to the record's first failing field that the form can
    // change (an advisor's CPF it cannot), the chosen one when all are solved.
    Campo campo = entry.pendencias.at(p).campo;
    for (const Pendencia& pend : entry.pendencias)
        if (!pend.resolvida && !(entry.orientador && pend.campo == Campo::Cpf)) {
            campo = pend.campo;
            break;
        }
    const bool opened = entry.orientador ? abrirOrientador(entry, campo) : abrirBolsista(entry, campo);
    if (!opened) {
        plat::ui::showMessage(QStringLiteral("O registro não existe mais."), this);
        return;
    }
    reexaminar(r);
    selecionar(r, p);
    GridPendencias->setFocus();
}

void PendenciasView::reexaminar(int registro)
{
    ListaPendencias& l = m_model->lista();
    if (registro < 0 || registro >= l.registros.size())
        return;
    RegistroPendente& entry = l.registros[registro];
    // The list of what stops the generation asks only the pre-check's rules.
    Completude walk(m_sessao.Dm_Dados->database(), m_soImpeditivas ? nullptr : m_sessao.VerificarCpfCgc);
    atualizarRegistro(entry, entry.orientador ? walk.orientador(entry.rowid) : walk.bolsista(entry.rowid), m_soImpeditivas);
    m_model->changed();
    showCount();
}

namespace {

// Runs fn with the cursor on the record at rowid, opening the cursor for the
// time when it was closed. False when the record is gone.
bool onRecord(Table& table, qint64 rowid, const std::function<void()>& fn)
{
    const bool wasOpen = table.isOpen();
    if (!wasOpen)
        table.open();
    const auto closeAfter = qScopeGuard([&table, wasOpen] {
        if (!wasOpen)
            table.close();
    });
    if (!table.gotoBookmark(plat::db::Bookmark{{}, rowid}))
        return false;
    fn();
    return true;
}

} // namespace

bool PendenciasView::abrirBolsista(const RegistroPendente& r, Campo campo)
{
    return onRecord(*m_sessao.Dm_Dados->Tb_Bolsistas, r.rowid, [&] { TFrm_Cad_Bolsistas::editar(m_sessao, window(), &campo); });
}

bool PendenciasView::abrirOrientador(const RegistroPendente& r, Campo campo)
{
    Table& ori = *m_sessao.Dm_Dados->Tb_Orientador;
    return onRecord(ori, r.rowid, [&] {
        m_sessao.Chave_Orientador = ori.field(QStringLiteral("CPF")).asString();
        m_sessao.Novo_Orientador = false;
        TFrm_Cad_Orientador form(m_sessao, window());
        form.focoEm(campo);
        plat::ui::showModal(&form);
    });
}

} // namespace zelta

#include "validation/windows/PendenciasView.h"

#include "advisors/windows/TFrm_Cad_Orientador.h"
#include "advisors/windows/TFrm_Orientadores.h"
#include "data/TDm_Dados.h"
#include "exchange/windows/ExportarPlanilha.h"
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
#include <QStyle>
#include <QScopeGuard>
#include <QTableView>
#include <QVBoxLayout>

#include <numeric>

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
        case Nome:
            return p == 0 ? reg.nome : QString();
        case Cpf:
            return p == 0 ? reg.cpf : QString();
        case Problema:
            return pend.resolvida ? pend.mensagem + QStringLiteral(" (resolvida)") : pend.mensagem;
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
        case Registro:
            return QStringLiteral("Registro");
        case Nome:
            return QStringLiteral("Nome");
        case Cpf:
            return QStringLiteral("CPF");
        case Problema:
            return QStringLiteral("Pendência");
        case Geracao:
            return kGeracaoHeader;
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
    LabelPendencias->setWordWrap(true); // the count with what the log does not count may take two lines

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
    // Each column as wide as its longest text (fitColumns), the last one
    // stretched over what the table has left.
    QHeaderView* header = GridPendencias->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(true);
    header->setMinimumSectionSize(40);
    const QFontMetrics fm = GridPendencias->fontMetrics();
    const int pad = 16;
    GridPendencias->setMinimumWidth(fm.horizontalAdvance(u'M') * 12 + 4 * pad
                                    + fm.horizontalAdvance(QStringLiteral("Orientador000.000.000-00"
                                                                          "Orientador não Vinculado a Bolsista")
                                                           + kGeracaoHeader));
    GridPendencias->installEventFilter(this);

    // Alt+O in every window that shows the list: Alt+C belongs to
    // "Confirmar" in the generation window.
    BitBtnCorrigir = new QPushButton(QStringLiteral("C&orrigir"), this);
    BitBtnCorrigir->setObjectName(QStringLiteral("BitBtnCorrigir"));
    BitBtnCorrigir->setAutoDefault(false);
    BitBtnCorrigir->setEnabled(false);
    BitBtnCorrigir->setMinimumWidth(96);

    BitBtnExportar = new QPushButton(QStringLiteral("Exportar Planilha..."), this);
    BitBtnExportar->setObjectName(QStringLiteral("BitBtnExportar"));
    BitBtnExportar->setAutoDefault(false);
    BitBtnExportar->setEnabled(false);
    BitBtnExportar->setVisible(!soImpeditivas);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(LabelPendencias, 1);
    bottom->addWidget(BitBtnExportar);
    bottom->addWidget(BitBtnCorrigir);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addWidget(GridPendencias, 1);
    layout->addLayout(bottom);

    connect(BitBtnCorrigir, &QPushButton::clicked, this, plat::ui::guarded(this, &PendenciasView::BitBtnCorrigirClick));
    connect(BitBtnExportar, &QPushButton::clicked, this,
            plat::ui::guarded([this] { exportarPlanilha(m_sessao, sheets::ExportList::Pendencias, this); }));
    connect(GridPendencias, &QAbstractItemView::doubleClicked, this,
            plat::ui::guarded(this, &PendenciasView::BitBtnCorrigirClick));
    fitColumns();
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
    m_preenchida = true;
    fitColumns();
    showCount();
    if (m_model->rowCount() > 0)
        GridPendencias->selectRow(0);
}

const ListaPendencias& PendenciasView::lista() const { return m_model->lista(); }

void PendenciasView::limpar()
{
    m_model->setLista({});
    m_preenchida = false;
    fitColumns();
    showCount();
}

void PendenciasView::showCount()
{
    BitBtnCorrigir->setEnabled(m_model->rowCount() > 0);
    BitBtnExportar->setEnabled(m_model->rowCount() > 0);
    if (!m_preenchida) {
        LabelPendencias->clear();
        LabelPendencias->setToolTip(QString());
        return;
    }
    const ListaPendencias& l = m_model->lista();
    const int problems = l.problemas();
    if (problems == 0) {
        LabelPendencias->setText(QStringLiteral("Nenhuma pendência"));
        return;
    }
    QString text = QStringLiteral("%1 pendência(s) em %2 registro(s)").arg(problems).arg(l.registrosComProblemas());
    if (!m_soImpeditivas) {
        // The verification's log counts its own errors, one line per holder
        // and at most two per advisor; the list says what it adds to them.
        const ListaPendencias::Contagem c = l.contagem();
        QStringList why;
        if (c.soFormulario > 0)
            why << QStringLiteral("%1 só do formulário").arg(c.soFormulario);
        if (c.soGeracao > 0)
            why << QStringLiteral("%1 só da geração do arquivo").arg(c.soGeracao);
        if (c.juntas > 0)
            why << QStringLiteral("%1 que o log conta junto com outra do registro").arg(c.juntas);
        if (!why.isEmpty()) {
            why.first().insert(why.first().indexOf(u' '), QStringLiteral(" delas"));
            text += QStringLiteral(", ") + why.join(QStringLiteral(", "));
        }
    }
    LabelPendencias->setText(text);
    LabelPendencias->setToolTip(m_soImpeditivas
                                    ? QString()
                                    : QStringLiteral("O log da verificação conta os erros da verificação: uma linha por bolsista "
                                                     "e até duas por orientador. A lista mostra cada pendência, também o que só "
                                                     "o formulário pede e o que só impede a geração do arquivo."));
}

void PendenciasView::fitColumns()
{
    // From the texts themselves, not from the rows' size hints, so that a
    // long list costs one pass over its records.
    const QFontMetrics fm = GridPendencias->fontMetrics();
    const QFontMetrics headerFm = GridPendencias->horizontalHeader()->fontMetrics();
    QStyle* style = GridPendencias->style();
    const int cellPad = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, GridPendencias) + 1) + 8;
    const int headerPad = 2 * style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, GridPendencias) + 8;
    int widths[Model::Columns] = {};
    for (int c = 0; c < Model::Columns; ++c)
        widths[c] = headerFm.horizontalAdvance(m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) + headerPad;
    auto fit = [&](int column, const QString& text) {
        widths[column] = std::max(widths[column], fm.horizontalAdvance(text) + cellPad);
    };
    fit(Model::Registro, QStringLiteral("Orientador"));
    fit(Model::Geracao, QStringLiteral("Não"));
    for (const RegistroPendente& r : m_model->lista().registros) {
        fit(Model::Nome, r.nome);
        fit(Model::Cpf, r.cpf);
        for (const Pendencia& p : r.pendencias)
            fit(Model::Problema, p.resolvida ? p.mensagem + QStringLiteral(" (resolvida)") : p.mensagem);
    }
    for (int c = 0; c < Model::Columns; ++c)
        GridPendencias->setColumnWidth(c, widths[c]);
    m_columnsWidth = std::accumulate(std::begin(widths), std::end(widths), 0);
    updateGeometry();
}

QSize PendenciasView::sizeHint() const
{
    const int scrollBar = GridPendencias->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, GridPendencias);
    const int width = m_columnsWidth + 2 * GridPendencias->frameWidth() + scrollBar;
    return QWidget::sizeHint().expandedTo(QSize(width, 0));
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
    // An advisor whom no holder names is dealt with where advisors are
    // deleted: the entry form has no field that changes it.
    const bool semBolsista = entry.orientador && entry.pendencias.at(p).campo == Campo::Vinculo;
    // Otherwise the focus goes to the record's first failing field that the
    // form can change (an advisor's CPF it cannot), the chosen one when all
    // are solved.
    Campo campo = entry.pendencias.at(p).campo;
    for (const Pendencia& pend : entry.pendencias)
        if (!pend.resolvida && pend.campo != Campo::Vinculo && !(entry.orientador && pend.campo == Campo::Cpf)) {
            campo = pend.campo;
            break;
        }
    const bool opened = semBolsista        ? abrirListaDeOrientadores(entry)
                        : entry.orientador ? abrirOrientador(entry, campo)
                                           : abrirBolsista(entry, campo);
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
    Completude walk(m_sessao.Dm_Dados->database(),
                    m_soImpeditivas ? Regras::preGeracao() : Regras::verificacao(*m_sessao.VerificarCpfCgc));
    atualizarRegistro(entry, entry.orientador ? walk.orientador(entry.rowid) : walk.bolsista(entry.rowid), m_soImpeditivas);
    m_model->changed();
    fitColumns();
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
    return onRecord(*m_sessao.Dm_Dados->Tb_Bolsistas, r.rowid,
                    [&] { TFrm_Cad_Bolsistas::editar(*m_sessao.Dm_Dados, *m_sessao.VerificarCpfCgc, window(), &campo); });
}

bool PendenciasView::abrirOrientador(const RegistroPendente& r, Campo campo)
{
    Table& ori = *m_sessao.Dm_Dados->Tb_Orientador;
    return onRecord(ori, r.rowid, [&] {
        TFrm_Cad_Orientador form(*m_sessao.Dm_Dados, *m_sessao.VerificarCpfCgc, TFrm_Cad_Orientador::Modo::Editar,
                                 m_sessao.SubArea_Selecionada, window());
        form.focoEm(campo);
        plat::ui::showModal(&form);
        m_sessao.SubArea_Selecionada = form.subArea();
    });
}

bool PendenciasView::abrirListaDeOrientadores(const RegistroPendente& r)
{
    // The list opens its own cursor in name order; it is placed on the
    // advisor before it shows.
    TFrm_Orientadores list(m_sessao, window());
    if (!list.posicionar(r.rowid))
        return false;
    plat::ui::showModal(&list);
    return true;
}

} // namespace zelta

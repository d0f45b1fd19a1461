#include "exchange/windows/TFrm_ImportarPlanilha.h"

#include "app/windows/RegisterNotices.h"
#include "data/TDm_Dados.h"
#include "exchange/sheets/CellValues.h"
#include "exchange/sheets/SheetReaders.h"
#include "exchange/windows/ImportPreview.h"
#include "platform/system/Error.h"
#include "platform/system/Settings.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/FormBuilding.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowChrome.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace zelta {

namespace {

// The column's name as a spreadsheet program shows it: A, B, ..., Z, AA, ...
QString columnLetters(int column)
{
    QString name;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

QLabel* buddyLabel(QWidget* parent, const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

int columnsOf(const sheets::Sheet& sheet)
{
    int columns = 0;
    for (const sheets::SheetRow& r : sheet.rows)
        columns = std::max(columns, int(r.cells.size()));
    return columns;
}

QString plural(int n, const QString& one, const QString& many) { return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? one : many); }

} // namespace

TFrm_ImportarPlanilha::TFrm_ImportarPlanilha(Sessao& sessao, QWidget* parent) : Form(parent), m_sessao(sessao)
{
    setObjectName(QStringLiteral("Frm_ImportarPlanilha"));
    setWindowTitle(QStringLiteral("Importar Planilha"));
    buildUi();
    wireEvents();
    plat::ui::setNoBorderIcons(this, BtnFechar);
    resize(1040, 640);
}

TFrm_ImportarPlanilha::~TFrm_ImportarPlanilha() { closeOnDestroy(); }

QWidget* TFrm_ImportarPlanilha::buildChoice()
{
    auto* box = new QGroupBox(this);
    EdArquivo = plat::ui::displayBox(box, QStringLiteral("EdArquivo"));
    EdArquivo->setPlaceholderText(QStringLiteral("Escolha um arquivo CSV, XLSX ou ODS"));
    BtnEscolher = new QPushButton(style()->standardIcon(QStyle::SP_DirOpenIcon), QStringLiteral("&Escolher..."), box);
    BtnEscolher->setObjectName(QStringLiteral("BtnEscolher"));
    BtnEscolher->setAutoDefault(false);

    CbPlanilha = new QComboBox(box);
    CbPlanilha->setObjectName(QStringLiteral("CbPlanilha"));
    CbPlanilha->setMinimumContentsLength(16);
    CbPlanilha->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CbPlanilha->setEnabled(false);
    CbConteudo = new QComboBox(box);
    CbConteudo->setObjectName(QStringLiteral("CbConteudo"));
    CbConteudo->addItem(QStringLiteral("Bolsistas"), int(sheets::ImportKind::Holders));
    CbConteudo->addItem(QStringLiteral("Orientadores"), int(sheets::ImportKind::Advisors));
    LbFormato = new QLabel(box);
    LbFormato->setObjectName(QStringLiteral("LbFormato"));
    LbFormato->setTextFormat(Qt::PlainText);
    ChkAtualizar = new QCheckBox(QStringLiteral("A&tualizar os já cadastrados com os dados da planilha"), box);
    ChkAtualizar->setObjectName(QStringLiteral("ChkAtualizar"));
    ChkAtualizar->setToolTip(QStringLiteral("Uma linha de um bolsista já cadastrado (o mesmo CPF), ou de um orientador já "
                                            "cadastrado com o mesmo projeto, altera esse cadastro nos campos que a planilha "
                                            "traz preenchidos; sem esta opção, ela é um problema."));

    auto* grid = new QGridLayout(box);
    grid->addWidget(buddyLabel(box, QStringLiteral("Arquivo:"), EdArquivo), 0, 0);
    grid->addWidget(EdArquivo, 0, 1, 1, 4);
    grid->addWidget(BtnEscolher, 0, 5);
    grid->addWidget(buddyLabel(box, QStringLiteral("&Planilha:"), CbPlanilha), 1, 0);
    grid->addWidget(CbPlanilha, 1, 1);
    grid->addWidget(buddyLabel(box, QStringLiteral("&Contém:"), CbConteudo), 1, 2);
    grid->addWidget(CbConteudo, 1, 3);
    grid->addWidget(LbFormato, 1, 4, 1, 2);
    grid->addWidget(ChkAtualizar, 2, 1, 1, 5);
    grid->setColumnStretch(4, 1);
    return box;
}

QWidget* TFrm_ImportarPlanilha::buildMapping()
{
    auto* panel = new QWidget(this);
    Mapa = new QScrollArea(panel);
    Mapa->setObjectName(QStringLiteral("Mapa"));
    Mapa->setWidgetResizable(true);
    Mapa->setFocusPolicy(Qt::NoFocus);
    auto* title = new QLabel(QStringLiteral("Co&rrespondência das colunas:"), panel);
    title->setObjectName(QStringLiteral("LbMapa"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addWidget(Mapa, 1);
    return panel;
}

QWidget* TFrm_ImportarPlanilha::buildPreview()
{
    auto* panel = new QWidget(this);
    m_preview = new ImportPreview(this);
    GridLinhas = new QTableView(panel);
    GridLinhas->setObjectName(QStringLiteral("GridLinhas"));
    GridLinhas->setModel(m_preview);
    GridLinhas->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridLinhas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridLinhas->setTabKeyNavigation(false);
    GridLinhas->verticalHeader()->hide();
    GridLinhas->verticalHeader()->setDefaultSectionSize(GridLinhas->fontMetrics().height() + 6);
    GridLinhas->horizontalHeader()->setStretchLastSection(true);
    LbResumo = new QLabel(panel);
    LbResumo->setObjectName(QStringLiteral("LbResumo"));
    LbResumo->setTextFormat(Qt::PlainText);
    LbResumo->setWordWrap(true);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(buddyLabel(panel, QStringLiteral("&Linhas da planilha:"), GridLinhas));
    layout->addWidget(GridLinhas, 1);
    layout->addWidget(LbResumo);
    return panel;
}

void TFrm_ImportarPlanilha::buildUi()
{
    QWidget* choice = buildChoice();
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setChildrenCollapsible(false);
    split->addWidget(buildMapping());
    split->addWidget(buildPreview());
    split->setStretchFactor(1, 1);
    split->setSizes({380, 640});

    BtnImportar = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("&Importar"), this);
    BtnImportar->setObjectName(QStringLiteral("BtnImportar"));
    BtnImportar->setEnabled(false);
    BtnImportar->setAutoDefault(false);
    BtnImportar->setMinimumWidth(110);
    BtnFechar = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("&Fechar"), this);
    BtnFechar->setObjectName(QStringLiteral("BtnFechar"));
    BtnFechar->setAutoDefault(false);
    BtnFechar->setMinimumWidth(110);
    // Shown while the rows are written.
    BarraGravacao = new QProgressBar(this);
    BarraGravacao->setObjectName(QStringLiteral("BarraGravacao"));
    BarraGravacao->setTextVisible(false);
    BarraGravacao->setVisible(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BarraGravacao, 1);
    buttons->addStretch(1);
    buttons->addWidget(BtnImportar);
    buttons->addWidget(BtnFechar);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(choice);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);
    fillMapping();
    showSummary({});
    BtnEscolher->setFocus();
}

void TFrm_ImportarPlanilha::wireEvents()
{
    using plat::ui::guarded;
    connect(BtnEscolher, &QPushButton::clicked, this, guarded(this, &TFrm_ImportarPlanilha::BtnEscolherClick));
    connect(BtnImportar, &QPushButton::clicked, this, guarded(this, &TFrm_ImportarPlanilha::BtnImportarClick));
    connect(BtnFechar, &QPushButton::clicked, this, &QDialog::reject);
    connect(CbPlanilha, &QComboBox::currentIndexChanged, this, guarded([this] {
                if (!m_filling)
                    sheetChosen();
            }));
    connect(CbConteudo, &QComboBox::currentIndexChanged, this, guarded([this] {
                if (!m_filling)
                    kindChosen();
            }));
    connect(ChkAtualizar, &QCheckBox::toggled, this, guarded([this] { check(); }));
}

sheets::ImportKind TFrm_ImportarPlanilha::kind() const { return sheets::ImportKind(CbConteudo->currentData().toInt()); }

const sheets::Sheet* TFrm_ImportarPlanilha::currentSheet() const
{
    const int i = CbPlanilha->currentIndex();
    return i >= 0 && i < m_book.sheets.size() ? &m_book.sheets.at(i) : nullptr;
}

void TFrm_ImportarPlanilha::BtnEscolherClick()
{
    const plat::sys::Settings& settings = *m_sessao.Configuracao;
    const QString start = !m_path.isEmpty()             ? m_path
                          : settings.drivePresent(u'A') ? settings.driveDirectory(u'A')
                                                        : QDir::homePath();
    const QString path = plat::ui::chooseOpenFile(this, QStringLiteral("Importar Planilha"), start,
                                                  {QStringLiteral("Planilhas (*.csv *.xlsx *.ods *.CSV *.XLSX *.ODS)"),
                                                   QStringLiteral("Todos os arquivos (*)")});
    if (!path.isEmpty())
        abrirArquivo(path);
}

void TFrm_ImportarPlanilha::abrirArquivo(const QString& path)
{
    m_path = path;
    EdArquivo->setText(QDir::toNativeSeparators(path));
    m_book = {};
    m_check.reset();
    try {
        plat::ui::BusyCursor reading;
        m_book = sheets::readWorkbook(path);
    } catch (const plat::Error& e) {
        m_filling = true;
        CbPlanilha->clear();
        m_filling = false;
        LbFormato->clear();
        sheetChosen();
        plat::ui::attention(e.message(), this);
        return;
    }
    m_filling = true;
    CbPlanilha->clear();
    for (const sheets::Sheet& s : m_book.sheets)
        CbPlanilha->addItem(s.hidden ? QStringLiteral("%1 (oculta)").arg(s.name) : s.name);
    CbPlanilha->setEnabled(m_book.sheets.size() > 1);
    // The sheet offered first: the first visible one that names a CPF column.
    CbPlanilha->setCurrentIndex(std::max(0, sheets::sheetWithCpf(m_book, std::nullopt)));
    m_filling = false;
    LbFormato->setText(
        m_book.separator.isEmpty()
            ? QStringLiteral("Formato: %1").arg(QFileInfo(path).suffix().toUpper())
            : QStringLiteral("Formato: CSV, separador \"%1\", codificação %2").arg(m_book.separator, m_book.encoding));
    sheetChosen();
}

void TFrm_ImportarPlanilha::sheetChosen()
{
    const sheets::Sheet* sheet = currentSheet();
    m_preview->setSheet(sheet);
    if (sheet && !sheet->rows.isEmpty()) {
        // What the sheet holds, by which kind of record its headings name
        // more fields of; the user may choose otherwise.
        const sheets::SheetRow& heading = sheet->rows.first();
        const bool advisors = sheets::matchHeadings(sheets::ImportKind::Advisors, heading).size()
                              > sheets::matchHeadings(sheets::ImportKind::Holders, heading).size();
        m_filling = true;
        CbConteudo->setCurrentIndex(
            CbConteudo->findData(int(advisors ? sheets::ImportKind::Advisors : sheets::ImportKind::Holders)));
        m_filling = false;
    }
    kindChosen();
}

void TFrm_ImportarPlanilha::kindChosen()
{
    const sheets::Sheet* sheet = currentSheet();
    m_mapping = sheet && !sheet->rows.isEmpty() ? sheets::matchHeadings(kind(), sheet->rows.first()) : sheets::Mapping{};
    fillMapping();
    check();
}

void TFrm_ImportarPlanilha::fillMapping()
{
    CbCampos.clear();
    m_mapPanel = new QWidget;
    Mapa->setWidget(m_mapPanel); // the panel before goes with it
    m_mapGrid = new QGridLayout(m_mapPanel);
    m_mapGrid->addWidget(new QLabel(QStringLiteral("<b>Coluna</b>"), m_mapPanel), 0, 0);
    m_mapGrid->addWidget(new QLabel(QStringLiteral("<b>Título na planilha</b>"), m_mapPanel), 0, 1);
    m_mapGrid->addWidget(new QLabel(QStringLiteral("<b>Campo</b>"), m_mapPanel), 0, 2);
    const sheets::Sheet* sheet = currentSheet();
    const int columns = sheet ? columnsOf(*sheet) : 0;
    QWidget* previous = ChkAtualizar;
    for (int c = 0; c < columns; ++c) {
        auto* combo = new QComboBox(m_mapPanel);
        combo->setObjectName(QStringLiteral("CbCampo%1").arg(columnLetters(c)));
        combo->addItem(QStringLiteral("(não importar)"), -1);
        for (const sheets::ImportField& f : sheets::importFields(kind()))
            combo->addItem(f.label, int(f.id));
        combo->setCurrentIndex(combo->findData(int(m_mapping.key(c, sheets::FieldId(-1)))));
        if (combo->currentIndex() < 0)
            combo->setCurrentIndex(0);
        auto* heading = new QLabel(sheets::shownOf(sheet->rows.first().cell(c)), m_mapPanel);
        heading->setTextFormat(Qt::PlainText);
        heading->setBuddy(combo);
        m_mapGrid->addWidget(new QLabel(columnLetters(c), m_mapPanel), c + 1, 0);
        m_mapGrid->addWidget(heading, c + 1, 1);
        m_mapGrid->addWidget(combo, c + 1, 2);
        connect(combo, &QComboBox::activated, this, plat::ui::guarded([this, c] { fieldChosen(c); }));
        QWidget::setTabOrder(previous, combo);
        previous = combo;
        CbCampos.append(combo);
    }
    m_mapGrid->setColumnStretch(1, 1);
    m_mapGrid->setRowStretch(columns + 1, 1);
    if (auto* title = findChild<QLabel*>(QStringLiteral("LbMapa")))
        title->setBuddy(CbCampos.isEmpty() ? static_cast<QWidget*>(Mapa) : CbCampos.constFirst());
    plat::ui::tabChain({previous, GridLinhas, BtnImportar, BtnFechar});
}

void TFrm_ImportarPlanilha::setCampo(int column, int field)
{
    QComboBox* combo = CbCampos.at(column);
    combo->setCurrentIndex(std::max(0, combo->findData(field)));
    fieldChosen(column);
}

int TFrm_ImportarPlanilha::campo(int column) const { return CbCampos.at(column)->currentData().toInt(); }

void TFrm_ImportarPlanilha::fieldChosen(int column)
{
    const int field = campo(column);
    // A field takes one column: the one that had it gives it up.
    for (auto it = m_mapping.begin(); it != m_mapping.end();)
        it = it.value() == column || (field >= 0 && it.key() == sheets::FieldId(field)) ? m_mapping.erase(it) : std::next(it);
    for (int c = 0; c < CbCampos.size(); ++c)
        if (c != column && field >= 0 && campo(c) == field)
            CbCampos[c]->setCurrentIndex(0);
    if (field >= 0)
        m_mapping.insert(sheets::FieldId(field), column);
    check();
}

void TFrm_ImportarPlanilha::check()
{
    m_check.reset();
    m_preview->setProblems({});
    m_preview->setChanges(nullptr);
    GridLinhas->setColumnHidden(ImportPreview::kChanges, !ChkAtualizar->isChecked());
    const sheets::Sheet* sheet = currentSheet();
    if (!sheet) {
        showSummary({});
        return;
    }
    if (const QString problem = sheets::headingProblem(m_book, *sheet, m_mapping); !problem.isEmpty()) {
        const QString choose = m_book.sheets.size() > 1 ? QStringLiteral(" Escolha outra planilha em Planilha") : QString();
        showSummary(problem
                    + (sheet->rows.isEmpty() ? (choose.isEmpty() ? QString() : choose + u'.')
                                             : (choose.isEmpty() ? QStringLiteral(" Escolha") : choose + QStringLiteral(", ou"))
                                                   + QStringLiteral(" a coluna do CPF na correspondência das colunas.")));
        return;
    }
    try {
        plat::ui::BusyCursor checking;
        sheets::ImportOptions options;
        options.mapping = &m_mapping;
        options.update = ChkAtualizar->isChecked();
        m_check = sheets::checkImport(m_sessao.Dm_Dados->database(), kind(), *sheet, options);
    } catch (const plat::Error& e) {
        if (e.kind() != plat::Error::Kind::Input)
            throw;
        showSummary(plat::ui::withFullStop(e.message()));
        return;
    }
    m_preview->setProblems(m_check->problems);
    m_preview->setChanges(&*m_check);
    showSummary({});
}

void TFrm_ImportarPlanilha::showSummary(const QString& failure)
{
    const bool ready = m_check && m_check->problems.isEmpty() && !(m_check->records.isEmpty() && m_check->updates.isEmpty());
    BtnImportar->setEnabled(ready);
    QString text = failure;
    if (text.isEmpty() && m_check) {
        const int rows = m_preview->rowCount();
        const QString read = plural(rows, QStringLiteral("linha lida"), QStringLiteral("linhas lidas"));
        if (m_check->problems.isEmpty() && m_check->update)
            text = QStringLiteral("%1, nenhum problema: %2 a incluir, %3 a atualizar, %4.")
                       .arg(read)
                       .arg(m_check->records.size())
                       .arg(m_check->updates.size())
                       .arg(plural(int(m_check->unchangedRows.size()), QStringLiteral("sem alteração"),
                                   QStringLiteral("sem alteração")));
        else if (m_check->problems.isEmpty())
            text = rows == 0 ? QStringLiteral("A planilha não tem linhas abaixo dos títulos.")
                             : QStringLiteral("%1, nenhum problema: pronta para importar.").arg(read);
        else
            text = QStringLiteral("%1; %2 com %3. Nada será importado enquanto houver problema: corrija a planilha "
                                  "ou a correspondência das colunas.")
                       .arg(read, plural(m_preview->rowsWithProblems(), QStringLiteral("linha"), QStringLiteral("linhas")),
                            plural(int(m_check->problems.size()), QStringLiteral("problema"), QStringLiteral("problemas")));
    }
    const bool bad = !failure.isEmpty() || (m_check && !m_check->problems.isEmpty());
    LbResumo->setStyleSheet(bad ? QStringLiteral("color: #a00000; font-weight: bold;") : QString());
    LbResumo->setText(text);
    GridLinhas->resizeColumnsToContents();
    // Long lists of problems are cut in the grid and shown whole in the
    // row's tip, so that the sheet's own columns stay in view.
    const int widest = GridLinhas->fontMetrics().horizontalAdvance(QString(48, u'x'));
    for (const int column : {ImportPreview::kProblems, ImportPreview::kChanges})
        if (GridLinhas->columnWidth(column) > widest)
            GridLinhas->setColumnWidth(column, widest);
}

void TFrm_ImportarPlanilha::BtnImportarClick()
{
    if (!m_check || !m_check->problems.isEmpty())
        return;
    checkRegisterBeforeUse(*m_sessao.Dm_Dados, this);
    sheets::ImportResult result;
    {
        plat::ui::BusyCursor writing;
        BarraGravacao->setValue(0);
        BarraGravacao->setVisible(true);
        auto hide = qScopeGuard([this] { BarraGravacao->setVisible(false); });
        int shown = -1;
        result = sheets::writeImport(*m_sessao.Dm_Dados, *m_check, [this, &shown](int done, int total) {
            const int percent = total > 0 ? int(qint64(done) * 100 / total) : 100;
            if (percent == shown)
                return;
            shown = percent;
            BarraGravacao->setValue(percent);
            BarraGravacao->repaint();
        });
    }
    m_added = result.added;
    m_updated = result.updated;
    showRegisterNotices(*m_sessao.Dm_Dados, this);
    QString text = m_check->kind == sheets::ImportKind::Holders
                       ? plural(result.added, QStringLiteral("bolsista importado."), QStringLiteral("bolsistas importados."))
                       : plural(result.added, QStringLiteral("orientador importado."),
                                QStringLiteral("orientadores importados."));
    if (m_check->update)
        text += u' ' + plural(result.updated, QStringLiteral("cadastro atualizado."), QStringLiteral("cadastros atualizados."));
    if (!result.backupFile.isEmpty())
        text += QStringLiteral("\n\rOs dados anteriores foram guardados em %1.").arg(QDir::toNativeSeparators(result.backupFile));
    plat::ui::showMessage(text, this);
    accept();
}

} // namespace zelta

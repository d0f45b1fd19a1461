#include "platform/ui/PreviewWindow.h"

#include "platform/report/PagePainter.h"
#include "platform/report/PdfWriter.h"
#include "platform/report/Report.h"
#include "platform/system/Error.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Messages.h"
#include "platform/ui/ModalRunner.h"
#include "platform/ui/PageView.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <array>

namespace plat::ui {

using plat::report::PageModel;

namespace {

QToolButton* navButton(QWidget* parent, const QString& name, const QString& tip, QStyle::StandardPixmap icon)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

QToolButton* textButton(QWidget* parent, const QString& name, const QString& text, const QString& tip)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

// The sizes the zoom steps through, in per cent of the paper's.
constexpr std::array<int, 10> kZoomSteps{25, 50, 75, 100, 125, 150, 200, 300, 400, 600};

// A file name made of the report's title: letters, digits and blanks.
QString fileNameFor(const QString& title)
{
    QString name;
    for (QChar c : title)
        name += (c.isLetterOrNumber() || c == u' ' || c == u'-') ? c : u' ';
    name = name.simplified();
    return (name.isEmpty() ? QStringLiteral("relatorio") : name) + QStringLiteral(".pdf");
}

} // namespace

PreviewWindow::PreviewWindow(PageModel pages, QWidget* parent) : QDialog(parent), m_pages(std::move(pages))
{
    setObjectName(QStringLiteral("Preview"));
    setWindowTitle(m_pages.title.isEmpty() ? QStringLiteral("Visualização") : m_pages.title);
    buildUi();

    // Most of the screen's height, and a width that shows a page's width legibly.
    QSize size(900, 1000);
    if (const QScreen* screen = this->screen()) {
        const QRect avail = screen->availableGeometry();
        size = size.boundedTo(QSize(avail.width() * 9 / 10, avail.height() * 9 / 10));
    }
    resize(size);
    showPage(0);
}

void PreviewWindow::buildUi()
{
    m_first = navButton(this, QStringLiteral("BtnPrimeira"), QStringLiteral("Primeira página"), QStyle::SP_MediaSkipBackward);
    m_prior = navButton(this, QStringLiteral("BtnAnterior"), QStringLiteral("Página anterior"), QStyle::SP_MediaSeekBackward);
    m_next = navButton(this, QStringLiteral("BtnProxima"), QStringLiteral("Próxima página"), QStyle::SP_MediaSeekForward);
    m_last = navButton(this, QStringLiteral("BtnUltima"), QStringLiteral("Última página"), QStyle::SP_MediaSkipForward);
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("LabelPagina"));
    m_pageLabel->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Página 9999 de 9999")) + 8);
    m_pageLabel->setAlignment(Qt::AlignCenter);
    m_pageBox = new QSpinBox(this);
    m_pageBox->setObjectName(QStringLiteral("SpinPagina"));
    m_pageBox->setToolTip(QStringLiteral("Ir para a página"));
    m_pageBox->setAccessibleName(QStringLiteral("Ir para a página"));
    m_pageBox->setKeyboardTracking(false); // goes when the number is whole (Enter or leaving)
    m_pageBox->setRange(1, std::max(1, m_pages.pageCount()));

    // The fitting sizes first, then the steps (data: the zoom, or minus the
    // per cent).
    m_zoomBox = new QComboBox(this);
    m_zoomBox->setObjectName(QStringLiteral("ComboZoom"));
    m_zoomBox->setAccessibleName(QStringLiteral("Zoom"));
    m_zoomBox->addItem(QStringLiteral("Largura da página"), int(Zoom::PageWidth));
    m_zoomBox->addItem(QStringLiteral("Página inteira"), int(Zoom::WholePage));
    for (int percent : kZoomSteps)
        m_zoomBox->addItem(QStringLiteral("%1%").arg(percent), -percent);
    m_zoomBox->setFocusPolicy(Qt::TabFocus);
    m_zoomOut = textButton(this, QStringLiteral("BtnMenosZoom"), QStringLiteral("\u2212"),
                           QStringLiteral("Diminuir o zoom (Ctrl+-)"));
    m_zoomIn = textButton(this, QStringLiteral("BtnMaisZoom"), QStringLiteral("+"), QStringLiteral("Aumentar o zoom (Ctrl++)"));
    m_twoPagesButton = textButton(this, QStringLiteral("BtnDuasPaginas"), QStringLiteral("Duas páginas"),
                                  QStringLiteral("Duas páginas lado a lado"));
    m_twoPagesButton->setCheckable(true);

    m_print = new QPushButton(QStringLiteral("Imprimir"), this);
    m_print->setObjectName(QStringLiteral("BtnImprimir"));
    m_save = new QPushButton(QStringLiteral("Salvar PDF"), this);
    m_save->setObjectName(QStringLiteral("BtnSalvarPdf"));
    m_close = new QPushButton(QStringLiteral("Fechar"), this);
    m_close->setObjectName(QStringLiteral("BtnFechar"));
    for (QPushButton* b : {m_print, m_save, m_close})
        b->setAutoDefault(false);

    auto* bar = new QHBoxLayout;
    bar->setSpacing(4);
    bar->addWidget(m_first);
    bar->addWidget(m_prior);
    bar->addWidget(m_pageLabel);
    bar->addWidget(m_next);
    bar->addWidget(m_last);
    bar->addWidget(m_pageBox);
    bar->addSpacing(12);
    bar->addWidget(m_zoomOut);
    bar->addWidget(m_zoomBox);
    bar->addWidget(m_zoomIn);
    bar->addWidget(m_twoPagesButton);
    bar->addStretch(1);
    bar->addWidget(m_print);
    bar->addWidget(m_save);
    bar->addWidget(m_close);

    m_view = new PageView(&m_pages, this);
    m_view->setObjectName(QStringLiteral("PaginaVista"));
    m_view->viewport()->installEventFilter(this);
    connect(m_view, &PageView::topPageChanged, this, [this](int page) {
        m_current = page;
        updateControls();
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    layout->addLayout(bar);
    layout->addWidget(m_view, 1);
    wireEvents();
}

void PreviewWindow::wireEvents()
{
    // With two pages side by side, the buttons turn both.
    connect(m_first, &QToolButton::clicked, this, [this] { showPage(0); });
    connect(m_prior, &QToolButton::clicked, this, [this] { showPage(m_current - (m_twoPages ? 2 : 1)); });
    connect(m_next, &QToolButton::clicked, this, [this] { showPage(m_current + (m_twoPages ? 2 : 1)); });
    connect(m_last, &QToolButton::clicked, this, [this] { showPage(m_pages.pageCount() - 1); });
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int page) { showPage(page - 1); });
    connect(m_zoomBox, &QComboBox::activated, this, [this](int index) {
        const int data = m_zoomBox->itemData(index).toInt();
        if (data < 0)
            setZoomPercent(-data);
        else
            setZoom(Zoom(data));
    });
    connect(m_zoomIn, &QToolButton::clicked, this, &PreviewWindow::zoomIn);
    connect(m_zoomOut, &QToolButton::clicked, this, &PreviewWindow::zoomOut);
    connect(m_twoPagesButton, &QToolButton::toggled, this, &PreviewWindow::setTwoPages);
    for (const QKeySequence& keys : {QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Equal)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &PreviewWindow::zoomIn);
    connect(new QShortcut(QKeySequence::ZoomOut, this), &QShortcut::activated, this, &PreviewWindow::zoomOut);
    connect(m_print, &QPushButton::clicked, this, guarded(this, &PreviewWindow::BtnImprimirClick));
    connect(m_save, &QPushButton::clicked, this, guarded(this, &PreviewWindow::BtnSalvarPdfClick));
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
}

void PreviewWindow::showPage(int index)
{
    const int count = m_pages.pageCount();
    m_current = count == 0 ? 0 : std::clamp(index, 0, count - 1);
    updateControls();
    m_view->scrollToPage(m_current);
}

void PreviewWindow::updateControls()
{
    const int count = m_pages.pageCount();
    const bool any = count > 0;
    m_first->setEnabled(any && m_current > 0);
    m_prior->setEnabled(any && m_current > 0);
    m_next->setEnabled(any && m_current < count - 1);
    m_last->setEnabled(any && m_current < count - 1);
    m_print->setEnabled(any);
    m_save->setEnabled(any);
    for (QWidget* w : std::initializer_list<QWidget*>{m_zoomBox, m_zoomIn, m_zoomOut, m_twoPagesButton, m_pageBox})
        w->setEnabled(any);
    m_pageLabel->setText(any ? QStringLiteral("Página %1 de %2").arg(m_current + 1).arg(count) : QStringLiteral("Sem páginas"));
    const QSignalBlocker quiet(m_pageBox);
    m_pageBox->setValue(m_current + 1);
}

void PreviewWindow::setZoom(Zoom zoom)
{
    if (zoom == Zoom::Actual)
        m_percent = 100;
    m_zoom = zoom;
    m_zoomBox->setCurrentIndex(m_zoomBox->findData(zoom == Zoom::Actual || zoom == Zoom::Percent ? -m_percent : int(zoom)));
    render();
}

void PreviewWindow::setZoomPercent(int percent)
{
    m_percent = std::clamp(percent, kZoomSteps.front(), kZoomSteps.back());
    setZoom(m_percent == 100 ? Zoom::Actual : Zoom::Percent);
}

int PreviewWindow::zoomPercent() const
{
    if (m_zoom == Zoom::Actual || m_zoom == Zoom::Percent)
        return m_percent;
    return int(std::lround(renderDpi() * 100.0 / std::max(1, logicalDpiX())));
}

void PreviewWindow::stepZoom(int direction)
{
    if (m_pages.isEmpty())
        return;
    const int now = zoomPercent();
    int next = direction > 0 ? kZoomSteps.back() : kZoomSteps.front();
    for (int percent : kZoomSteps) {
        if (direction > 0 && percent > now) {
            next = percent;
            break;
        }
        if (direction < 0 && percent < now)
            next = percent;
    }
    setZoomPercent(next);
}

void PreviewWindow::zoomIn() { stepZoom(+1); }

void PreviewWindow::zoomOut() { stepZoom(-1); }

void PreviewWindow::setTwoPages(bool two)
{
    m_twoPages = two;
    {
        const QSignalBlocker quiet(m_twoPagesButton);
        m_twoPagesButton->setChecked(two);
    }
    // Two pages are shown to be read side by side: a size at which the second
    // one would stand off the view gives way to the width that fits both.
    if (two && (m_zoom == Zoom::Actual || m_zoom == Zoom::Percent) && !m_pages.isEmpty()) {
        const int across = 2 * qRound(m_pages.paper.width() / 25.4 * renderDpi()) + PageView::kGap + 2 * PageView::kMargin;
        if (across > m_view->viewport()->width()) {
            setZoom(Zoom::PageWidth);
            return;
        }
    }
    render();
}

int PreviewWindow::renderDpi() const
{
    const QSizeF paper = m_pages.paper;
    const int pagesAcross = m_twoPages ? 2 : 1;
    const QSize room = m_view->viewport()->size()
                       - QSize(2 * PageView::kMargin + (pagesAcross - 1) * PageView::kGap, 2 * PageView::kMargin);
    const double acrossInches = pagesAcross * paper.width() / 25.4;
    switch (m_zoom) {
    case Zoom::Actual:
    case Zoom::Percent:
        return std::max(12, logicalDpiX() * m_percent / 100);
    case Zoom::WholePage:
        return std::max(24, int(std::min(room.width() / acrossInches, room.height() / (paper.height() / 25.4))));
    case Zoom::PageWidth:
        break;
    }
    return std::max(24, int(room.width() / acrossInches));
}

void PreviewWindow::render()
{
    if (m_pages.isEmpty()) {
        m_view->viewport()->update();
        return;
    }
    m_view->setScale(renderDpi(), m_twoPages ? 2 : 1);
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The fitting zooms follow the room the view has; Ctrl and the wheel zoom.
    if (watched == m_view->viewport() && event->type() == QEvent::Resize
        && (m_zoom == Zoom::PageWidth || m_zoom == Zoom::WholePage))
        render();
    if (watched == m_view->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            if (wheel->angleDelta().y() > 0)
                zoomIn();
            else if (wheel->angleDelta().y() < 0)
                zoomOut();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PreviewWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    // A screen on or back, across the pages' ends, wherever the focus is.
    case Qt::Key_PageDown:
        m_view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        return;
    case Qt::Key_PageUp:
        m_view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
        return;
    case Qt::Key_Home:
        if (event->modifiers() & Qt::ControlModifier) {
            showPage(0);
            return;
        }
        break;
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier) {
            showPage(m_pages.pageCount() - 1);
            return;
        }
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

// ------------------------------------------------------------------ output

void PreviewWindow::printTo(QPrinter& printer)
{
    if (m_pages.isEmpty())
        return;
    // The printer's origin at the paper's corner, so the layout's margins are
    // the only ones.
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(m_pages.paper, QPageSize::Millimeter, QString(), QPageSize::FuzzyOrientationMatch));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(m_pages.title);
    int from = 1, to = m_pages.pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = std::max(1, printer.fromPage());
        to = std::min(to, std::max(from, printer.toPage()));
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        from = to = m_current + 1;
    }
    BusyCursor busy;
    QPainter painter;
    if (!painter.begin(&printer))
        throw plat::Error::output(QStringLiteral("Não foi possível iniciar a impressão"));
    for (int n = from; n <= to; ++n) {
        if (n > from)
            printer.newPage();
        plat::report::paintPage(painter, m_pages.pages.at(n - 1));
    }
    painter.end();
}

void PreviewWindow::savePdf(const QString& path)
{
    BusyCursor busy;
    plat::report::writePdf(m_pages, path);
}

void PreviewWindow::BtnImprimirClick()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Imprimir"));
    dialog.setMinMax(1, m_pages.pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (showModal(&dialog) != QDialog::Accepted)
        return;
    printTo(printer);
}

void PreviewWindow::BtnSalvarPdfClick()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QFileDialog dialog(this, QStringLiteral("Salvar PDF"), QDir(folder).filePath(fileNameFor(m_pages.title)),
                       QStringLiteral("Arquivos PDF (*.pdf)"));
    dialog.setObjectName(QStringLiteral("DialogoSalvarPdf"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (showModal(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    try {
        savePdf(dialog.selectedFiles().first());
    } catch (const plat::Error& e) {
        showError(e.message(), this);
    }
}

void showPreview(const plat::report::Report& report, QWidget* parent)
{
    PageModel pages;
    {
        BusyCursor busy;
        pages = report.layOut();
    }
    PreviewWindow preview(std::move(pages), parent);
    showModal(&preview);
}

} // namespace plat::ui

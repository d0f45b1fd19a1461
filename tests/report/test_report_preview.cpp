// The preview window: paging, continuous scrolling across pages, two pages
// side by side, the empty report, saving a PDF through its dialog, and
// printing a page range.
#include "platform/report/Report.h"
#include "platform/ui/PageView.h"
#include "platform/ui/PreviewWindow.h"
#include "support/TestHooks.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

using namespace plat::report;
using plat::ui::PageView;
using plat::ui::PreviewWindow;

namespace {

PageModel pagesNumbered(int count)
{
    PageModel model;
    model.title = QStringLiteral("Relatório de Teste");
    for (int i = 1; i <= count; ++i) {
        Page page;
        page.number = i;
        page.frames << QRectF(10, 10, 190, 15.6);
        page.texts << TextRun{QRectF(14, 30, 60, 4), QStringLiteral("conteúdo da página %1").arg(i), Font(), Qt::AlignLeft};
        model.pages << page;
    }
    return model;
}

QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

template <class T>
T* child(QWidget* w, const char* name)
{
    return w->findChild<T*>(QString::fromLatin1(name));
}

} // namespace

class TestReportPreview : public QObject {
    Q_OBJECT
private slots:
    void pagesThrough();
    void scrollsAcrossPagesAndTheBoxFollows();
    void twoPagesFitSideBySide();
    void emptyReport();
    void savesPdfThroughDialog();
    void printsPageRange();
};

void TestReportPreview::pagesThrough()
{
    PreviewWindow w(pagesNumbered(3));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.windowTitle(), QStringLiteral("Relatório de Teste"));
    auto* label = child<QLabel>(&w, "LabelPagina");
    QCOMPARE(label->text(), QStringLiteral("Página 1 de 3"));
    QVERIFY(!child<QToolButton>(&w, "BtnAnterior")->isEnabled());

    child<QToolButton>(&w, "BtnProxima")->click();
    QCOMPARE(w.currentPage(), 1);
    child<QToolButton>(&w, "BtnUltima")->click();
    QCOMPARE(label->text(), QStringLiteral("Página 3 de 3"));
    QVERIFY(!child<QToolButton>(&w, "BtnProxima")->isEnabled());
    QTest::keyClick(&w, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(w.currentPage(), 0);
    QTest::keyClick(&w, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(w.currentPage(), 2);
    child<QToolButton>(&w, "BtnPrimeira")->click();
    QCOMPARE(w.currentPage(), 0);

    // The page image follows the zoom: the whole page fits the view.
    w.setZoom(PreviewWindow::Zoom::WholePage);
    auto* view = child<PageView>(&w, "PaginaVista");
    const QSize whole = view->pageSize();
    QVERIFY(whole.height() <= view->viewport()->height());
    w.setZoom(PreviewWindow::Zoom::PageWidth);
    QVERIFY(view->pageSize().width() >= whole.width());
    QVERIFY(qAbs(double(whole.height()) / whole.width() - 297.0 / 210.0) < 0.02);

    // Zoom steps from the size shown, the page box, two pages side by side.
    const int fitted = w.zoomPercent();
    QTest::keyClick(&w, Qt::Key_Plus, Qt::ControlModifier);
    QVERIFY(w.zoomPercent() > fitted);
    QCOMPARE(w.zoom(), w.zoomPercent() == 100 ? PreviewWindow::Zoom::Actual : PreviewWindow::Zoom::Percent);
    w.zoomOut();
    w.zoomOut();
    QVERIFY(w.zoomPercent() < fitted);
    child<QSpinBox>(&w, "SpinPagina")->setValue(3);
    QCOMPARE(w.currentPage(), 2);
    QCOMPARE(label->text(), QStringLiteral("Página 3 de 3"));
}

namespace {

// True when some part of the page is in the view.
bool inView(PageView* view, int page) { return view->pageRectInView(page).intersects(view->viewport()->rect()); }

void wheel(QWidget* target, int notches)
{
    const QPoint at = target->rect().center();
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

} // namespace

void TestReportPreview::scrollsAcrossPagesAndTheBoxFollows()
{
    PreviewWindow w(pagesNumbered(5));
    w.resize(700, 600);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* view = child<PageView>(&w, "PaginaVista");
    auto* box = child<QSpinBox>(&w, "SpinPagina");
    auto* label = child<QLabel>(&w, "LabelPagina");

    // The wheel runs on past the first page's end: for a while the end of one
    // page and the top of the next are in view together, then the box says 2.
    bool bothSeen = false;
    for (int i = 0; i < 200 && w.currentPage() == 0; ++i) {
        wheel(view->viewport(), -1);
        bothSeen = bothSeen || (inView(view, 0) && inView(view, 1));
    }
    QVERIFY(bothSeen);
    QCOMPARE(w.currentPage(), 1);
    QCOMPARE(box->value(), 2);
    QCOMPARE(label->text(), QStringLiteral("Página 2 de 5"));
    QVERIFY(view->pageRectInView(0).bottom() < PageView::kGap);

    // PageDown goes a screen on, not to the next page's top, wherever the
    // focus is, until the third page reaches the top.
    QScrollBar* bar = view->verticalScrollBar();
    child<QPushButton>(&w, "BtnFechar")->setFocus();
    for (int i = 0; i < 20 && w.currentPage() == 1; ++i) {
        const int before = bar->value();
        QTest::keyClick(&w, Qt::Key_PageDown);
        QCOMPARE(bar->value() - before, view->viewport()->height());
    }
    QCOMPARE(w.currentPage(), 2);
    QCOMPARE(box->value(), 3);
    QTest::keyClick(&w, Qt::Key_PageUp);
    QCOMPARE(w.currentPage(), 1);

    // A page chosen in the box comes to the top; the scroll's end is the last.
    box->setValue(4);
    QCOMPARE(view->pageRectInView(3).top(), PageView::kMargin);
    bar->setValue(bar->maximum());
    QCOMPARE(w.currentPage(), 4);
    QCOMPARE(label->text(), QStringLiteral("Página 5 de 5"));

    // Thousands of pages: only those in view are painted.
    QElapsedTimer clock;
    clock.start();
    PreviewWindow big(pagesNumbered(3000));
    big.show();
    QVERIFY(QTest::qWaitForWindowExposed(&big));
    big.showPage(2999);
    QTest::keyClick(&big, Qt::Key_PageUp);
    QCoreApplication::processEvents();
    QVERIFY2(clock.elapsed() < 800, qPrintable(QString::number(clock.elapsed())));
}

void TestReportPreview::twoPagesFitSideBySide()
{
    PreviewWindow w(pagesNumbered(5));
    w.resize(700, 600);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* view = child<PageView>(&w, "PaginaVista");
    const QRect room = view->viewport()->rect();

    // At a size where two pages would not fit, "Duas páginas" fits their width.
    w.setZoomPercent(200);
    child<QToolButton>(&w, "BtnDuasPaginas")->click();
    QVERIFY(child<QToolButton>(&w, "BtnDuasPaginas")->isChecked());
    QCOMPARE(w.zoom(), PreviewWindow::Zoom::PageWidth);
    for (int page : {0, 1})
        QVERIFY(room.contains(QRect(view->pageRectInView(page).left(), 0, view->pageRectInView(page).width(), 1)));
    QCOMPARE(view->pageRectInView(1).top(), view->pageRectInView(0).top());
    QVERIFY(view->pageRectInView(1).left() > view->pageRectInView(0).right());

    // Rows of two: the next page button goes to the next row, and scrolling
    // there shows pages 3 and 4 with the box on 3.
    child<QToolButton>(&w, "BtnProxima")->click();
    QCOMPARE(w.currentPage(), 2);
    QCOMPARE(view->pageRectInView(2).top(), view->pageRectInView(3).top());
    view->verticalScrollBar()->setValue(0);
    QCOMPARE(w.currentPage(), 0);
    QCOMPARE(child<QSpinBox>(&w, "SpinPagina")->value(), 1);

    // A size at which both fit is kept.
    child<QToolButton>(&w, "BtnDuasPaginas")->click();
    w.setZoomPercent(25);
    child<QToolButton>(&w, "BtnDuasPaginas")->click();
    QCOMPARE(w.zoomPercent(), 25);
}

void TestReportPreview::emptyReport()
{
    PreviewWindow w(PageModel{});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(child<QLabel>(&w, "LabelPagina")->text(), QStringLiteral("Sem páginas"));
    QVERIFY(!child<QPushButton>(&w, "BtnImprimir")->isEnabled());
    QVERIFY(!child<QPushButton>(&w, "BtnSalvarPdf")->isEnabled());
    QVERIFY(!child<QToolButton>(&w, "BtnProxima")->isEnabled());
    QVERIFY(child<QPushButton>(&w, "BtnFechar")->isEnabled());
}

void TestReportPreview::savesPdfThroughDialog()
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("saida")); // the dialog adds ".pdf"
    PreviewWindow w(pagesNumbered(2));
    w.show();
    plat::ui::ModalDriver modals;
    plat::ui::MessageRecorder messages;
    bool sawDialog = false;
    modals.expect([&](QDialog* d) {
        auto* dialog = qobject_cast<QFileDialog*>(d);
        sawDialog = dialog != nullptr;
        if (!dialog)
            return;
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        dialog->selectFile(target);
        d->accept(); // QFileDialog::accept, through the base class
    });
    child<QPushButton>(&w, "BtnSalvarPdf")->click();
    QVERIFY(sawDialog);
    QCOMPARE(messages.count(), 0);
    const QString text = pdfText(target + QStringLiteral(".pdf"));
    QVERIFY(text.contains(QStringLiteral("conteúdo da página 1")));
    QVERIFY(text.contains(QStringLiteral("conteúdo da página 2")));

    // A folder that cannot take the file: the general error report says so.
    modals.expect([&](QDialog* d) {
        auto* dialog = qobject_cast<QFileDialog*>(d);
        QVERIFY(dialog);
        dialog->selectFile(dir.filePath(QStringLiteral("não/existe.pdf")));
        d->accept(); // QFileDialog::accept, through the base class
    });
    child<QPushButton>(&w, "BtnSalvarPdf")->click();
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().kind, plat::ui::MessageKind::Error);
}

void TestReportPreview::printsPageRange()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("impresso.pdf"));
    PreviewWindow w(pagesNumbered(3));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    w.printTo(printer);
    const QString text = pdfText(out);
    QVERIFY(!text.contains(QStringLiteral("conteúdo da página 1")));
    QVERIFY(text.contains(QStringLiteral("conteúdo da página 2")));
    QVERIFY(text.contains(QStringLiteral("conteúdo da página 3")));
}

QTEST_MAIN(TestReportPreview)
#include "test_report_preview.moc"

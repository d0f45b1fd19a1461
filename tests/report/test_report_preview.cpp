// The preview window: paging, the empty report, saving a PDF through its
// dialog, and printing a page range.
#include "platform/report/Report.h"
#include "platform/ui/PreviewWindow.h"
#include "platform/ui/TestHooks.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

using namespace plat::report;
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
    QTest::keyClick(&w, Qt::Key_PageUp);
    QCOMPARE(w.currentPage(), 1);
    child<QToolButton>(&w, "BtnPrimeira")->click();
    QCOMPARE(w.currentPage(), 0);

    // The page image follows the zoom: the whole page fits the view.
    w.setZoom(PreviewWindow::Zoom::WholePage);
    auto* view = child<QLabel>(&w, "PaginaVista");
    const QSize whole = view->pixmap().size();
    w.setZoom(PreviewWindow::Zoom::PageWidth);
    QVERIFY(view->pixmap().width() >= whole.width());
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
    w.showPage(0);
    const int oneWide = view->pixmap().width();
    w.setTwoPages(true);
    QVERIFY(view->pixmap().width() > 2 * oneWide);
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
    const QString target = dir.filePath(QStringLiteral("saida"));   // the dialog adds ".pdf"
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
        d->accept();   // QFileDialog::accept, through the base class
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
        d->accept();   // QFileDialog::accept, through the base class
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

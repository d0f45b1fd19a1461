#pragma once

#include "platform/report/PageModel.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QSpinBox;
class QPrinter;
class QPushButton;
class QToolButton;

namespace plat::report {
class Report;
}

namespace plat::ui {

class PageView;

// The print preview of a report: its pages in one continuous scroll, one or two
// side by side, with buttons and a page number box to go to a page (the box
// follows the scroll), a zoom that fits the page or steps in and out (buttons,
// Ctrl++ and Ctrl+-, Ctrl and the wheel), "Imprimir" (the system print
// dialog) and "Salvar PDF". A report without pages shows that there is
// nothing to print.
class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    enum class Zoom { PageWidth, WholePage, Actual, Percent };

    explicit PreviewWindow(plat::report::PageModel pages, QWidget* parent = nullptr);

    const plat::report::PageModel& pages() const { return m_pages; }
    int currentPage() const { return m_current; } // from 0
    void showPage(int index);
    void setZoom(Zoom zoom);
    Zoom zoom() const { return m_zoom; }
    // The size shown, in per cent of the paper's; a step up or down from it.
    int zoomPercent() const;
    void setZoomPercent(int percent);
    void zoomIn();
    void zoomOut();
    // Two pages side by side (rows of pages 1 and 2, 3 and 4, ...); a zoom at
    // which the two would not fit the view's width becomes "Largura da
    // página", which fits both.
    void setTwoPages(bool two);

    // The work behind the buttons, after their dialogs: print the chosen pages
    // on a printer, or write every page to a PDF file. Both throw plat::Error
    // on failure.
    void printTo(QPrinter& printer);
    void savePdf(const QString& path);

    // Handlers of the buttons.
    void BtnImprimirClick();
    void BtnSalvarPdfClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildUi();
    void wireEvents();
    void updateControls();
    void render();
    int renderDpi() const;
    void stepZoom(int direction);

    plat::report::PageModel m_pages;
    int m_current = 0;
    Zoom m_zoom = Zoom::PageWidth;
    int m_percent = 100;
    bool m_twoPages = false;

    QToolButton* m_first = nullptr;
    QToolButton* m_prior = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_last = nullptr;
    QLabel* m_pageLabel = nullptr;
    QSpinBox* m_pageBox = nullptr;
    QComboBox* m_zoomBox = nullptr;
    QToolButton* m_zoomIn = nullptr;
    QToolButton* m_zoomOut = nullptr;
    QToolButton* m_twoPagesButton = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_close = nullptr;
    PageView* m_view = nullptr;
};

// Lays out the report (with the busy cursor) and shows its preview modally.
void showPreview(const plat::report::Report& report, QWidget* parent = nullptr);

} // namespace plat::ui

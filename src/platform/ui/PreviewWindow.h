#pragma once

#include "platform/report/PageModel.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;
class QScrollArea;
class QToolButton;

namespace plat::report {
class Report;
}

namespace plat::ui {

// The print preview of a report: one page at a time, with buttons to page
// through it, a zoom, "Imprimir" (the system print dialog) and "Salvar PDF".
// A report without pages shows that there is nothing to print.
class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    enum class Zoom { PageWidth, WholePage, Actual };

    explicit PreviewWindow(plat::report::PageModel pages, QWidget* parent = nullptr);

    const plat::report::PageModel& pages() const { return m_pages; }
    int currentPage() const { return m_current; }   // from 0
    void showPage(int index);
    void setZoom(Zoom zoom);
    Zoom zoom() const { return m_zoom; }

    // The work behind the buttons, after their dialogs: print the chosen pages
    // on a printer, or write every page to a PDF file (false and a message in
    // error on failure).
    void printTo(QPrinter& printer);
    bool savePdf(const QString& path, QString* error = nullptr);

    // Handlers of the buttons.
    void BtnImprimirClick();
    void BtnSalvarPdfClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildUi();
    void render();
    int renderDpi() const;

    plat::report::PageModel m_pages;
    int m_current = 0;
    Zoom m_zoom = Zoom::PageWidth;

    QToolButton* m_first = nullptr;
    QToolButton* m_prior = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_last = nullptr;
    QLabel* m_pageLabel = nullptr;
    QComboBox* m_zoomBox = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_close = nullptr;
    QScrollArea* m_scroll = nullptr;
    QLabel* m_view = nullptr;
};

// Lays out the report (with the busy cursor) and shows its preview modally.
void showPreview(const plat::report::Report& report, QWidget* parent = nullptr);

} // namespace plat::ui

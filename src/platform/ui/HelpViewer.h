#pragma once

#include <QDialog>

class QTextBrowser;

namespace plat::ui {

// The help window: the users' guide in a browser, opened at its top or at an
// anchor, with buttons to go back, return to the contents and close. The
// guide's pictures are the windows at their own size; one wider than the page
// is shown scaled down smoothly to kHelpPictureWidth.
class HelpViewer : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpPictureWidth = 720;

    HelpViewer(const QString& documentPath, const QString& anchor, QWidget* parent = nullptr);

    QTextBrowser* browser() const { return m_browser; }
    QString anchor() const { return m_anchor; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void goToContents();

    QTextBrowser* m_browser = nullptr;
    QString m_anchor;
};

} // namespace plat::ui

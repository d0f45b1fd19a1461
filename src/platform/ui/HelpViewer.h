#pragma once

#include <QDialog>

class QTextBrowser;

namespace plat::ui {

// The help window: the users' guide in a browser, opened at its top or at an
// anchor, with buttons to go back, return to the contents and close.
class HelpViewer : public QDialog {
    Q_OBJECT
public:
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

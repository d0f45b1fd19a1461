#include "platform/ui/FileDialogs.h"

#include "platform/ui/ModalRunner.h"
#include "platform/ui/WindowPlacement.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QTreeView>

namespace plat::ui {

namespace {

// Closes a completion list that opens while its window is hidden.
class PopupGuard : public QObject {
public:
    PopupGuard(QWidget* window, QObject* parent) : QObject(parent), m_window(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && (!m_window || !m_window->isVisible()))
            QMetaObject::invokeMethod(static_cast<QWidget*>(watched), &QWidget::hide, Qt::QueuedConnection);
        return false;
    }

private:
    QPointer<QWidget> m_window;
};

QString existingFolderFor(const QString& start)
{
    for (QString p = QDir::cleanPath(start); !p.isEmpty(); p = QFileInfo(p).path()) {
        if (QFileInfo(p).isDir())
            return p;
        if (p == QFileInfo(p).path())
            break;
    }
    return QDir::homePath();
}

} // namespace

QString chooseFolder(QWidget* parent, const QString& caption, const QString& start)
{
    QFileDialog dialog(parent, caption);
    dialog.setObjectName(QStringLiteral("DialogoPasta"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setDirectory(existingFolderFor(start.isEmpty() ? QDir::homePath() : start));
    // The detail view's headings whole ("Data de modificação" is the longest).
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView")))
        widenToShowColumns(&dialog, details);
    if (showModal(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return QDir::cleanPath(dialog.selectedFiles().constFirst());
}

void closeCompleterPopups(QWidget* window)
{
    static const char* const kGuarded = "zeltaPopupGuarded";
    for (QCompleter* completer : window->findChildren<QCompleter*>()) {
        QAbstractItemView* popup = completer->popup();
        if (!popup)
            continue;
        if (!popup->property(kGuarded).toBool()) {
            popup->installEventFilter(new PopupGuard(window, popup));
            popup->setProperty(kGuarded, true);
        }
        popup->hide();
    }
}

} // namespace plat::ui

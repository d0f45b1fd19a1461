#include "platform/ui/FileDialogs.h"

#include "platform/ui/ModalRunner.h"
#include "platform/ui/WindowPlacement.h"

#include <QAbstractItemView>
#include <QComboBox>
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

// The dialog's Portuguese labels and the program's own look.
void prepareFileDialog(QFileDialog& dialog, const QString& start, const QStringList& filters)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(filters);
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Examinar:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Nome do arquivo:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Arquivos do tipo:"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
    const QFileInfo info(start);
    dialog.setDirectory(existingFolderFor(start.isEmpty() ? QDir::homePath() : (info.isDir() ? start : info.path())));
    if (!start.isEmpty() && !info.isDir())
        dialog.selectFile(info.fileName());
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView")))
        widenToShowColumns(&dialog, details);
}

// The first extension a type names: "Planilha ODS (*.ods)" gives "ods".
QString filterExtension(const QString& filter)
{
    const qsizetype star = filter.indexOf(QStringLiteral("*."));
    if (star < 0)
        return QString();
    qsizetype end = star + 2;
    while (end < filter.size() && filter[end].isLetterOrNumber())
        ++end;
    return filter.mid(star + 2, end - star - 2);
}

} // namespace

QString chooseOpenFile(QWidget* parent, const QString& caption, const QString& start, const QStringList& filters)
{
    QFileDialog dialog(parent, caption);
    dialog.setObjectName(QStringLiteral("DialogoAbrir"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    prepareFileDialog(dialog, start, filters);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Abrir"));
    if (showModal(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return QDir::cleanPath(dialog.selectedFiles().constFirst());
}

QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& start, const QStringList& filters)
{
    QFileDialog dialog(parent, caption);
    dialog.setObjectName(QStringLiteral("DialogoSalvar"));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    prepareFileDialog(dialog, start, filters);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Salvar"));
    // The dialog adds the type's extension itself, so that it asks about
    // replacing the very file that will be written.
    dialog.setDefaultSuffix(filters.isEmpty() ? QString() : filterExtension(filters.constFirst()));
    // The type list of the program's own dialog, whichever way its type
    // changes (chosen in the list, or set by selectNameFilter()).
    if (auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
        QObject::connect(types, &QComboBox::currentTextChanged, &dialog,
                         [&dialog](const QString& filter) { dialog.setDefaultSuffix(filterExtension(filter)); });
    if (showModal(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    QString path = QDir::cleanPath(dialog.selectedFiles().constFirst());
    const QString extension = filterExtension(dialog.selectedNameFilter());
    if (!extension.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += u'.' + extension;
    return path;
}

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

#include "platform/ui/Help.h"

#include "platform/ui/Guard.h"
#include "platform/ui/HelpViewer.h"
#include "platform/ui/Messages.h"
#include "platform/ui/ModalRunner.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QWidget>

#ifndef ZELTA_INSTALL_DATADIR
#define ZELTA_INSTALL_DATADIR ""
#endif

namespace plat::ui {

namespace {

QString& configuredHelpFile()
{
    static QString path;
    return path;
}

void openHelp(const QString& anchor, QWidget* parent)
{
    const QString path = helpFile();
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        const QString where = path.isEmpty() ? helpDocumentName() : QDir::toNativeSeparators(path);
        showMessage(QStringLiteral("Não foi possível abrir a ajuda: o arquivo %1 não foi encontrado.\n\r"
                                   "Verifique a instalação do programa.")
                        .arg(where),
                    parent);
        return;
    }
    HelpViewer viewer(path, anchor, parent);
    showModal(&viewer);
}

// Opens the topic of the focused widget on F1. It watches the application's
// events so that every window, also those built later, gets context help.
class ContextHelpFilter : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
            return false;
        QWidget* focus = QApplication::focusWidget();
        const int context = helpContextFor(focus ? focus : static_cast<QWidget*>(watched));
        if (context <= 0)
            return false;
        if (!key->isAutoRepeat()) {
            QWidget* window = static_cast<QWidget*>(watched)->window();
            runGuarded([&] { showHelpTopic(context, window); }, window);
        }
        return true;
    }
};

} // namespace

QString helpDocumentName() { return QStringLiteral("zelta99.html"); }

QStringList helpSearchDirectories()
{
    QStringList dirs;
    const QString programDir = QCoreApplication::applicationDirPath();
    dirs << programDir;
    const QString installed = QString::fromUtf8(ZELTA_INSTALL_DATADIR);
    if (!installed.isEmpty())
        dirs << installed;
    // An installed tree moved elsewhere keeps its data beside its bin folder.
    dirs << QDir::cleanPath(programDir + QStringLiteral("/../share/zelta99"));
    dirs.removeDuplicates();
    return dirs;
}

QString findHelpDocument(const QStringList& dirs)
{
    for (const QString& dir : dirs) {
        const QString path = QDir(dir).filePath(helpDocumentName());
        if (QFileInfo(path).isFile())
            return QFileInfo(path).absoluteFilePath();
    }
    return QString();
}

void setHelpFile(const QString& path) { configuredHelpFile() = path; }

QString helpFile()
{
    const QString& path = configuredHelpFile();
    return path.isEmpty() ? findHelpDocument() : path;
}

QString helpTopicAnchor(int context) { return QStringLiteral("topico%1").arg(context); }

void showHelpContents(QWidget* parent) { openHelp(QString(), parent); }

void showHelpTopic(int context, QWidget* parent) { openHelp(helpTopicAnchor(context), parent); }

void setHelpContext(QWidget* widget, int context) { widget->setProperty(kHelpContextProperty, context); }

int helpContextFor(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        bool ok = false;
        const int context = w->property(kHelpContextProperty).toInt(&ok);
        if (ok && context > 0)
            return context;
    }
    return 0;
}

void installContextHelp(QCoreApplication* app)
{
    static const char* const kInstalled = "zeltaContextHelp";
    if (app->property(kInstalled).toBool())
        return;
    app->setProperty(kInstalled, true);
    app->installEventFilter(new ContextHelpFilter(app));
}

} // namespace plat::ui

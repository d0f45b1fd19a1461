// The help: finding the guide, opening it at a topic, context help on F1, and
// the guide's own anchors and links.
#include "platform/ui/Help.h"
#include "platform/ui/HelpViewer.h"
#include "support/TestHooks.h"
#include "support/SourceTree.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QVBoxLayout>

using namespace plat::ui;

namespace {

QString sourceGuide() { return QDir(zelta::test::sourceDir()).filePath(QStringLiteral("resources/zelta99.html")); }

void writeFile(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<html><body><a name=\"topico1\"></a>ajuda</body></html>");
}

// Anchor names as the help browser reads them from the document.
QSet<QString> anchorsOf(const QTextDocument* doc)
{
    QSet<QString> names;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (const QString& n : b.charFormat().anchorNames())
            names.insert(n);
        for (auto it = b.begin(); !it.atEnd(); ++it)
            for (const QString& n : it.fragment().charFormat().anchorNames())
                names.insert(n);
    }
    return names;
}

} // namespace

class TestUiHelp : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("zelta99"));
        QVERIFY2(QFile::exists(sourceGuide()), qPrintable(sourceGuide()));
        installContextHelp(qApp);
    }

    void init() { setHelpFile(sourceGuide()); }

    void lookupTakesTheFirstDirectoryThatHoldsTheGuide()
    {
        QTemporaryDir a, b, c;
        writeFile(QDir(b.path()).filePath(QStringLiteral("zelta99.html")));
        writeFile(QDir(c.path()).filePath(QStringLiteral("zelta99.html")));
        QCOMPARE(findHelpDocument({a.path(), b.path(), c.path()}),
                 QFileInfo(QDir(b.path()).filePath(QStringLiteral("zelta99.html"))).absoluteFilePath());
        QCOMPARE(findHelpDocument({a.path()}), QString());
        // A directory of that name is not the guide.
        QVERIFY(QDir(a.path()).mkdir(QStringLiteral("zelta99.html")));
        QCOMPARE(findHelpDocument({a.path(), c.path()}),
                 QFileInfo(QDir(c.path()).filePath(QStringLiteral("zelta99.html"))).absoluteFilePath());
    }

    void searchGoesBesideTheProgramFirstThenToTheInstalledFolders()
    {
        const QStringList dirs = helpSearchDirectories();
        QCOMPARE(dirs.size(), 3);
        QCOMPARE(dirs.first(), QCoreApplication::applicationDirPath());
        // Then the installed data folder, fixed at build time, and the one
        // beside a moved installation; never the source tree.
        QVERIFY2(dirs.at(1).endsWith(QStringLiteral("/share/zelta99")), qPrintable(dirs.at(1)));
        QCOMPARE(dirs.last(), QDir::cleanPath(dirs.first() + QStringLiteral("/../share/zelta99")));
    }

    void guideHasEveryTopicAndNoBrokenLink()
    {
        QFile f(sourceGuide());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        QTextBrowser browser;
        browser.setHtml(html);
        const QSet<QString> anchors = anchorsOf(browser.document());
        for (int n = 1; n <= 12; ++n)
            QVERIFY2(anchors.contains(helpTopicAnchor(n)), qPrintable(helpTopicAnchor(n)));
        static const QRegularExpression link(QStringLiteral("href=\"#([^\"]+)\""));
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            QVERIFY2(anchors.contains(target), qPrintable(target));
        }
        QVERIFY(!browser.documentTitle().isEmpty());
    }

    // Every picture the guide shows is in the source tree, has a text for who
    // cannot see it, and reaches the help window no wider than its page; every
    // numbered topic shows at least one.
    void guidePicturesExistAndEveryNumberedTopicShowsOne()
    {
        QFile f(sourceGuide());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        const QDir resources = QFileInfo(sourceGuide()).dir();
        HelpViewer viewer(sourceGuide(), QString());
        static const QRegularExpression img(QStringLiteral("<img\\s[^>]*>"));
        static const QRegularExpression src(QStringLiteral("src=\"([^\"]*)\""));
        static const QRegularExpression alt(QStringLiteral("alt=\"([^\"]+)\""));
        int pictures = 0;
        for (auto it = img.globalMatch(html); it.hasNext(); ++pictures) {
            const QString tag = it.next().captured(0);
            const QString file = src.match(tag).captured(1);
            QVERIFY2(file.startsWith(QStringLiteral("help/")) && file.endsWith(QStringLiteral(".png")), qPrintable(tag));
            QVERIFY2(QFileInfo(resources.filePath(file)).isFile(), qPrintable(file + QStringLiteral(" is missing")));
            QVERIFY2(alt.match(tag).hasMatch(), qPrintable(tag));
            const QVariant shown = viewer.browser()->loadResource(QTextDocument::ImageResource, QUrl(file));
            const QImage image = shown.metaType().id() == QMetaType::QImage ? shown.value<QImage>()
                                                                            : QImage::fromData(shown.toByteArray());
            QVERIFY2(!image.isNull(), qPrintable(file));
            QVERIFY2(image.width() <= HelpViewer::kHelpPictureWidth, qPrintable(file));
        }
        QVERIFY(pictures >= 12);

        // A topic runs from its heading to the next heading of its level or above.
        for (int n = 1; n <= 12; ++n) {
            const int anchor = html.indexOf(QStringLiteral("name=\"%1\"").arg(helpTopicAnchor(n)));
            QVERIFY(anchor > 0);
            const bool section = html.lastIndexOf(QStringLiteral("<h2"), anchor)
                                 > html.lastIndexOf(QStringLiteral("<h3"), anchor);
            const QRegularExpression next(section ? QStringLiteral("<h[12][ >]") : QStringLiteral("<h[123][ >]"));
            const int end = html.indexOf(next, anchor);
            const QString topic = html.mid(anchor, end < 0 ? -1 : end - anchor);
            QVERIFY2(topic.contains(QStringLiteral("<img ")), qPrintable(helpTopicAnchor(n)));
        }
    }

    void contentsOpenAtTheTopAndTopicsAtTheirAnchor()
    {
        ModalDriver modals;
        QString anchor = QStringLiteral("?");
        int scroll = -1;
        auto look = [&](QDialog* d) {
            if (auto* v = qobject_cast<HelpViewer*>(d)) {
                anchor = v->anchor();
                // The viewer scrolls to a topic once it is on screen; the
                // contents are never scrolled.
                if (!anchor.isEmpty())
                    QTRY_VERIFY(v->browser()->verticalScrollBar()->value() > 0);
                scroll = v->browser()->verticalScrollBar()->value();
            }
            d->accept();
        };
        modals.expect(look);
        showHelpContents();
        QCOMPARE(anchor, QString());
        QCOMPARE(scroll, 0);

        modals.expect(look);
        showHelpTopic(12);
        QCOMPARE(anchor, QStringLiteral("topico12"));
        QVERIFY(scroll > 0);
        QCOMPARE(modals.shown(), (QStringList{QStringLiteral("plat::ui::HelpViewer"), QStringLiteral("plat::ui::HelpViewer")}));
    }

    void missingGuideIsReportedInAPlainMessage()
    {
        QTemporaryDir empty;
        setHelpFile(QDir(empty.path()).filePath(QStringLiteral("zelta99.html")));
        MessageRecorder rec;
        ModalDriver modals;
        showHelpTopic(3);
        showHelpContents();
        QCOMPARE(modals.shown(), QStringList());
        QCOMPARE(rec.count(), 2);
        QCOMPARE(rec.last().kind, MessageKind::Plain);
        QCOMPARE(rec.last().caption, QStringLiteral("zelta99"));
        QVERIFY(rec.last().text.contains(QStringLiteral("zelta99.html")));
        QVERIFY(rec.last().text.contains(QStringLiteral("não foi encontrado")));
    }

    void f1OpensTheTopicOfTheFocusedWidgetOrOfItsNearestOwner()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* group = new QGroupBox(QStringLiteral("Palavras"), &window);
        auto* inner = new QVBoxLayout(group);
        auto* inherits = new QLineEdit(group);
        auto* own = new QLineEdit(group);
        inner->addWidget(inherits);
        inner->addWidget(own);
        auto* none = new QLineEdit(&window);
        layout->addWidget(group);
        layout->addWidget(none);
        setHelpContext(group, 5);
        setHelpContext(own, 1);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        ModalDriver modals;
        QStringList opened;
        auto record = [&](QDialog* d) {
            if (auto* v = qobject_cast<HelpViewer*>(d))
                opened << v->anchor();
            d->accept();
        };
        modals.expect(record);
        modals.expect(record);

        inherits->setFocus();
        QTest::keyClick(inherits, Qt::Key_F1);
        own->setFocus();
        QTest::keyClick(own, Qt::Key_F1);
        none->setFocus();
        QTest::keyClick(none, Qt::Key_F1);
        QCOMPARE(opened, (QStringList{QStringLiteral("topico5"), QStringLiteral("topico1")}));
        QCOMPARE(modals.shown().size(), 2);
        QCOMPARE(helpContextFor(none), 0);
    }
};

QTEST_MAIN(TestUiHelp)
#include "test_ui_help.moc"

// The focus shown on every control however it came there, and the completion
// list of a file dialog closed with it.
#include "platform/ui/FocusStyle.h"
#include "platform/ui/ModalRunner.h"
#include "support/TestHooks.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

int pixelsOf(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

} // namespace

class TestUiFocus : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { plat::ui::installFocusStyle(*qApp); }

    // Focus given by the program itself (as after "Corrigir") and not by Tab:
    // buttons, tool buttons, radio buttons and check boxes get a solid
    // outline in the highlight colour; a box changes as well.
    void focusIsShownOnEveryControl()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* elsewhere = new QLineEdit(&window);
        auto* tool = new QToolButton(&window);
        tool->setText(QStringLiteral("..."));
        tool->setAutoRaise(true);
        tool->setFocusPolicy(Qt::TabFocus);
        const QList<QWidget*> controls{new QPushButton(QStringLiteral("Confirmar"), &window), tool,
                                       new QRadioButton(QStringLiteral("Masculino"), &window),
                                       new QCheckBox(QStringLiteral("Pesquisador"), &window)};
        // A button in a box with a style sheet of its own is drawn through it.
        auto* styled = new QGroupBox(QStringLiteral("Arquivo"), &window);
        styled->setStyleSheet(QStringLiteral("QGroupBox::title { color: #0000ff; }"));
        auto* inStyled = new QToolButton(styled);
        inStyled->setText(QStringLiteral("..."));
        inStyled->setFocusPolicy(Qt::TabFocus);
        (new QHBoxLayout(styled))->addWidget(inStyled);
        auto* combo = new QComboBox(&window);
        combo->addItem(QStringLiteral("Doutor"));
        layout->addWidget(elsewhere);
        for (QWidget* w : controls)
            layout->addWidget(w);
        layout->addWidget(styled);
        layout->addWidget(combo);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        const QRgb highlight = window.palette().color(QPalette::Active, QPalette::Highlight).rgb();
        for (QWidget* w : controls + QList<QWidget*>{inStyled, combo}) {
            elsewhere->setFocus(Qt::OtherFocusReason);
            QCoreApplication::processEvents();
            const QImage off = w->grab().toImage();
            w->setFocus(Qt::OtherFocusReason);
            QCoreApplication::processEvents();
            QVERIFY(w->hasFocus());
            const QImage on = w->grab().toImage();
            const char* name = w->metaObject()->className();
            QVERIFY2(on != off, name);
            if (w != combo)
                QVERIFY2(pixelsOf(on, highlight) >= pixelsOf(off, highlight) + 20, name);
        }
    }

    // A completion list shown when the dialog closes goes with it, and stays
    // closed when the file model would show it again afterwards.
    void completionListDoesNotOutliveItsDialog()
    {
        QTemporaryDir dir;
        for (const char* name : {"ANTERIOR.TEX", "ANTIGO.TEX"}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QFileDialog dialog(nullptr, QStringLiteral("Abrir"), dir.path());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::ExistingFile);
        plat::ui::ModalDriver modals;
        QAbstractItemView* popup = nullptr;
        modals.expect([&](QDialog* d) {
            // The dialog closes on every path, a failed check included.
            const auto close = qScopeGuard([d] { d->reject(); });
            QVERIFY(QTest::qWaitForWindowActive(d));
            auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name && name->completer());
            popup = name->completer()->popup();
            // The folder is read on a thread of its own; the completion list
            // only follows what was typed after the names were there.
            auto* list = d->findChild<QAbstractItemView*>(QStringLiteral("listView"));
            QVERIFY(list);
            QTRY_VERIFY_WITH_TIMEOUT(list->model()->rowCount(list->rootIndex()) >= 2, 30000);
            name->setFocus();
            QTest::keyClicks(name, QStringLiteral("ANT"));
            QTRY_VERIFY_WITH_TIMEOUT(popup->isVisible(), 30000);
        });
        plat::ui::showModal(&dialog);
        QVERIFY(popup);
        QVERIFY(!popup->isVisible());
        popup->show();
        QTRY_VERIFY(!popup->isVisible());
    }
};

QTEST_MAIN(TestUiFocus)
#include "test_ui_focus.moc"

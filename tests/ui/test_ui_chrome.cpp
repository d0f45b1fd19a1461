// What every modal window gets before it shows: access keys, names for
// assistive technology, its place over the window it opens over, its border
// buttons, and the screen when it opens maximised.
#include "platform/ui/Messages.h"
#include "support/TestHooks.h"
#include "platform/ui/WindowChrome.h"
#include "platform/ui/WindowPlacement.h"

#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMainWindow>
#include <QScreen>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTreeView>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

using namespace plat::ui;

namespace {

template <typename T>
T* add(QDialog& d, T* w)
{
    d.layout()->addWidget(w);
    return w;
}

QGroupBox* boxAround(QDialog& d, const QString& title, QWidget* control)
{
    auto* box = add(d, new QGroupBox(title));
    (new QVBoxLayout(box))->addWidget(control);
    return box;
}

} // namespace

class TestUiChrome : public QObject {
    Q_OBJECT

private slots:
    void accessKeysAreUniqueAndKeepTheOnesGiven()
    {
        QDialog d;
        new QVBoxLayout(&d);
        auto* confirma = add(d, new QPushButton(QStringLiteral("Confirma")));
        auto* cancelar = add(d, new QPushButton(QStringLiteral("Cancelar")));
        auto* sair = add(d, new QPushButton(QStringLiteral("&Sair")));
        auto* radio = add(d, new QRadioButton(QStringLiteral("Sim")));
        auto* cpf = boxAround(d, QStringLiteral("CPF"), new QLineEdit);
        auto* panel = new QLineEdit;
        panel->setFocusPolicy(Qt::NoFocus); // a read-only panel: no key to reach it
        auto* processo = boxAround(d, QStringLiteral("Processo"), panel);

        assignAccessKeys(&d);
        QCOMPARE(confirma->text(), QStringLiteral("&Confirma"));
        QCOMPARE(cancelar->text(), QStringLiteral("C&ancelar"));
        QCOMPARE(sair->text(), QStringLiteral("&Sair"));
        QCOMPARE(cpf->title(), QStringLiteral("C&PF"));
        QCOMPARE(radio->text(), QStringLiteral("Sim"));
        QCOMPARE(processo->title(), QStringLiteral("Processo"));
        assignAccessKeys(&d); // a second pass changes nothing
        QCOMPARE(cancelar->text(), QStringLiteral("C&ancelar"));

        nameForAssistiveTechnology(&d);
        QCOMPARE(panel->accessibleName(), QStringLiteral("Processo"));
        QCOMPARE(cpf->findChild<QLineEdit*>()->accessibleName(), QStringLiteral("CPF"));
    }

    // A window without border icons keeps its kind and its title and asks for
    // nothing else, whatever flags it had: Qt then tells the window manager
    // that it has no minimise, maximise or close function.
    void windowsWithoutBorderIconsAskForTitleOnly()
    {
        const Qt::WindowFlags buttons = Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint
                                        | Qt::WindowContextHelpButtonHint;
        QDialog dialog(nullptr, Qt::Dialog | buttons);
        QPushButton cancel(QStringLiteral("Cancelar"), &dialog);
        setNoBorderIcons(&dialog, &cancel);
        QMainWindow main;
        main.setWindowFlags(Qt::Window | buttons);
        removeBorderIcons(&main);
        for (const auto& [window, kind] : {std::pair<QWidget*, Qt::WindowType>{&dialog, Qt::Dialog}, {&main, Qt::Window}}) {
            const Qt::WindowFlags flags = window->windowFlags();
            QCOMPARE(flags & Qt::WindowType_Mask, kind);
            QCOMPARE(flags & ~Qt::WindowType_Mask, Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        }
    }

    // A window that opens maximised has the screen's free size before it
    // shows, so that a window manager that does not maximise it leaves no
    // part of the screen uncovered; other windows keep theirs.
    void maximisedWindowsTakeTheScreen()
    {
        QDialog maximised;
        maximised.resize(400, 300);
        maximised.setWindowState(Qt::WindowMaximized);
        QDialog plain;
        plain.resize(400, 300);
        fillScreenWhenMaximised(&maximised);
        fillScreenWhenMaximised(&plain);
        QCOMPARE(maximised.size(), maximised.screen()->availableGeometry().size());
        QVERIFY(maximised.windowState() & Qt::WindowMaximized); // still asks the window manager to maximise it
        QCOMPARE(plain.size(), QSize(400, 300));
    }

    // A maximised window the window manager leaves at its own size keeps its
    // frame, title bar included, within the free area: the client area is
    // what the frame leaves of it, wherever the free area stands.
    void aFrameFillsTheFreeAreaWithTheClientInside()
    {
        const QMargins xfwm(1, 24, 1, 1);
        QCOMPARE(clientFilling(QRect(0, 0, 1280, 900), xfwm), QRect(1, 24, 1278, 875));
        QCOMPARE(clientFilling(QRect(0, 30, 1280, 870), xfwm), QRect(1, 54, 1278, 845)); // a panel on top
        QCOMPARE(clientFilling(QRect(0, 0, 1280, 900), QMargins()), QRect(0, 0, 1280, 900));
        // Nonsense from a window manager does not shrink the window to nothing.
        QCOMPARE(clientFilling(QRect(0, 0, 1280, 900), QMargins(0, 950, 0, 0)), QRect(0, 0, 1280, 900));
        QCOMPARE(clientFilling(QRect(0, 0, 1280, 900), QMargins(0, -24, 0, 0)), QRect(0, 0, 1280, 900));
        // Where the window is not maximised, its frame stops a pixel short of
        // the right and bottom edges.
        QCOMPARE(clientAlmostFilling(QRect(0, 0, 1280, 900), QMargins(5, 29, 5, 5)), QRect(5, 29, 1269, 865));
    }

    // A stretched column shows its longest text, and a column the user sizes
    // or a last column its heading whole, the window widened for them; a
    // window wide enough keeps its size.
    void windowsWidenToShowTheirColumnsWhole()
    {
        QDialog copies;
        auto* table = new QTableWidget(1, 3);
        (new QVBoxLayout(&copies))->addWidget(table);
        table->setItem(0, 0, new QTableWidgetItem(QStringLiteral("08/12/2026 11:13:05")));
        table->setItem(0, 1, new QTableWidgetItem(QStringLiteral("UEVE - UNIVERSIDADE ESTADUAL DO VALE DO EXEMPLO")));
        table->setItem(0, 2, new QTableWidgetItem(QStringLiteral("16")));
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
        copies.resize(300, 200);
        widenToShowColumns(&copies, table);
        copies.show();
        QVERIFY(QTest::qWaitForWindowExposed(&copies));
        QVERIFY(table->columnWidth(1) >= static_cast<QAbstractItemView*>(table)->sizeHintForColumn(1));
        const QSize wide = copies.size();
        widenToShowColumns(&copies, table);
        QCOMPARE(copies.size(), wide);

        QDialog folders;
        QStandardItemModel model(1, 3);
        model.setHorizontalHeaderLabels(
            {QStringLiteral("Nome"), QStringLiteral("Data de modificação"), QStringLiteral("Data de modificação")});
        auto* tree = new QTreeView;
        tree->setModel(&model);
        (new QVBoxLayout(&folders))->addWidget(tree);
        tree->header()->resizeSection(0, 280);
        tree->header()->resizeSection(1, 40);
        folders.resize(300, 200);
        widenToShowColumns(&folders, tree);
        folders.show();
        QVERIFY(QTest::qWaitForWindowExposed(&folders));
        QCOMPARE(tree->header()->sectionSize(0), 280);
        QVERIFY(tree->header()->sectionSize(1) >= tree->header()->sectionSizeHint(1));
        QVERIFY(tree->header()->sectionSize(2) >= tree->header()->sectionSizeHint(2));
    }

    void dialogsAndMessagesStandCentredOverTheWindowShown()
    {
        QWidget main;
        main.setGeometry(100, 80, 900, 700);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto* hidden = new QDialog(&main); // never shown, as a window that closes on creation
        hidden->resize(300, 200);

        ModalDriver modals;
        QPoint dialogCentre, boxCentre;
        modals.expect([&](QDialog* d) { dialogCentre = d->geometry().center(); });
        modals.expect([&](QDialog* d) { boxCentre = d->geometry().center(); });
        QDialog dialog(&main);
        dialog.resize(400, 300);
        dialog.move(0, 0); // a window placed before it is shown is still centred
        showModal(&dialog);
        showMessage(QStringLiteral("Nenhum drive"), hidden);

        const QPoint centre = main.geometry().center();
        QVERIFY((dialogCentre - centre).manhattanLength() <= 4);
        QVERIFY((boxCentre - centre).manhattanLength() <= 4);
    }
};

QTEST_MAIN(TestUiChrome)
#include "test_ui_chrome.moc"

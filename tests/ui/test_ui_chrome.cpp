// What every modal window gets before it shows: access keys, names for
// assistive technology, and its place over the window it opens over.
#include "platform/ui/Messages.h"
#include "platform/ui/TestHooks.h"
#include "platform/ui/WindowChrome.h"

#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
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
        panel->setFocusPolicy(Qt::NoFocus);   // a read-only panel: no key to reach it
        auto* processo = boxAround(d, QStringLiteral("Processo"), panel);

        assignAccessKeys(&d);
        QCOMPARE(confirma->text(), QStringLiteral("&Confirma"));
        QCOMPARE(cancelar->text(), QStringLiteral("C&ancelar"));
        QCOMPARE(sair->text(), QStringLiteral("&Sair"));
        QCOMPARE(cpf->title(), QStringLiteral("C&PF"));
        QCOMPARE(radio->text(), QStringLiteral("Sim"));
        QCOMPARE(processo->title(), QStringLiteral("Processo"));
        assignAccessKeys(&d);   // a second pass changes nothing
        QCOMPARE(cancelar->text(), QStringLiteral("C&ancelar"));

        nameForAssistiveTechnology(&d);
        QCOMPARE(panel->accessibleName(), QStringLiteral("Processo"));
        QCOMPARE(cpf->findChild<QLineEdit*>()->accessibleName(), QStringLiteral("CPF"));
    }

    void dialogsAndMessagesStandCentredOverTheWindowShown()
    {
        QWidget main;
        main.setGeometry(100, 80, 900, 700);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto* hidden = new QDialog(&main);   // never shown, as a window that closes on creation
        hidden->resize(300, 200);

        ModalDriver modals;
        QPoint dialogCentre, boxCentre;
        modals.expect([&](QDialog* d) { dialogCentre = d->geometry().center(); });
        modals.expect([&](QDialog* d) { boxCentre = d->geometry().center(); });
        QDialog dialog(&main);
        dialog.resize(400, 300);
        dialog.move(0, 0);   // a window placed before it is shown is still centred
        showModal(&dialog);
        showMessage(QStringLiteral("Nenhum drive"), hidden);

        const QPoint centre = main.geometry().center();
        QVERIFY((dialogCentre - centre).manhattanLength() <= 4);
        QVERIFY((boxCentre - centre).manhattanLength() <= 4);
    }
};

QTEST_MAIN(TestUiChrome)
#include "test_ui_chrome.moc"

// The data-aware controls: the legacy edit masks, the masked box's leaving
// rules, bound edits and memos following a cursor, and the grid that fetches
// rows lazily and follows the cursor both ways.
#include "platform/system/Error.h"
#include "platform/ui/CursorModel.h"
#include "platform/db/CursorPositions.h"
#include "platform/ui/DBEdit.h"
#include "platform/ui/OrderingGuard.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/DBMemo.h"
#include "platform/ui/EditMask.h"
#include "platform/ui/FormBuilding.h"
#include "platform/ui/MaskEdit.h"
#include "platform/ui/RadioGroup.h"
#include "support/TestHooks.h"
#include "support/TestData.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>

using namespace plat::ui;
using plat::db::compareKeyValues;
using zelta::test::makeCpf;

using zelta::test::TestData;
namespace {

// A shown, active window with the controls under test and a second box to
// which the focus can go.
struct Window {
    QDialog dialog;
    QVBoxLayout* layout = new QVBoxLayout(&dialog);
    QLineEdit* other = new QLineEdit(&dialog);

    template <class W>
    W* add(W* w)
    {
        layout->addWidget(w);
        return w;
    }
    bool show()
    {
        layout->addWidget(other);
        dialog.show();
        return QTest::qWaitForWindowActive(&dialog);
    }
};

void typeText(QWidget* w, const QString& text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Pastes the text as the user does, through the clipboard.
void paste(QWidget* w, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
}

// Text committed by an input method (an emoji picker, a compose key).
void commit(QWidget* w, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(w, &event);
}

const QString kInvalid = QStringLiteral("Invalid input value.  Use escape key to abandon changes.");

} // namespace

class TestUiData : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("zelta99")); }

    // ---------------------------------------------------------------- masks

    void legacyMasksBecomeQtMasks_data()
    {
        QTest::addColumn<QString>("legacy");
        QTest::addColumn<QString>("qt");
        QTest::addColumn<QString>("empty");
        QTest::addColumn<bool>("saves");
        QTest::newRow("CPF") << QStringLiteral("999.999.999-99;1;_") << QStringLiteral("000.000.000-00;_")
                             << QStringLiteral("___.___.___-__") << true;
        QTest::newRow("date") << QStringLiteral("!99/99/0000;1;_") << QStringLiteral("00/00/9999;_")
                              << QStringLiteral("__/__/____") << true;
        QTest::newRow("area code, no fields")
            << QStringLiteral("9.99.99.99-9") << QStringLiteral("0.00.00.00-0;_") << QStringLiteral("_.__.__.__-_") << true;
        QTest::newRow("literals not saved, blank *")
            << QStringLiteral("00-00;0;*") << QStringLiteral("99-99;*") << QStringLiteral("**-**") << false;
        QTest::newRow("letters and case") << QStringLiteral(">LL<>ll") << QStringLiteral(">AA!aa;_") << QStringLiteral("____")
                                          << true;
        QTest::newRow("escaped and Qt-special literals")
            << QStringLiteral("\\9A-N_a") << QStringLiteral("\\9N-\\N n;_") << QStringLiteral("9_-N _") << true;
    }
    void legacyMasksBecomeQtMasks()
    {
        QFETCH(QString, legacy);
        QFETCH(QString, qt);
        QFETCH(QString, empty);
        QFETCH(bool, saves);
        const EditMask m = EditMask::fromLegacy(legacy);
        QCOMPARE(m.qtInputMask(), qt);
        QCOMPARE(m.emptyDisplay(), empty);
        QCOMPARE(m.savesLiterals(), saves);
        // Qt shows the same empty text.
        QLineEdit box;
        box.setInputMask(m.qtInputMask());
        QCOMPARE(box.displayText(), empty);
    }

    void storedValuesKeepEveryPosition()
    {
        const EditMask cpf = EditMask::fromLegacy(QStringLiteral("999.999.999-99;1;_"));
        QCOMPARE(cpf.storedValue(QStringLiteral("123.___.___-__")), QStringLiteral("123.   .   -  "));
        QCOMPARE(cpf.emptyValue(), QStringLiteral("   .   .   -  "));
        QCOMPARE(cpf.editText(QStringLiteral("123.   .   -  ")), QStringLiteral("123.___.___-__"));
        QCOMPARE(cpf.editText(QString()), QString());
        QVERIFY(cpf.requiredFilled(cpf.emptyDisplay())); // every CPF position is optional

        const EditMask area = EditMask::fromLegacy(QStringLiteral("9.99.99.99-9"));
        QCOMPARE(area.emptyValue(), QStringLiteral(" .  .  .  - "));

        const EditMask bare = EditMask::fromLegacy(QStringLiteral("00-00;0;_"));
        QCOMPARE(bare.storedValue(QStringLiteral("12-3_")), QStringLiteral("123 "));
        QCOMPARE(bare.editText(QStringLiteral("123 ")), QStringLiteral("12-3_"));
        QVERIFY(!bare.requiredFilled(QStringLiteral("12-3_")));

        const EditMask date = EditMask::fromLegacy(QStringLiteral("!99/99/0000;1;_"));
        QVERIFY(date.requiredFilled(QStringLiteral("__/__/1999")));
        QVERIFY(!date.requiredFilled(QStringLiteral("17/05/19__")));
    }

    void maskedBoxStoresWhatItShows()
    {
        MaskEdit box;
        box.setEditMask(QStringLiteral("999.999.999-99;1;_"));
        QCOMPARE(box.value(), QStringLiteral("   .   .   -  "));
        QTest::keyClicks(&box, QStringLiteral("12345678909"));
        QCOMPARE(box.value(), QStringLiteral("123.456.789-09"));

        // A stored value with blanks goes back to its own positions.
        box.setValue(QStringLiteral("123.   .   -  "));
        QCOMPARE(box.displayText(), QStringLiteral("123.___.___-__"));
        QCOMPARE(box.value(), QStringLiteral("123.   .   -  "));
        QVERIFY(!box.isModified());
        box.setEditMask(QStringLiteral("9.99.99.99-9"));
        box.setValue(QStringLiteral("1.01.00.00-3"));
        QCOMPARE(box.value(), QStringLiteral("1.01.00.00-3"));
    }

    void capitalsAndCharacterSet()
    {
        MaskEdit box;
        box.setCharCase(MaskEdit::CharCase::Upper);
        box.setMaxLength(20);
        typeText(&box, QStringLiteral("joão açaí"));
        QCOMPARE(box.text(), QStringLiteral("JOÃO AÇAÍ"));
        typeText(&box, QStringLiteral("€ā")); // the euro sign is in Windows-1252, ā is not
        QCOMPARE(box.text(), QStringLiteral("JOÃO AÇAÍ€"));
    }

    void typedAndPastedTextIsComposedOrRefused()
    {
        MessageRecorder messages;
        Window w;
        auto* box = new MaskEdit;
        box->setCharCase(MaskEdit::CharCase::Upper);
        box->setMaxLength(15);
        w.add(framed(&w.dialog, QStringLiteral("Nome"), box));
        QVERIFY(w.show());
        box->setFocus();

        // An accent typed after its letter joins it.
        typeText(box, QStringLiteral("e\u0301"));
        QCOMPARE(box->text(), QStringLiteral("É"));

        // A name pasted from a document whose accents come apart: 21 characters
        // as pasted, 15 composed, and the box's 15 are counted composed.
        box->selectAll();
        paste(box, QStringLiteral("E\u0301rica Conceic\u0327a\u0303o"));
        QCOMPARE(box->text(), QStringLiteral("ÉRICA CONCEIÇÃO"));
        QCOMPARE(box->cursorPosition(), 15);
        box->setCursorPosition(5);
        paste(box, QStringLiteral("X")); // full: nothing more goes in
        QCOMPARE(box->text(), QStringLiteral("ÉRICA CONCEIÇÃO"));
        QCoreApplication::processEvents();
        QCOMPARE(messages.count(), 0);

        // A control character, a NUL or a character outside the set refuses
        // the whole edit, naming the field; one message for a burst of them.
        box->selectAll();
        paste(box, QStringLiteral("ANA\u0007"));
        paste(box, QStringLiteral("ANA") + QChar(u'\0'));
        QCOMPARE(box->text(), QStringLiteral("ÉRICA CONCEIÇÃO"));
        QTRY_COMPARE(messages.count(), 1);
        QCOMPARE(messages.last().kind, MessageKind::Error);
        QCOMPARE(messages.last().text, QStringLiteral("Nome: tem um caractere de controle (U+0007), que não pode ser gravado."));
        box->clear();
        commit(box, QStringLiteral("😀")); // as an input method gives it
        QVERIFY(box->text().isEmpty());
        QTRY_COMPARE(messages.count(), 2);
        QCOMPARE(messages.last().text, QStringLiteral("Nome: tem o caractere \"😀\" (U+1F600), que não pode ser gravado."));
        paste(box, QStringLiteral("ANA\r\nLIMA"));
        QVERIFY(box->text().isEmpty());
        QTRY_COMPARE(messages.count(), 3);
        QCOMPARE(messages.last().text, QStringLiteral("Nome: tem uma quebra de linha (U+000D), que não pode ser gravada."));
        paste(box, QStringLiteral("ana lima\r\n")); // a cell copied from a spreadsheet
        QCOMPARE(box->text(), QStringLiteral("ANA LIMA"));

        // A stored value is shown as it is; only what the user adds is judged.
        box->setValue(QStringLiteral("A\tB"));
        QCoreApplication::processEvents();
        QCOMPARE(messages.count(), 3);
        box->end(false);
        typeText(box, QStringLiteral("c"));
        paste(box, QStringLiteral("\u0001"));
        QCOMPARE(box->text(), QStringLiteral("A\tBC"));
        QTRY_COMPARE(messages.count(), 4);
    }

    void leavingWithARequiredPositionEmptyIsRefused()
    {
        MessageRecorder messages;
        Window w;
        auto* date = w.add(new MaskEdit);
        date->setEditMask(QStringLiteral("!99/99/0000;1;_"));
        int exits = 0;
        connect(date, &MaskEdit::exited, this, [&] { ++exits; });
        QVERIFY(w.show());

        // Leaving an untouched box is no change and passes.
        date->setFocus();
        w.other->setFocus();
        QCOMPARE(exits, 1);
        QCOMPARE(messages.count(), 0);

        date->setFocus();
        QTest::keyClicks(date, QStringLiteral("1705"));
        w.other->setFocus();
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().kind, MessageKind::Error);
        QCOMPARE(messages.last().text, kInvalid);
        QVERIFY(date->hasFocus());
        QCOMPARE(exits, 1);

        // Esc abandons the changes; then the box can be left.
        QTest::keyClick(date, Qt::Key_Escape);
        QCOMPARE(date->value(), QStringLiteral("  /  /    "));
        w.other->setFocus();
        QCOMPARE(exits, 2);
        QCOMPARE(messages.count(), 1);

        // Complete, it passes.
        date->setFocus();
        QTest::keyClicks(date, QStringLiteral("17051980"));
        w.other->setFocus();
        QCOMPARE(exits, 3);
        QCOMPARE(date->value(), QStringLiteral("17/05/1980"));
    }

    void escapeWithoutChangesReachesTheWindow()
    {
        Window w;
        auto* box = w.add(new MaskEdit);
        QVERIFY(w.show());
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(!w.dialog.isVisible()); // QDialog's own Esc: the box let it through
    }

    // ------------------------------------------------------------- bound edits

    void boundEditsFollowTheCursorAndWriteWhatIsTyped()
    {
        TestData d;
        d.addAdvisor(makeCpf(1), QStringLiteral("ANA"));
        d.addAdvisor(makeCpf(2), QStringLiteral("BRUNO"));
        auto& dm = d.dm();
        dm.Tb_Orientador->open();

        Window w;
        auto* nome = w.add(new DBEdit(dm.Ds_Orientador, QStringLiteral("NOME")));
        auto* mirror = w.add(new DBEdit(dm.Ds_Orientador, QStringLiteral("nome")));
        auto* cpf = w.add(new DBEdit(dm.Ds_Orientador, QStringLiteral("CPF")));
        QVERIFY(w.show());
        QCOMPARE(nome->maxLength(), 60);
        QCOMPARE(cpf->editMask().qtInputMask(), QStringLiteral("000.000.000-00;_"));
        QCOMPARE(nome->text(), QStringLiteral("ANA"));
        QCOMPARE(cpf->value(), makeCpf(1));

        dm.Tb_Orientador->next();
        QCOMPARE(nome->text(), QStringLiteral("BRUNO"));
        QVERIFY(!dm.Tb_Orientador->findKey({QStringLiteral("ZULMIRA")}));
        QCOMPARE(nome->text(), QStringLiteral("BRUNO"));

        // Typing puts the browsed record into editing and writes at once; the
        // other box on the same field shows it, the typing box keeps its cursor.
        nome->setFocus();
        nome->end(false);
        QTest::keyClicks(nome, QStringLiteral(" LIMA"));
        QCOMPARE(dm.Tb_Orientador->state(), plat::db::Table::State::Edit);
        QCOMPARE(dm.Tb_Orientador->field(QStringLiteral("NOME")).asString(), QStringLiteral("BRUNO LIMA"));
        QCOMPARE(mirror->text(), QStringLiteral("BRUNO LIMA"));
        QCOMPARE(nome->cursorPosition(), 10);

        // A partly typed CPF is stored with its blanks, 14 characters.
        cpf->setFocus();
        cpf->selectAll();
        QTest::keyClick(cpf, Qt::Key_Delete);
        QTest::keyClicks(cpf, QStringLiteral("123"));
        QCOMPARE(dm.Tb_Orientador->field(QStringLiteral("CPF")).asString(), QStringLiteral("123.   .   -  "));

        // Esc brings back the value the box had when it was entered.
        QTest::keyClick(cpf, Qt::Key_Escape);
        QCOMPARE(dm.Tb_Orientador->field(QStringLiteral("CPF")).asString(), makeCpf(2));

        dm.Tb_Orientador->cancel();
        QCOMPARE(nome->text(), QStringLiteral("BRUNO"));
        dm.Tb_Orientador->close();
        QCOMPARE(nome->text(), QString());
    }

    void aBoundDateConvertsWhenComplete()
    {
        MessageRecorder messages;
        TestData d;
        d.addHolder(QStringLiteral("CARLA"), makeCpf(7));
        auto& dm = d.dm();
        dm.Tb_Bolsistas->open();
        Window w;
        auto* date = w.add(new DBEdit(dm.Ds_Bolsistas, QStringLiteral("DATA_NASCIMENTO")));
        QVERIFY(w.show());
        QCOMPARE(date->value(), QStringLiteral("17/05/1980"));

        date->setFocus();
        date->selectAll();
        QTest::keyClick(date, Qt::Key_Delete);
        QVERIFY(dm.Tb_Bolsistas->field(QStringLiteral("DATA_NASCIMENTO")).isNull()); // an empty box is no date
        QTest::keyClicks(date, QStringLiteral("31021990"));
        QVERIFY(dm.Tb_Bolsistas->field(QStringLiteral("DATA_NASCIMENTO")).isNull());
        w.other->setFocus();
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("'31/02/1990' is not a valid date.")});
        QVERIFY(date->hasFocus());

        date->selectAll();
        QTest::keyClick(date, Qt::Key_Delete);
        QTest::keyClicks(date, QStringLiteral("01021990"));
        QCOMPARE(dm.Tb_Bolsistas->field(QStringLiteral("DATA_NASCIMENTO")).asDate(), QDate(1990, 2, 1));
        w.other->setFocus();
        QCOMPARE(messages.count(), 1);
        dm.Tb_Bolsistas->post();
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT DATA_NASCIMENTO FROM ZELTABOL")).toString(), QStringLiteral("1990-02-01"));
    }

    void memoKeepsToTheFieldSizeAndOneParagraph()
    {
        TestData d;
        d.addAdvisor(makeCpf(1), QStringLiteral("ANA"), QStringLiteral("D"), QStringLiteral("TITULO UM"));
        auto& dm = d.dm();
        dm.Tb_Orientador->open();
        Window w;
        auto* memo = w.add(new DBMemo(dm.Ds_Orientador, QStringLiteral("TITULO")));
        memo->setSingleParagraph(true);
        auto* shown = w.add(new DBMemo(dm.Ds_Orientador, QStringLiteral("TITULO")));
        shown->setReadOnly(true);
        QVERIFY(w.show());
        QCOMPARE(memo->toPlainText(), QStringLiteral("TITULO UM"));
        QCOMPARE(memo->maxLength(), 240);

        memo->setFocus();
        memo->moveCursor(QTextCursor::End);
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, QString(300, u'x'));
        const QString stored = dm.Tb_Orientador->field(QStringLiteral("TITULO")).asString();
        QCOMPARE(stored.size(), 240);
        QVERIFY(stored.startsWith(QStringLiteral("TITULO UM x")));
        QCOMPARE(memo->toPlainText(), stored);
        QCOMPARE(shown->toPlainText(), stored);
        dm.Tb_Orientador->cancel();
        QCOMPARE(shown->toPlainText(), QStringLiteral("TITULO UM"));
    }

    void memoComposesAndRefusesWhatCannotEnter()
    {
        MessageRecorder messages;
        TestData d;
        // A title from last year's file may hold a line break.
        d.addAdvisor(makeCpf(1), QStringLiteral("ANA"), QStringLiteral("D"), QStringLiteral("LINHA UM\r\nLINHA DOIS"));
        auto& dm = d.dm();
        dm.Tb_Orientador->open();
        Window w;
        auto* memo = new DBMemo(dm.Ds_Orientador, QStringLiteral("TITULO"));
        w.add(framed(&w.dialog, QStringLiteral("Titulo do Projeto"), memo));
        QVERIFY(w.show());
        memo->setFocus();
        QCOMPARE(dm.Tb_Orientador->state(), plat::db::Table::State::Browse); // shown, not rewritten

        memo->selectAll();
        paste(memo, QStringLiteral("ana\u0301lise\nde dados"));
        QCOMPARE(dm.Tb_Orientador->field(QStringLiteral("TITULO")).asString(), QStringLiteral("análise\nde dados"));
        paste(memo, QStringLiteral("\tx"));
        paste(memo, QStringLiteral("\u0092")); // a C1 control, not the quote its byte gives
        QCOMPARE(memo->toPlainText(), QStringLiteral("análise\nde dados"));
        QTRY_COMPARE(messages.count(), 1);
        QCOMPARE(messages.last().text,
                 QStringLiteral("Titulo do Projeto: tem um caractere de controle (U+0009), que não pode ser gravado."));
        QCOMPARE(dm.Tb_Orientador->field(QStringLiteral("TITULO")).asString(), QStringLiteral("análise\nde dados"));

        dm.Tb_Orientador->cancel();
        QCOMPARE(dm.Tb_Orientador->field(QStringLiteral("TITULO")).asString(), QStringLiteral("LINHA UM\r\nLINHA DOIS"));
    }

    void radioGroupChoosesOneOrNone()
    {
        RadioGroup g(QStringLiteral("Categoria"),
                     {QStringLiteral("1A"), QStringLiteral("1B"), QStringLiteral("1C"), QStringLiteral("2A"),
                      QStringLiteral("2B"), QStringLiteral("2C")},
                     3);
        int clicks = 0;
        connect(&g, &RadioGroup::clicked, this, [&] { ++clicks; });
        QCOMPARE(g.itemIndex(), -1);
        g.setItemIndex(4);
        QCOMPARE(g.itemIndex(), 4);
        g.setItemIndex(-1);
        QCOMPARE(g.itemIndex(), -1);
        QCOMPARE(clicks, 0); // the program's choices are not clicks
        g.button(2)->click();
        QCOMPARE(g.itemIndex(), 2);
        QCOMPARE(clicks, 1);
    }

    // -------------------------------------------------------------- the grid

    // A look-up in another index gives the cursor its ordering back, also
    // when it fails half-way.
    void theOrderingGuardRestoresTheOrderingOnAThrow()
    {
        TestData d;
        d.addAdvisor(makeCpf(2), QStringLiteral("ANA"));
        d.addAdvisor(makeCpf(1), QStringLiteral("BRUNO"));
        plat::db::Table& ori = *d.dm().Tb_Orientador;
        ori.setIndexFieldNames(QStringLiteral("NOME"));
        ori.open();
        try {
            const OrderingGuard ordering(ori);
            ori.setIndexName(QStringLiteral("Id_Orientador_Cpf"));
            QVERIFY(ori.findKey({makeCpf(1)}));
            throw std::runtime_error("failed look-up");
        } catch (const std::runtime_error&) {
        }
        QCOMPARE(ori.indexFieldNames(), QStringLiteral("NOME"));
        ori.first();
        QCOMPARE(ori.field(QStringLiteral("NOME")).asString(), QStringLiteral("ANA"));
        ori.close();
    }

    void gridFetchesLazilyAndFollowsTheCursor()
    {
        TestData d;
        {
            plat::db::Database::Transaction tx(d.db());
            for (int i = 0; i < 5000; ++i)
                d.addAdvisor(makeCpf(1000 + i), QStringLiteral("NOME %1").arg(i, 5, 10, QLatin1Char('0')));
            tx.commit();
        }
        auto& dm = d.dm();
        dm.Tb_Orientador->open();
        DBGrid grid;
        grid.setDataSource(dm.Ds_Orientador);
        grid.setColumns(QStringList{QStringLiteral("CPF"), QStringLiteral("NOME")});
        grid.resize(500, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QAbstractItemModelTester tester(grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);

        CursorModel* model = grid.cursorModel();
        QCOMPARE(model->rowCount(), 5000);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("CPF"));
        QCOMPARE(grid.currentIndex().row(), 0);
        QVERIFY(model->heldRecords() < 300);

        // The cursor jumps: the grid's row goes with it, reading only around it.
        dm.Tb_Orientador->findNearest({QStringLiteral("NOME 03500")});
        QCOMPARE(grid.currentIndex().row(), 3500);
        QCOMPARE(model->data(model->index(3500, 1)).toString(), QStringLiteral("NOME 03500"));
        QCOMPARE(model->data(model->index(3499, 1)).toString(), QStringLiteral("NOME 03499"));
        dm.Tb_Orientador->last();
        QCOMPARE(grid.currentIndex().row(), 4999);
        QVERIFY(model->heldRecords() < 600);

        // A far row read from the nearest known one.
        QCOMPARE(model->data(model->index(1234, 1)).toString(), QStringLiteral("NOME 01234"));
        QCOMPARE(model->data(model->index(4321, 0)).toString(), makeCpf(1000 + 4321));

        // Choosing a row moves the cursor.
        grid.setCurrentIndex(model->index(1234, 0));
        QCOMPARE(dm.Tb_Orientador->field(QStringLiteral("NOME")).asString(), QStringLiteral("NOME 01234"));
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(dm.Tb_Orientador->field(QStringLiteral("NOME")).asString(), QStringLiteral("NOME 01235"));

        // A pending edit shows in its row; a post or a delete re-reads the rows.
        dm.Tb_Orientador->edit();
        dm.Tb_Orientador->field(QStringLiteral("NOME")).setAsString(QStringLiteral("NOME 01235 B"));
        QCOMPARE(model->data(model->index(1235, 1)).toString(), QStringLiteral("NOME 01235 B"));
        grid.setCurrentIndex(model->index(10, 0)); // refused while the record is being edited
        QCOMPARE(grid.currentIndex().row(), 1235);
        dm.Tb_Orientador->post();
        dm.Tb_Orientador->remove();
        QCOMPARE(model->rowCount(), 4999);
        QCOMPARE(model->data(model->index(1235, 1)).toString(), QStringLiteral("NOME 01236"));
        QCOMPARE(grid.currentIndex().row(), 1235);

        dm.Tb_Orientador->close();
        QCOMPARE(model->rowCount(), 0);
    }

    void gridPositionsAgreeWithTheCursorsCount()
    {
        // Enough rows for the grid to place records from its sample of keys;
        // names repeat and carry accents, so ties and folding both count.
        TestData d;
        const QStringList names{QStringLiteral("ÁLVARO"), QStringLiteral("ALVES"), QStringLiteral("ÉDSON LIMA"),
                                QStringLiteral("EDSON"),  QStringLiteral("ZÉLIA"), QStringLiteral("ÇÂNDIDO"),
                                QStringLiteral("CANDIDO")};
        {
            plat::db::Database::Transaction tx(d.db());
            for (int i = 0; i < 6000; ++i)
                d.addAdvisor(makeCpf(i), names.at(i % names.size()) + QStringLiteral(" %1").arg(i % 997));
            tx.commit();
        }
        auto& dm = d.dm();
        plat::db::Table& t = *dm.Tb_Orientador;
        t.open();
        DBGrid grid;
        grid.setDataSource(dm.Ds_Orientador);
        grid.setColumns(QStringList{QStringLiteral("NOME")});
        grid.resize(400, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QCoreApplication::processEvents(); // the idle sample
        for (int i = 0; i < 60; ++i) {
            t.findNearest({names.at(i % names.size()) + QStringLiteral(" %1").arg((i * 37) % 997)});
            QCOMPARE(grid.currentIndex().row(), t.positionOf(t.bookmark()));
            QCOMPARE(grid.model()->data(grid.currentIndex()).toString(), t.field(QStringLiteral("NOME")).asString());
        }
        t.last();
        QCOMPARE(grid.currentIndex().row(), 5999);

        // Written through another cursor: the sample is taken again.
        d.addAdvisor(makeCpf(99999), QStringLiteral("AAA"));
        t.refresh();
        t.findNearest({QStringLiteral("ZÉLIA 5")});
        QCOMPARE(grid.currentIndex().row(), t.positionOf(t.bookmark()));
        QCOMPARE(grid.model()->rowCount(), 6001);

        QVERIFY(compareKeyValues(QStringLiteral("ALVARO"), QStringLiteral("ALVES")) < 0);
        QVERIFY(compareKeyValues(QVariant(), qint64(-5)) < 0);
        QVERIFY(compareKeyValues(qint64(10), 9.5) > 0);
        QVERIFY(compareKeyValues(qint64(10), QStringLiteral("1")) < 0);
        QVERIFY(compareKeyValues(QStringLiteral("Z"), QStringLiteral("É")) < 0); // bytes, as the database orders
    }

    void gridOverAQueryWithTitlesAndWidths()
    {
        TestData d;
        const QString ori = makeCpf(5);
        d.db().exec(QStringLiteral("UPDATE ZELTAORI SET ALTERA='S'"));
        const qint64 c = d.addAdvisor(ori, QStringLiteral("ORIENTADOR"));
        d.db().exec(QStringLiteral("UPDATE ZELTAORI SET ALTERA='S'"));
        d.addHolder(QStringLiteral("ANA"), makeCpf(11), QStringLiteral("Novo"), ori, c);
        d.addHolder(QStringLiteral("BIA"), makeCpf(12), QStringLiteral("Novo"), ori, c);
        d.db().exec(QStringLiteral("UPDATE ZELTABOL SET ALTERA='S', CPF_EXORIENTADOR=CPF_ORIENTADOR"));
        auto& dm = d.dm();
        DBGrid grid;
        grid.setDataSource(dm.Ds_QrBolsistas);
        grid.setColumns(QList<GridColumn>{{QStringLiteral("Nome"), QStringLiteral("Bolsistas"), 29},
                                          {QStringLiteral("NOME_1"), QStringLiteral("Orientador"), 42}});
        dm.Qr_Bolsistas->open();
        CursorModel* model = grid.cursorModel();
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(model->columnCount(), 2);
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Orientador"));
        QCOMPARE(model->data(model->index(1, 1)).toString(), QStringLiteral("ORIENTADOR"));
        QCOMPARE(grid.columnWidth(0), grid.widthForChars(29)); // the last one takes the width left
        grid.setCurrentIndex(model->index(1, 0));
        QCOMPARE(dm.Qr_Bolsistas->field(QStringLiteral("Nome")).asString(), QStringLiteral("BIA"));
        dm.Qr_Bolsistas->first();
        QCOMPARE(grid.currentIndex().row(), 0);
    }
};

QTEST_MAIN(TestUiData)
#include "test_ui_data.moc"

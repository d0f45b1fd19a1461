// The message module, the handler guard and the busy cursor.
#include "platform/system/Error.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Messages.h"
#include "platform/ui/QtTranslation.h"
#include "support/TestHooks.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QTest>

using namespace plat::ui;

namespace {

// Something with event handlers, as a window has.
class Handlers : public QObject {
public:
    int calls = 0;
    bool lastChecked = false;
    void throwDb(bool checked)
    {
        ++calls;
        lastChecked = checked;
        throw plat::Error::database(QStringLiteral("Tabela bloqueada por outro programa"));
    }
    void throwWithBusyCursor()
    {
        BusyCursor busy;
        throw std::runtime_error("falhou");
    }
};

} // namespace

class TestUiMessages : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("zelta99")); }

    void fullStopRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << QStringLiteral("abc") << QStringLiteral("abc.");
        QTest::newRow("full stop") << QStringLiteral("abc.") << QStringLiteral("abc.");
        QTest::newRow("exclamation") << QStringLiteral("abc!") << QStringLiteral("abc!");
        QTest::newRow("hyphen 0x2D") << QStringLiteral("abc-") << QStringLiteral("abc-");
        QTest::newRow("slash 0x2F") << QStringLiteral("abc/") << QStringLiteral("abc/.");
        QTest::newRow("digit") << QStringLiteral("erro 42") << QStringLiteral("erro 42.");
        QTest::newRow("accented") << QStringLiteral("operação") << QStringLiteral("operação.");
        QTest::newRow("blank") << QStringLiteral("abc ") << QStringLiteral("abc ");
        QTest::newRow("closing LF CR") << QStringLiteral("abc\n\r") << QStringLiteral("abc\n\r");
        QTest::newRow("empty") << QString() << QString();
    }
    void fullStopRule()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(withFullStop(text), shown);
    }

    void eachKindIsRecordedWithItsCaptionButtonsAndIcon()
    {
        MessageRecorder rec;
        showMessage(QStringLiteral("Gravação executada"));
        attention(QStringLiteral("Favor verificar o CPF"));
        showError(QStringLiteral("Falha"));
        QCOMPARE(rec.count(), 3);

        const Message plain = rec.messages().at(0);
        QCOMPARE(plain.kind, MessageKind::Plain);
        QCOMPARE(plain.caption, QStringLiteral("zelta99"));
        QCOMPARE(plain.text, QStringLiteral("Gravação executada"));
        QCOMPARE(plain.buttons, MessageButtons::Ok);
        QCOMPARE(plain.icon, MessageIcon::None);

        const Message att = rec.messages().at(1);
        QCOMPARE(att.kind, MessageKind::Attention);
        QCOMPARE(att.caption, QStringLiteral("Atenção"));
        QCOMPARE(att.buttons, MessageButtons::Ok);
        QCOMPARE(att.icon, MessageIcon::None);

        const Message err = rec.messages().at(2);
        QCOMPARE(err.kind, MessageKind::Error);
        QCOMPARE(err.caption, QStringLiteral("zelta99"));
        QCOMPARE(err.text, QStringLiteral("Falha."));
        QCOMPARE(err.icon, MessageIcon::Error);
        QCOMPARE(err.buttons, MessageButtons::Ok);
    }

    void lineBreaksStayAsLfCrInTheRecordedText()
    {
        MessageRecorder rec;
        const QString text = QStringLiteral("CPF já utilizado pelo bolsista\n\rMARIA DA SILVA\n\r");
        showMessage(text);
        QCOMPARE(rec.last().text, text);
        QCOMPARE(displayText(text), QStringLiteral("CPF já utilizado pelo bolsista\nMARIA DA SILVA\n"));
        // A lone CR or LF, or the pair in the other order, is not a line break pair.
        QCOMPARE(displayText(QStringLiteral("a\r\nb")), QStringLiteral("a\r\nb"));
    }

    void confirmAsksYesNoWithNoAsDefault()
    {
        MessageRecorder rec;
        rec.answer(Answer::Yes);
        QVERIFY(confirm(QStringLiteral("Tem certeza que deseja excluir ?")));
        QVERIFY(!confirm(QStringLiteral("De novo ?"))); // script used up: the default button
        rec.answer(Answer::No);
        QVERIFY(!confirm(QStringLiteral("E agora ?")));
        QCOMPARE(rec.count(), 3);
        const Message m = rec.messages().first();
        QCOMPARE(m.caption, QStringLiteral("Atenção"));
        QCOMPARE(m.buttons, MessageButtons::YesNo);
        QCOMPARE(m.icon, MessageIcon::Question);
        QCOMPARE(m.defaultButton, Answer::No);
    }

    void recordersNestAndRestoreThePreviousSink()
    {
        MessageRecorder outer;
        {
            MessageRecorder inner;
            showMessage(QStringLiteral("dentro"));
            QCOMPARE(inner.count(), 1);
        }
        showMessage(QStringLiteral("fora"));
        QCOMPARE(outer.texts(), QStringList{QStringLiteral("fora")});
    }

    void realBoxShowsOneLineBreakPerPairAsPlainText()
    {
        ModalDriver modals;
        QString text;
        Qt::TextFormat format = Qt::AutoText;
        QString title;
        QMessageBox::Icon icon = QMessageBox::Warning;
        modals.expect([&](QDialog* d) {
            auto* box = qobject_cast<QMessageBox*>(d);
            if (box) {
                text = box->text();
                format = box->textFormat();
                title = box->windowTitle();
                icon = box->icon();
            }
            d->accept();
        });
        showError(QStringLiteral("<b>Arquivo</b>\n\rdanificado"));
        QCOMPARE(modals.shown(), QStringList{QStringLiteral("QMessageBox")});
        QCOMPARE(text, QStringLiteral("<b>Arquivo</b>\ndanificado."));
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(title, QStringLiteral("zelta99"));
        QCOMPARE(icon, QMessageBox::Critical);
    }

    void realYesNoBoxDefaultsToNoAndReturnsTheButtonClicked()
    {
        ModalDriver modals;
        bool noIsDefault = false;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        modals.expect([&](QDialog* d) {
            auto* box = qobject_cast<QMessageBox*>(d);
            if (box) {
                noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
                icon = box->icon();
                box->button(QMessageBox::Yes)->click();
            }
        });
        QVERIFY(confirm(QStringLiteral("Excluir ?")));
        QVERIFY(noIsDefault);
        QCOMPARE(icon, QMessageBox::Question);

        // A box closed without a button counts as No.
        QVERIFY(!confirm(QStringLiteral("Excluir ?")));
        QCOMPARE(modals.unexpected(), 1);
    }

    void qtsOwnButtonsSpeakPortuguese()
    {
        QVERIFY2(installQtTranslation(*QCoreApplication::instance()), "qtbase_pt_BR.qm (qt6-translations-l10n) is missing");
        ModalDriver modals;
        QStringList buttons;
        modals.expect([&](QDialog* d) {
            if (auto* box = qobject_cast<QMessageBox*>(d))
                buttons << box->button(QMessageBox::Yes)->text().remove(u'&')
                        << box->button(QMessageBox::No)->text().remove(u'&');
        });
        confirm(QStringLiteral("Excluir ?"));
        QCOMPARE(buttons, (QStringList{QStringLiteral("Sim"), QStringLiteral("Não")}));
        // The program's own texts stay as they are.
        MessageRecorder recorder;
        confirm(QStringLiteral("Excluir ?"));
        QCOMPARE(recorder.last().caption, QStringLiteral("Atenção"));
    }

    void detailsOfAFailureWaitBehindTheDetalhesButton()
    {
        QVERIFY(installQtTranslation(*QCoreApplication::instance()));
        const QString engine = QStringLiteral("*** in database main ***\nPage 7: btreeInitPage() returns error code 11");
        const auto fail = [&] { throw plat::Error::damaged(QStringLiteral("O arquivo de dados está danificado"), engine); };
        {
            MessageRecorder rec;
            runGuarded(fail);
            QCOMPARE(rec.last().text, QStringLiteral("O arquivo de dados está danificado."));
            QCOMPARE(rec.last().details, engine);
        }
        ModalDriver modals;
        QString text, hidden, shown;
        QStringList labels;
        bool hiddenAtFirst = false, visibleAfterClick = false;
        modals.expect([&](QDialog* d) {
            auto* box = qobject_cast<QMessageBox*>(d);
            QVERIFY(box);
            text = box->text();
            hidden = box->detailedText();
            QAbstractButton* details = nullptr;
            for (QAbstractButton* b : box->findChildren<QAbstractButton*>())
                if (b->isVisible() && b->text() == QStringLiteral("Detalhes"))
                    details = b;
            QVERIFY(details);
            auto* edit = box->findChild<QTextEdit*>();
            hiddenAtFirst = edit && !edit->isVisible();
            details->click();
            labels << details->text();
            visibleAfterClick = edit && edit->isVisible() && edit->toPlainText() == engine;
            details->click();
            labels << details->text();
            d->accept();
        });
        runGuarded(fail);
        QCOMPARE(text, QStringLiteral("O arquivo de dados está danificado."));
        QCOMPARE(hidden, engine);
        QVERIFY(hiddenAtFirst);
        QVERIFY(visibleAfterClick);
        QCOMPARE(labels, (QStringList{QStringLiteral("Detalhes"), QStringLiteral("Detalhes")}));
        // A failure without details has no such button.
        modals.expect([&](QDialog* d) {
            labels.clear();
            for (QAbstractButton* b : qobject_cast<QMessageBox*>(d)->buttons())
                labels << b->text();
            d->accept();
        });
        showError(QStringLiteral("Falha"));
        QCOMPARE(labels, QStringList{QStringLiteral("OK")});
    }

    void guardTurnsFailuresIntoTheErrorReport_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("table engine") << 0 << QStringLiteral("O arquivo ZELTABOL está bloqueado.");
        QTest::newRow("run-time") << 1 << QStringLiteral("'12a' não é um número inteiro válido.");
        QTest::newRow("unknown") << 2 << QStringLiteral("Erro inesperado.");
    }
    void guardTurnsFailuresIntoTheErrorReport()
    {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        MessageRecorder rec;
        bool after = false;
        const bool ok = runGuarded([&] {
            if (kind == 0)
                throw plat::Error::database(QStringLiteral("O arquivo ZELTABOL está bloqueado"));
            if (kind == 1)
                throw std::invalid_argument(QStringLiteral("'12a' não é um número inteiro válido").toStdString());
            throw 42;
            after = true;
        });
        QVERIFY(!ok);
        QVERIFY(!after);
        QCOMPARE(rec.count(), 1);
        QCOMPARE(rec.last().kind, MessageKind::Error);
        QCOMPARE(rec.last().text, shown);
    }

    void guardLetsASuccessfulHandlerPassSilently()
    {
        MessageRecorder rec;
        int ran = 0;
        QVERIFY(runGuarded([&] { ++ran; }));
        QCOMPARE(ran, 1);
        QCOMPARE(rec.count(), 0);
    }

    void guardedSlotReportsAndTheProgramGoesOn()
    {
        MessageRecorder rec;
        Handlers h;
        QPushButton button;
        button.setCheckable(true);
        QObject::connect(&button, &QPushButton::clicked, &h, guarded(&h, &Handlers::throwDb));
        button.click();
        button.click();
        QCOMPARE(h.calls, 2);
        QVERIFY(!h.lastChecked); // the signal's argument reached the handler
        QCOMPARE(rec.texts(), (QStringList{QStringLiteral("Tabela bloqueada por outro programa."),
                                           QStringLiteral("Tabela bloqueada por outro programa.")}));
    }

    void busyCursorComesBackOnEveryPath()
    {
        QVERIFY(!QGuiApplication::overrideCursor());
        {
            BusyCursor busy;
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            {
                BusyCursor nested;
            }
            QVERIFY(QGuiApplication::overrideCursor());
            busy.restore();
            QVERIFY(!QGuiApplication::overrideCursor());
        }
        QVERIFY(!QGuiApplication::overrideCursor());
        try {
            BusyCursor busy;
            throw std::runtime_error("x");
        } catch (const std::exception&) {
        }
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void errorReportShowsAfterTheBusyCursorIsRestored()
    {
        bool busyWhileShown = true;
        MessageSink previous = setMessageSink([&](const Message&) {
            busyWhileShown = QGuiApplication::overrideCursor() != nullptr;
            return Answer::Ok;
        });
        Handlers h;
        runGuarded([&] { h.throwWithBusyCursor(); });
        setMessageSink(previous);
        QVERIFY(!busyWhileShown);
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

QTEST_MAIN(TestUiMessages)
#include "test_ui_messages.moc"

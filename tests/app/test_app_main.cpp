// The main window: start-up, menus and toolbar, the first activation, the
// about box, and start-up on data that cannot be used.
#include "app/windows/TFrm_Copias.h"
#include "app/windows/TFrm_Sobre.h"
#include "app/windows/TZelta.h"
#include "data/RegisterCopies.h"
#include "data/TDm_Dados.h"
#include "app/windows/Sessao.h"
#include "platform/system/Error.h"
#include "platform/ui/Help.h"
#include "platform/ui/HelpViewer.h"
#include "support/SourceTree.h"
#include "support/TestHooks.h"
#include "support/TestData.h"
#include "db/RegisterFiles.h"
#include "platform/db/Table.h"
#include "validation/TVlCpfCgc.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <unistd.h>

using namespace zelta;
using plat::ui::MessageKind;
using plat::ui::MessageRecorder;
using plat::ui::ModalDriver;
using zelta::test::TestData;
using zelta::test::makeCpf;
using Command = TZelta::Command;

namespace {

const QString kSep = QStringLiteral("----");

QStringList entries(const QMenu* menu)
{
    QStringList out;
    for (const QAction* a : menu->actions())
        out << (a->isSeparator() ? kSep : a->text());
    return out;
}

QString labelText(const QWidget* w, const char* name)
{
    const auto* l = w->findChild<QLabel*>(QString::fromLatin1(name));
    return l ? l->text() : QStringLiteral("<sem rótulo>");
}

// Shows the main window and waits for its first activation to finish.
bool startUp(TZelta& zelta)
{
    zelta.show();
    if (!QTest::qWaitForWindowActive(&zelta))
        return false;
    return QTest::qWaitFor([&] { return zelta.activationDone(); }, 5000);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestAppMain : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("zelta99")); }

    void startShowsTheInstitutionWithoutOfferingRecovery()
    {
        TestData d;
        d.setInstitution(QStringLiteral("123456789"), QStringLiteral("UFPX"),
                         QStringLiteral("UNIVERSIDADE FEDERAL DO PLANALTO <X>"), 10);
        d.addHolder(QStringLiteral("ANA PAULA MOREIRA"), makeCpf(123456789));
        MessageRecorder rec;
        TZelta zelta;
        int recoveries = 0;
        zelta.setLauncher(Command::Recuperar, [&](Sessao&, QWidget*) { ++recoveries; });
        zelta.setDataModule(&d.dm());
        QVERIFY(labelText(&zelta, "Label_Sigla").isEmpty());
        QVERIFY(startUp(zelta));

        QCOMPARE(zelta.Label_Sigla->text(), QStringLiteral("UFPX"));
        QCOMPARE(zelta.Label_Instituicao->text(), QStringLiteral("UNIVERSIDADE FEDERAL DO PLANALTO <X>"));
        QCOMPARE(zelta.Label_Instituicao->textFormat(), Qt::PlainText);
        QCOMPARE(recoveries, 0);
        QCOMPARE(rec.count(), 0);
        QVERIFY(!d.dm().Tb_Bolsistas->isOpen());
        QVERIFY(!d.dm().Tb_Instituicao->isOpen());
    }

    void emptyHolderTableOffersRecoveryBeforeTheLabelsAreFilled()
    {
        TestData d;
        TZelta zelta;
        zelta.setDataModule(&d.dm());
        int recoveries = 0;
        zelta.setLauncher(Command::Recuperar, [&](Sessao& sessao, QWidget*) {
            ++recoveries;
            QVERIFY(sessao.Dm_Dados == &d.dm());
            // What the recovery does: it writes the institution and may leave
            // the advisor cursor open.
            d.setInstitution(QStringLiteral("987654321"), QStringLiteral("IPQ"), QStringLiteral("INSTITUTO DE PESQUISA"), 4);
            sessao.Dm_Dados->Tb_Orientador->open();
        });
        QVERIFY(startUp(zelta));
        QCOMPARE(recoveries, 1);
        QCOMPARE(zelta.Label_Sigla->text(), QStringLiteral("IPQ"));
        QCOMPARE(zelta.Label_Instituicao->text(), QStringLiteral("INSTITUTO DE PESQUISA"));
        QVERIFY(!d.dm().Tb_Bolsistas->isOpen());
        QVERIFY(!d.dm().Tb_Orientador->isOpen());
    }

    void activationRunsOnceWhateverWindowsCloseLater()
    {
        TestData d;
        d.setInstitution(QStringLiteral("1"), QStringLiteral("ANTES"), QStringLiteral("NOME ANTES"), 1);
        TZelta zelta;
        zelta.setDataModule(&d.dm());
        int recoveries = 0;
        zelta.setLauncher(Command::Recuperar, [&](Sessao&, QWidget*) { ++recoveries; });
        QVERIFY(startUp(zelta));
        QCOMPARE(recoveries, 1);

        d.setInstitution(QStringLiteral("2"), QStringLiteral("DEPOIS"), QStringLiteral("NOME DEPOIS"), 1);
        ModalDriver modals;
        bool aboutActive = false;
        modals.expect([&](QDialog* dlg) {
            aboutActive = QTest::qWaitForWindowActive(dlg);
            dlg->accept();
        });
        zelta.findChild<QAction*>(QStringLiteral("Sobre"))->trigger();
        QVERIFY(QTest::qWaitForWindowActive(&zelta));
        QCoreApplication::processEvents(); // what the activation queued runs
        zelta.FormActivate();

        QCOMPARE(modals.shown(), QStringList{QStringLiteral("zelta::TFrm_Sobre")});
        QVERIFY(aboutActive);
        QCOMPARE(recoveries, 1);
        QCOMPARE(zelta.Label_Sigla->text(), QStringLiteral("ANTES"));
    }

    void menusCarryTheExactEntries()
    {
        TZelta zelta;
        QCOMPARE(zelta.windowTitle(), QStringLiteral("Zelta 99"));
        const QList<QAction*> top = zelta.menuBar()->actions();
        QCOMPARE(top.size(), 2);
        QCOMPARE(top.at(0)->text(), QStringLiteral("&Arquivo"));
        QCOMPARE(top.at(1)->text(), QStringLiteral("Aj&uda"));
        QCOMPARE(entries(top.at(0)->menu()),
                 (QStringList{QStringLiteral("Cadastro de Orientadores"), QStringLiteral("Cadastro de Bolsistas"), kSep,
                              QStringLiteral("Verificação do Preenchimento"), QStringLiteral("Gera Disquete para o Orvu"), kSep,
                              QStringLiteral("Recuperar dados do Zelta 1999"), QStringLiteral("&Importar Planilha..."),
                              QStringLiteral("Cópias de Segurança..."), kSep, QStringLiteral("Imprime Relatórios de Conferência"),
                              QStringLiteral("&Sair")}));
        QCOMPARE(entries(top.at(1)->menu()),
                 (QStringList{QStringLiteral("&Apresentação"), QStringLiteral("&Dicas e Procedimentos"), kSep,
                              QStringLiteral("&Sobre")}));
    }

    void copiesWindowTakesAndRestoresACopy()
    {
        TestData d;
        d.setInstitution(QStringLiteral("123456789"), QStringLiteral("ANTES"), QStringLiteral("INSTITUICAO ANTES"), 10);
        d.addHolder(QStringLiteral("BOLSISTA UM"), makeCpf(111));
        TZelta zelta;
        zelta.setDataModule(&d.dm());
        QVERIFY(startUp(zelta));
        QVERIFY(zelta.commandAction(Command::Copias)->isEnabled());

        ModalDriver modals;
        MessageRecorder rec;
        QString made;
        modals.expect([&](QDialog* dlg) {
            auto* copias = qobject_cast<TFrm_Copias*>(dlg);
            QVERIFY(copias);
            QCOMPARE(copias->GridCopias->rowCount(), 0);
            QVERIFY(!copias->BitBtnRestaurar->isEnabled());
            copias->BitBtnCopia->click();
            QCOMPARE(copias->GridCopias->rowCount(), 1);
            QCOMPARE(copias->GridCopias->item(0, 1)->text(), QStringLiteral("pelo usuário"));
            QCOMPARE(copias->GridCopias->item(0, 2)->text(), QStringLiteral("ANTES - INSTITUICAO ANTES"));
            QCOMPARE(copias->GridCopias->item(0, 3)->text(), QStringLiteral("1"));
            made = copias->copies().first().path;
            copias->BitBtnSair->click();
        });
        zelta.CopiasSegurancaClick();
        QCOMPARE(rec.last().text, QStringLiteral("Cópia de segurança gravada em %1.").arg(QDir::toNativeSeparators(made)));

        d.setInstitution(QStringLiteral("987654321"), QStringLiteral("DEPOIS"), QStringLiteral("INSTITUICAO DEPOIS"), 10);
        d.db().exec(QStringLiteral("DELETE FROM ZELTABOL"));
        zelta.refreshInstitution();
        QCOMPARE(zelta.Label_Sigla->text(), QStringLiteral("DEPOIS"));
        modals.expect([&](QDialog* dlg) {
            auto* copias = qobject_cast<TFrm_Copias*>(dlg);
            copias->GridCopias->selectRow(0);
            rec.answer(plat::ui::Answer::No);
            copias->BitBtnRestaurar->click(); // not confirmed: nothing happens
            QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 0);
            rec.answer(plat::ui::Answer::Yes);
            copias->BitBtnRestaurar->click();
            QCOMPARE(copias->GridCopias->rowCount(), 2); // the replaced data was kept
            copias->BitBtnSair->click();
        });
        zelta.CopiasSegurancaClick();
        QVERIFY2(rec.last().text.startsWith(QStringLiteral("Dados restaurados da cópia de ")), qPrintable(rec.last().text));
        QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 1);
        QCOMPARE(zelta.Label_Sigla->text(), QStringLiteral("ANTES"));
        QCOMPARE(modals.unexpected(), 0);
    }

    void copiesWindowShowsWhyAndOffersTheNewestSoundCopy()
    {
        TestData d;
        d.addHolder(QStringLiteral("BOLSISTA UM"), makeCpf(111));
        RegisterCopies::take(d.db(), d.dir(), QDateTime(QDate(2026, 1, 1), QTime(1, 0)), true, zelta::CopyReason::User);
        d.addHolder(QStringLiteral("BOLSISTA DOIS"), makeCpf(222));
        const QString newer = RegisterCopies::take(d.db(), d.dir(), QDateTime(QDate(2026, 1, 2), QTime(1, 0)), true,
                                                   zelta::CopyReason::BeforeRestore)
                                  .path;
        QFile cut(newer);
        QVERIFY(cut.resize(cut.size() / 2)); // the newest copy no longer passes the full check

        Sessao sessao;
        sessao.Dm_Dados = &d.dm();
        TFrm_Copias copias(sessao);
        copias.create();
        QCOMPARE(copias.GridCopias->rowCount(), 2);
        QCOMPARE(copias.GridCopias->item(0, 1)->text(), QStringLiteral("antes de restaurar"));
        QCOMPARE(copias.GridCopias->item(1, 1)->text(), QStringLiteral("pelo usuário"));
        QVERIFY(!copias.copies()[0].sound && copias.copies()[1].sound);
        QCOMPARE(copias.GridCopias->currentRow(), 1);
        // The copy to restore is marked, in bold; the damaged one says so.
        QCOMPARE(copias.GridCopias->horizontalHeaderItem(5)->text(), QStringLiteral("Verificação"));
        QCOMPARE(copias.GridCopias->item(1, 5)->text(), QStringLiteral("✓ mais recente sã"));
        QCOMPARE(copias.GridCopias->item(0, 5)->text(), QStringLiteral("ilegível"));
        for (int col = 0; col < copias.GridCopias->columnCount(); ++col) {
            QVERIFY(copias.GridCopias->item(1, col)->font().bold());
            QVERIFY(!copias.GridCopias->item(0, col)->font().bold());
        }
        QCOMPARE(copias.GridCopias->item(1, 0)->text(), QStringLiteral("01/01/2026 01:00:00"));
    }

    void damagedIndexIsFoundAtStartWithoutVerifying()
    {
        // A holder's name changed in the index pages only, a copy kept before:
        // the quick check at the open passes, a covering read shows the damage.
        TestData d;
        zelta::test::fill(d, 40);
        const QString name = QStringLiteral("JOÃO PEDRO ANDRADE LUZ");
        d.addHolder(name, makeCpf(4242));
        RegisterCopies::take(d.db(), d.dir(), QDateTime::currentDateTime().addSecs(-60), true, zelta::CopyReason::User);
        const QString file = zelta::test::closedRegister(d);
        zelta::test::changeStored(file, QStringLiteral("ANDRADE LUZ"), 8, QChar(0xff), 0x0a, zelta::test::kEvery);
        const auto names = [&] {
            QStringList out;
            plat::db::Statement st = d.db().prepare(
                QStringLiteral("SELECT Nome FROM ZELTABOL INDEXED BY ZELTABOL_Nome_CPF ORDER BY ORD_NOME"));
            while (st.step())
                out << st.text(0);
            return out;
        };
        QVERIFY(!names().contains(name));
        QVERIFY(d.db().checkIntegrity(true).isEmpty());
        d.db().close();

        MessageRecorder rec;
        TZelta zelta;
        zelta.setDataModule(&d.dm());
        zelta.setBackgroundCheckRows(10);
        QVERIFY(startUp(zelta));
        // The check reports by itself, the user told at once of the repair,
        // with nothing asked of them.
        QTRY_VERIFY_WITH_TIMEOUT(!d.dm().startCheckRunning(), 10000);
        QCOMPARE(rec.count(), 1);
        QVERIFY2(rec.last().text.contains(QStringLiteral("foram refeitos")), qPrintable(rec.last().text));
        const QStringList after = names();
        QVERIFY(after.contains(name));
        QCOMPARE(after.size(), 41);
        QVERIFY(d.db().checkIntegrity(false).isEmpty());
    }

    void writesWaitForTheStartCheckAndARefusedRegisterTakesNone()
    {
        TestData d;
        zelta::test::fill(d, 30);
        const QString file = zelta::test::closedRegister(d);
        // Index entries that neither another index nor a copy can settle.
        zelta::test::changeStored(file, QStringLiteral("BOLSISTA 00003"), 13, u'8', 0x0d, 0);
        QVERIFY(d.db().checkIntegrity(true).isEmpty());

        MessageRecorder rec;
        TZelta zelta;
        zelta.setDataModule(&d.dm());
        zelta.setBackgroundCheckRows(10);
        QVERIFY(startUp(zelta));
        QVERIFY(d.dm().startCheckRunning());
        // A write started before the check reported waits for it, and the
        // refusal stops it; later writes are refused the same way.
        plat::db::Table& bol = *d.dm().Tb_Bolsistas;
        bol.open();
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                bol.edit();
                QFAIL("a write went into a register the check refused");
            } catch (const plat::Error& e) {
                QCOMPARE(e.kind(), plat::Error::Kind::Damaged);
                QVERIFY(!d.dm().startCheckRunning());
                // The user's words first; the engine's lines only in the details.
                QVERIFY2(!e.message().contains(QStringLiteral(" index ")), qPrintable(e.message()));
                QVERIFY2(e.details().contains(QStringLiteral("index")), qPrintable(e.details()));
            }
        }
        QCOMPARE(bol.state(), plat::db::Table::State::Browse);
        bol.close();
        QCoreApplication::processEvents(); // the finished check's report, had it posted one
        QCOMPARE(rec.count(), 0);          // thrown to the write, not told twice
    }

    void toolbarHasSixButtonsWithTheirHints()
    {
        TZelta zelta;
        auto* bar = zelta.findChild<QToolBar*>(QStringLiteral("ToolBar"));
        QVERIFY(bar);
        QStringList hints;
        for (QAction* a : bar->actions()) {
            hints << a->toolTip();
            QVERIFY(!a->icon().isNull());
        }
        QCOMPARE(hints, (QStringList{QStringLiteral("Cadastro de Orientadores"), QStringLiteral("Cadastro de Bolsistas"),
                                     QStringLiteral("Verificação do Preenchimento"), QStringLiteral("Gera Disquete para o Orvu"),
                                     QStringLiteral("Imprime Relatórios de Conferência"), QStringLiteral("Sair")}));
    }

    void commandsStayDisabledUntilAWindowIsRegistered()
    {
        TZelta zelta;
        auto* bar = zelta.findChild<QToolBar*>(QStringLiteral("ToolBar"));
        // The main window registers a window for every command it offers.
        for (Command c : {Command::Orientadores, Command::Bolsistas, Command::Verificacao, Command::GeraDisquete,
                          Command::Recuperar, Command::Relatorios})
            QVERIFY(zelta.commandAction(c)->isEnabled());
        for (const char* name : {"Sair", "Apresentacao", "DicasProcedimentos", "Sobre"})
            QVERIFY2(zelta.findChild<QAction*>(QString::fromLatin1(name))->isEnabled(), name);

        QAction* orientadores = zelta.commandAction(Command::Orientadores);
        zelta.setLauncher(Command::Orientadores, {});
        QVERIFY(!orientadores->isEnabled());
        QWidget* button = bar->widgetForAction(orientadores);
        QVERIFY(button && !button->isEnabled());
        orientadores->trigger(); // a disabled entry does nothing
        int opened = 0;
        zelta.setLauncher(Command::Orientadores, [&](Sessao&, QWidget* parent) {
            QCOMPARE(parent, static_cast<QWidget*>(&zelta));
            ++opened;
        });
        QVERIFY(orientadores->isEnabled());
        QVERIFY(button->isEnabled());
        static_cast<QToolButton*>(button)->click();
        orientadores->trigger();
        QCOMPARE(opened, 2);
        zelta.setLauncher(Command::Orientadores, {});
        QVERIFY(!orientadores->isEnabled());
    }

    void launcherFailureIsReportedAndTheWindowGoesOn()
    {
        TZelta zelta;
        MessageRecorder rec;
        zelta.setLauncher(Command::Bolsistas,
                          [](Sessao&, QWidget*) { throw plat::Error::database(QStringLiteral("Registro bloqueado")); });
        zelta.commandAction(Command::Bolsistas)->trigger();
        QCOMPARE(rec.count(), 1);
        QCOMPARE(rec.last().kind, MessageKind::Error);
        QCOMPARE(rec.last().text, QStringLiteral("Registro bloqueado."));
    }

    void onlySairClosesTheWindow()
    {
        TestData d;
        d.addHolder(QStringLiteral("ANA"), makeCpf(1));
        TZelta zelta;
        zelta.setDataModule(&d.dm());
        QVERIFY(startUp(zelta));
        const Qt::WindowFlags flags = zelta.windowFlags();
        QVERIFY(!(flags & Qt::WindowCloseButtonHint));
        QVERIFY(!(flags & Qt::WindowSystemMenuHint));
        QVERIFY(!(flags & Qt::WindowMinMaxButtonsHint));

        QVERIFY(!zelta.close());
        QVERIFY(zelta.isVisible());
        zelta.findChild<QAction*>(QStringLiteral("Sair"))->trigger();
        QVERIFY(!zelta.isVisible());
    }

    void validatorStartsInItsStoredState()
    {
        TZelta zelta;
        QVERIFY(zelta.VerificarCpfCgc);
        QCOMPARE(zelta.VerificarCpfCgc->parent(), &zelta);
        QCOMPARE(zelta.sessao().VerificarCpfCgc, zelta.VerificarCpfCgc);
        QCOMPARE(zelta.VerificarCpfCgc->Return(), QStringLiteral("../-"));
        QCOMPARE(zelta.VerificarCpfCgc->Mode(), TVlCpfCgc::moCGC);
        QVERIFY(!zelta.VerificarCpfCgc->Valid());
    }

    void aboutBoxShowsItsTextsAndClosesOnlyWithOk()
    {
        TZelta zelta;
        ModalDriver modals;
        QStringList texts;
        int namePixels = 0;
        bool nameBold = false;
        QColor nameColor;
        bool sunken = false;
        bool escapeKeptItOpen = false;
        bool active = false;
        Qt::WindowFlags flags;
        QString title;
        QPointer<QDialog> box;
        modals.expect([&](QDialog* dlg) {
            box = dlg;
            title = dlg->windowTitle();
            flags = dlg->windowFlags();
            for (const char* n :
                 {"Label_Nome", "Label_Versao", "Label_Desenvolvido", "Label_Suporte", "Label_Fone1", "Label_Fone2"})
                texts << labelText(dlg, n);
            if (auto* name = dlg->findChild<QLabel*>(QStringLiteral("Label_Nome"))) {
                namePixels = name->font().pixelSize();
                nameBold = name->font().bold();
                nameColor = name->palette().color(QPalette::WindowText);
            }
            if (auto* panel = dlg->findChild<QFrame*>(QStringLiteral("Panel1")))
                sunken = panel->frameShadow() == QFrame::Sunken;
            active = QTest::qWaitForWindowActive(dlg);
            QTest::keyClick(dlg, Qt::Key_Escape);
            escapeKeptItOpen = dlg->isVisible();
            if (auto* ok = dlg->findChild<QPushButton*>(QStringLiteral("BitBtn1")))
                ok->click();
        });
        zelta.SobreClick();

        QCOMPARE(title, QStringLiteral("Sobre"));
        QCOMPARE(texts.mid(0, 3),
                 (QStringList{QStringLiteral("ZELTA 99"), QStringLiteral("Versão 1.0"), QStringLiteral("Desenvolvido por :")}));
        QVERIFY(!texts.at(3).isEmpty() && !texts.at(4).isEmpty() && !texts.at(5).isEmpty());
        QCOMPARE(namePixels, 32);
        QVERIFY(nameBold);
        QCOMPARE(nameColor, QColor(0, 0, 0x80));
        QVERIFY(sunken);
        QVERIFY(active);
        QVERIFY(escapeKeptItOpen);
        QVERIFY(!(flags & Qt::WindowCloseButtonHint));
        QVERIFY(!(flags & Qt::WindowSystemMenuHint));
        QCOMPARE(modals.unexpected(), 0);
        QVERIFY(box.isNull()); // the box is gone once the command ends
    }

    void helpMenuOpensTheGuideAtItsContentsAndAtTheTips()
    {
        plat::ui::setHelpFile(zelta::test::sourceDir() + QStringLiteral("/resources/zelta99.html"));
        TZelta zelta;
        ModalDriver modals;
        QStringList anchors;
        auto record = [&](QDialog* dlg) {
            if (auto* v = qobject_cast<plat::ui::HelpViewer*>(dlg))
                anchors << v->anchor();
            dlg->accept();
        };
        modals.expect(record);
        modals.expect(record);
        zelta.findChild<QAction*>(QStringLiteral("Apresentacao"))->trigger();
        zelta.findChild<QAction*>(QStringLiteral("DicasProcedimentos"))->trigger();
        QCOMPARE(anchors, (QStringList{QString(), QStringLiteral("topico12")}));
    }

    void emptyInstitutionTableLeavesTheLabelsEmpty()
    {
        TestData d;
        d.addHolder(QStringLiteral("ANA"), makeCpf(1));
        d.db().exec(QStringLiteral("DELETE FROM ZELTAINT"));
        MessageRecorder rec;
        TZelta zelta;
        zelta.setDataModule(&d.dm());
        QVERIFY(startUp(zelta));
        QCOMPARE(rec.count(), 0);
        QVERIFY(zelta.Label_Sigla->text().isEmpty());
        QVERIFY(zelta.Label_Instituicao->text().isEmpty());
    }

    void damagedDatabaseIsReportedAndLeftUntouched()
    {
        QTemporaryDir dir;
        {
            // A sound copy taken before the file was lost.
            TestData sound;
            sound.setInstitution(QStringLiteral("123456789"), QStringLiteral("COPIA"), QStringLiteral("DA COPIA"), 10);
            RegisterCopies::take(sound.db(), dir.path());
        }
        const QString file = QDir(dir.path()).filePath(QStringLiteral("zelta99.db"));
        QByteArray garbage;
        for (int i = 0; i < 8192; ++i)
            garbage.append(char((i * 37 + 11) % 251));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(garbage);
        }
        MessageRecorder rec;
        ModalDriver modals;
        TZelta zelta;
        int recoveries = 0;
        zelta.setLauncher(Command::Recuperar, [&](Sessao&, QWidget*) { ++recoveries; });
        TDm_Dados dados(dir.path());
        zelta.setDataModule(&dados);
        const auto detach = qScopeGuard([&] { zelta.setDataModule(nullptr); });
        QVERIFY(startUp(zelta));
        QVERIFY(zelta.isVisible());
        QCOMPARE(rec.count(), 1);
        QCOMPARE(rec.last().kind, MessageKind::Error);
        QCOMPARE(rec.last().caption, QStringLiteral("zelta99"));
        QVERIFY2(rec.last().text.contains(QStringLiteral("zelta99.db")), qPrintable(rec.last().text));
        QVERIFY2(rec.last().text.contains(QStringLiteral("zelta99 restaurar 1")), qPrintable(rec.last().text));
        QCOMPARE(recoveries, 0);
        QVERIFY(zelta.Label_Sigla->text().isEmpty());
        QVERIFY(zelta.Label_Instituicao->text().isEmpty());
        QCOMPARE(readAll(file), garbage);

        // The way out from the menu: the copy takes the file's place, whose
        // bytes are kept among the copies.
        modals.expect([&](QDialog* dlg) {
            auto* copias = qobject_cast<TFrm_Copias*>(dlg);
            QVERIFY(copias);
            copias->GridCopias->selectRow(0);
            rec.answer(plat::ui::Answer::Yes);
            copias->BitBtnRestaurar->click();
            copias->BitBtnSair->click();
        });
        zelta.CopiasSegurancaClick();
        QCOMPARE(modals.unexpected(), 0);
        QCOMPARE(zelta.Label_Sigla->text(), QStringLiteral("COPIA"));
        const QDir copies(RegisterCopies::folder(dir.path()));
        const QStringList kept = copies.entryList({QStringLiteral("*-danificado.db")});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(readAll(copies.filePath(kept.first())), garbage);
    }

    void readOnlyDataFolderIsReportedClearly()
    {
        if (geteuid() == 0)
            QSKIP("permission bits are not enforced for root");
        TestData d;
        d.addHolder(QStringLiteral("ANA"), makeCpf(1));
        const QString dir = d.dir();
        const QByteArray before = readAll(QDir(dir).filePath(QStringLiteral("zelta99.db")));
        const QFile::Permissions saved = QFile::permissions(dir);
        MessageRecorder rec;
        TZelta zelta;
        {
            TDm_Dados dados(dir);
            zelta.setDataModule(&dados);
            QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
            const bool started = startUp(zelta);
            QFile::setPermissions(dir, saved);
            zelta.setDataModule(nullptr);
            QVERIFY(started);
        }
        QCOMPARE(rec.count(), 1);
        QCOMPARE(rec.last().kind, MessageKind::Error);
        QVERIFY2(rec.last().text.contains(QStringLiteral("não permite gravação")), qPrintable(rec.last().text));
        QVERIFY(zelta.Label_Sigla->text().isEmpty());
        QCOMPARE(readAll(QDir(dir).filePath(QStringLiteral("zelta99.db"))), before);
    }
};

QTEST_MAIN(TestAppMain)
#include "test_app_main.moc"

// The generation window: drive choice, the pre-check message, the gauge, the
// end of the writing and its failures, and its command on the main window.
#include "app/windows/Sessao.h"
#include "app/windows/TZelta.h"
#include "app/windows/WindowCommands.h"
#include "exchange/SubmissionFormat.h"
#include "exchange/windows/TFrm_Gerar.h"
#include "validation/windows/PendenciasView.h"
#include "platform/system/Settings.h"
#include "support/TestHooks.h"
#include "support/SubmissionFile.h"
#include "support/TestData.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QScopeGuard>
#include <QSettings>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace zelta;
using plat::ui::MessageButtons;
using plat::ui::MessageIcon;
using plat::ui::MessageKind;
using plat::ui::MessageRecorder;
using plat::ui::ModalDriver;
using zelta::test::makeCpf;
using zelta::test::TestData;

namespace {

QStringList filesIn(const QString& dir) { return QDir(dir).entryList(QDir::Files | QDir::Hidden); }

// A register that passes the pre-check: n advisors, each with one new holder.
void fill(TestData& data, int holders)
{
    data.setInstitution(QStringLiteral("123456789"), QStringLiteral("UFX"), QStringLiteral("UNIVERSIDADE"), 100);
    for (int n = 1; n <= holders; ++n) {
        const QString cpf = makeCpf(100000000 + n);
        const qint64 codigo = data.addAdvisor(cpf, QStringLiteral("ORIENTADOR %1").arg(n));
        data.addHolder(QStringLiteral("BOLSISTA %1").arg(n), makeCpf(200000000 + n), QStringLiteral("Novo"), cpf, codigo);
    }
}

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

} // namespace

class TestGerarWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_driveA;
    QString m_driveB;

    // Drive A: and B: as folders of the test; a drive given as empty is left
    // unconfigured, a name that is not created stays absent.
    void setDrives(bool a, bool b)
    {
        qputenv("ZELTA_DRIVE_A", (a ? m_driveA : m_root.filePath(QStringLiteral("sem_a"))).toLocal8Bit());
        if (b)
            qputenv("ZELTA_DRIVE_B", m_driveB.toLocal8Bit());
        else
            qunsetenv("ZELTA_DRIVE_B");
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("zelta99"));
        plat::sys::Settings::instance().setConfigFile(m_root.filePath(QStringLiteral("nenhum.ini")));
        m_driveA = m_root.filePath(QStringLiteral("a"));
        m_driveB = m_root.filePath(QStringLiteral("b"));
    }

    // Whatever the window wrote decodes as the agency reads it.
    void cleanup() { zelta::test::checkSubmissionFolder(m_root.path()); }

    void init()
    {
        plat::sys::Settings::instance().clearDriveChoices();
        QFile::remove(plat::sys::Settings::instance().configFile());
        QDir(m_driveA).removeRecursively();
        QDir(m_driveB).removeRecursively();
        QDir().mkpath(m_driveA);
        QDir().mkpath(m_driveB);
    }

    void driveChoice_data()
    {
        QTest::addColumn<bool>("a");
        QTest::addColumn<bool>("b");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("A only") << true << false << QStringLiteral("Drive disponível") << QStringList{QStringLiteral("A:")};
        QTest::newRow("A and B") << true << true << QStringLiteral("Selecione o drive onde deseja gerar o arquivo")
                                 << QStringList{QStringLiteral("A:"), QStringLiteral("B:")};
        QTest::newRow("B only") << false << true << QStringLiteral("Selecione o drive onde deseja gerar o arquivo")
                                << QStringList{QStringLiteral("A:"), QStringLiteral("B:")};
    }
    void driveChoice()
    {
        QFETCH(bool, a);
        QFETCH(bool, b);
        QFETCH(QString, caption);
        QFETCH(QStringList, items);
        setDrives(a, b);
        TestData data;
        Sessao sessao;
        sessao.Dm_Dados = &data.dm();
        MessageRecorder messages;
        TFrm_Gerar form(sessao);
        form.create();
        QCOMPARE(form.BtnPasta->text(), QStringLiteral("Escolher pasta..."));
        QCOMPARE(messages.count(), 0);
        QCOMPARE(form.windowTitle(), QStringLiteral("Gerar disquete para o Orvu"));
        QCOMPARE(form.RadioGroup1->title(), caption);
        QStringList shown;
        for (QRadioButton* r : form.RadioGroup1->findChildren<QRadioButton*>())
            shown << r->text();
        QCOMPARE(shown, items);
        QCOMPARE(static_cast<QGridLayout*>(form.RadioGroup1->layout())->columnCount(), int(items.size()));
        QVERIFY(form.RadioA->isChecked());
        QCOMPARE(form.selectedDrive(), QChar(u'A'));

        // The folder behind the chosen drive is shown, and follows the choice.
        QVERIFY(form.Label_Pasta->text().contains(
            QDir::toNativeSeparators(m_root.filePath(a ? QStringLiteral("a") : QStringLiteral("sem_a")))));
        QCOMPARE(form.Label_Pasta->text().contains(QStringLiteral("não encontrada")), !a);
        if (form.RadioB) {
            QCOMPARE(form.RadioB->toolTip(), QDir::toNativeSeparators(m_driveB));
            form.RadioB->click();
            QCOMPARE(form.selectedDrive(), QChar(u'B'));
            QCOMPARE(form.Label_Pasta->text(), QStringLiteral("Drive B: pasta %1").arg(QDir::toNativeSeparators(m_driveB)));
        }
    }

    // Building the window asks nothing of the drives; its creation, when it
    // is shown, does.
    void creationRunsAfterConstruction()
    {
        setDrives(false, false);
        TestData data;
        Sessao sessao;
        sessao.Dm_Dados = &data.dm();
        MessageRecorder messages;
        TFrm_Gerar form(sessao);
        QCOMPARE(messages.count(), 0);
        QVERIFY(!form.RadioA);
        form.create();
        QCOMPARE(messages.count(), 1);
        QVERIFY(form.RadioA);
    }

    void noDriveTellsThenOffersAnotherFolderWhichIsKept()
    {
        setDrives(false, false);
        const QString missing = m_root.filePath(QStringLiteral("sem_a"));
        const QString stick = m_root.filePath(QStringLiteral("pendrive"));
        QDir().mkpath(stick);
        TestData data;
        fill(data, 1);
        Sessao sessao;
        sessao.Dm_Dados = &data.dm();
        MessageRecorder messages;
        ModalDriver modal;
        QString shownBefore;
        QString shownAfter;
        QString openedIn;
        bool focusOnChoice = false;
        modal.expect([&](QDialog* d) {
            auto* form = static_cast<TFrm_Gerar*>(d);
            shownBefore = form->Label_Pasta->text();
            focusOnChoice = form->focusWidget() == form->BtnPasta;
            ModalDriver folders;
            folders.expect([&](QDialog* fd) {
                auto* dialog = qobject_cast<QFileDialog*>(fd);
                QVERIFY(dialog && dialog->fileMode() == QFileDialog::Directory);
                openedIn = dialog->directory().absolutePath();
                dialog->setDirectory(stick);
                static_cast<QDialog*>(dialog)->accept(); // as its own Choose button does
            });
            form->BtnPasta->click();
            shownAfter = form->Label_Pasta->text();
            form->BitBtn3->click();
        });
        TFrm_Gerar::executar(sessao, nullptr);
        // The message first, unchanged; then the window with the missing folder.
        QCOMPARE(messages.messages().first().text,
                 QStringLiteral("Impossível gravar dados. Drive de disco flexível não disponível"));
        QCOMPARE(modal.shown(), QStringList{QStringLiteral("zelta::TFrm_Gerar")});
        QVERIFY(shownBefore.contains(QDir::toNativeSeparators(missing)));
        QVERIFY(shownBefore.contains(QStringLiteral("não encontrada")));
        QVERIFY(focusOnChoice);
        // The folder dialog opened in the nearest folder that exists.
        QCOMPARE(openedIn, QDir(m_root.path()).absolutePath());
        QCOMPARE(shownAfter, QStringLiteral("Drive A: pasta %1").arg(QDir::toNativeSeparators(stick)));
        QCOMPARE(messages.last().text, QStringLiteral("Gravação executada"));
        QCOMPARE(filesIn(stick), QStringList{QStringLiteral("12345678.htm")});

        // The choice is in the settings file, which the next run reads.
        plat::sys::Settings& settings = plat::sys::Settings::instance();
        QCOMPARE(QSettings(settings.configFile(), QSettings::IniFormat).value(QStringLiteral("Drives/A")).toString(), stick);
        settings.clearDriveChoices();
        qunsetenv("ZELTA_DRIVE_A");
        QCOMPARE(settings.driveDirectory(u'A'), stick);
        QDir(stick).removeRecursively();
    }

    void defaultDriveIsTheDocumentsFolderMadePrivate()
    {
        qunsetenv("ZELTA_DRIVE_A");
        qunsetenv("ZELTA_DRIVE_B");
        const QByteArray home = qgetenv("HOME");
        const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
        const QString newHome = m_root.filePath(QStringLiteral("casa"));
        QDir().mkpath(newHome + QStringLiteral("/.config"));
        QFile dirs(newHome + QStringLiteral("/.config/user-dirs.dirs"));
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/Documentos\"\n");
        dirs.close();
        qputenv("HOME", QFile::encodeName(newHome));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(newHome + QStringLiteral("/.config")));
        auto restore = qScopeGuard([&] {
            qputenv("HOME", home);
            xdg.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", xdg);
        });

        TestData data;
        Sessao sessao;
        sessao.Dm_Dados = &data.dm();
        MessageRecorder messages;
        TFrm_Gerar form(sessao);
        form.create();
        const QString documents = newHome + QStringLiteral("/Documentos");
        QCOMPARE(messages.count(), 0);
        QVERIFY(QFileInfo(documents).isDir());
        QCOMPARE(QFileInfo(documents).permissions() & 0x0777,
                 QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
        QCOMPARE(form.Label_Pasta->text(), QStringLiteral("Drive A: pasta %1").arg(QDir::toNativeSeparators(documents)));
    }

    void failedPreCheckWritesNothingAndStaysOpen()
    {
        setDrives(true, false);
        TestData data;
        fill(data, 2);
        data.addAdvisor(makeCpf(100000099), QStringLiteral("SEM BOLSISTAS"));
        Sessao sessao;
        sessao.Dm_Dados = &data.dm();
        MessageRecorder messages;
        ModalDriver modal;
        bool stillOpen = false;
        QStringList problems;
        bool hiddenAtFirst = false;
        modal.expect([&](QDialog* d) {
            auto* form = static_cast<TFrm_Gerar*>(d);
            hiddenAtFirst = !form->Pendencias->isVisible();
            form->BitBtn3->click();
            stillOpen = form->isVisible();
            if (form->Pendencias->isVisible()) {
                const QAbstractItemModel* m = form->Pendencias->GridPendencias->model();
                for (int r = 0; r < m->rowCount(); ++r)
                    problems << m->index(r, 1).data().toString() + u'|' + m->index(r, 3).data().toString() + u'|'
                                    + m->index(r, 4).data().toString();
            }
            form->BitBtn2->click();
        });
        TFrm_Gerar::executar(sessao, nullptr);
        QCOMPARE(modal.shown(), QStringList{QStringLiteral("zelta::TFrm_Gerar")});
        QVERIFY(stillOpen);
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().kind, MessageKind::Attention);
        QCOMPARE(messages.last().caption, QStringLiteral("Atenção"));
        QCOMPARE(messages.last().icon, MessageIcon::None);
        QCOMPARE(messages.last().buttons, MessageButtons::Ok);
        QCOMPARE(messages.last().text, QStringLiteral("Favor executar a verificação do preenchimento"));
        // Below it, what stops the generation.
        QVERIFY(hiddenAtFirst);
        QCOMPARE(problems, QStringList{QStringLiteral("SEM BOLSISTAS|Orientador não Vinculado a Bolsista|Sim")});
        QVERIFY(filesIn(m_driveA).isEmpty());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void grownWindowKeepsItsCentreWithinTheScreen()
    {
        setDrives(true, false);
        TestData data;
        fill(data, 1);
        const QString longName = QStringLiteral("ÁLVARO BEATRIZ DE ALBUQUERQUE CAVALCANTI MONTENEGRO SIQUEIRA");
        data.addAdvisor(makeCpf(100000099), longName);
        Sessao sessao;
        sessao.Dm_Dados = &data.dm();
        MessageRecorder messages;
        ModalDriver modal;
        QRect area;
        // Once from the middle of the screen, once from near its corner.
        QList<QRect> before, after;
        for (const bool corner : {false, true}) {
            modal.expect([&, corner](QDialog* d) {
                auto* form = static_cast<TFrm_Gerar*>(d);
                area = form->screen()->availableGeometry();
                QRect frame = form->frameGeometry();
                if (corner)
                    frame.moveBottomRight(area.bottomRight() - QPoint(10, 10));
                else
                    frame.moveCenter(area.center());
                form->move(frame.topLeft());
                before << form->frameGeometry();
                // "Corrigir" keeps Alt+O here too; Alt+C is "Confirmar".
                QCOMPARE(form->Pendencias->BitBtnCorrigir->text(), QStringLiteral("C&orrigir"));
                QCOMPARE(form->BitBtn3->text(), QStringLiteral("&Confirmar"));
                form->BitBtn3->click();
                after << form->frameGeometry();
                const QTableView* grid = form->Pendencias->GridPendencias;
                QVERIFY(grid->columnWidth(1) >= grid->fontMetrics().horizontalAdvance(longName));
                form->BitBtn2->click();
            });
            TFrm_Gerar::executar(sessao, nullptr);
        }
        QCOMPARE(after.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QVERIFY(after[i].width() > before[i].width() && after[i].height() > before[i].height());
            QVERIFY2(area.contains(after[i]), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                             .arg(after[i].x())
                                                             .arg(after[i].y())
                                                             .arg(after[i].width())
                                                             .arg(after[i].height())));
        }
        QVERIFY((after[0].center() - before[0].center()).manhattanLength() <= 2);
    }

    void writesToTheChosenDriveWithTheGauge()
    {
        setDrives(true, true);
        TestData data;
        fill(data, 3);
        Sessao sessao;
        sessao.Dm_Dados = &data.dm();
        MessageRecorder messages;
        ModalDriver modal;
        QList<int> gauge;
        bool accepted = false;
        modal.expect([&](QDialog* d) {
            auto* form = static_cast<TFrm_Gerar*>(d);
            QObject::connect(form->Gauge1, &QProgressBar::valueChanged, form, [&](int v) { gauge << v; });
            form->RadioB->click();
            form->BitBtn3->click();
            accepted = form->result() == QDialog::Accepted && !form->isVisible();
        });
        TFrm_Gerar::executar(sessao, nullptr);
        QVERIFY(accepted);
        QCOMPARE(gauge, (QList<int>{33, 66, 100}));
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("Gravação executada")});
        QCOMPARE(messages.last().kind, MessageKind::Plain);
        QVERIFY(filesIn(m_driveA).isEmpty());
        QCOMPARE(filesIn(m_driveB), QStringList{QStringLiteral("12345678.htm")});
        QCOMPARE(QFileInfo(QDir(m_driveB).filePath(QStringLiteral("12345678.htm"))).size(), kHeaderSize + 3 * kRecordSize);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void gaugeRepaintsOnlyOnChange()
    {
        setDrives(true, false);
        TestData data;
        fill(data, 400);
        Sessao sessao;
        sessao.Dm_Dados = &data.dm();
        MessageRecorder messages;
        ModalDriver modal;
        PaintCounter paints;
        modal.expect([&](QDialog* d) {
            auto* form = static_cast<TFrm_Gerar*>(d);
            QVERIFY(QTest::qWaitForWindowExposed(form));
            QCoreApplication::processEvents();
            form->Gauge1->installEventFilter(&paints);
            form->BitBtn3->click();
            form->Gauge1->removeEventFilter(&paints);
        });
        TFrm_Gerar::executar(sessao, nullptr);
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("Gravação executada")});
        // One paint per whole percent (and none per holder); a few more may
        // come from the window system.
        QVERIFY2(paints.count >= 100 && paints.count <= 110, qPrintable(QString::number(paints.count)));
    }

    void failureIsReportedAndConfirmCanBePressedAgain()
    {
        // Only B: exists, A: stays listed and chosen: its folder is missing.
        setDrives(false, true);
        TestData data;
        fill(data, 2);
        Sessao sessao;
        sessao.Dm_Dados = &data.dm();
        MessageRecorder messages;
        ModalDriver modal;
        QStringList afterFirst;
        bool openAfterFirst = false;
        bool cursorBack = false;
        modal.expect([&](QDialog* d) {
            auto* form = static_cast<TFrm_Gerar*>(d);
            form->BitBtn3->click();
            afterFirst = messages.texts();
            openAfterFirst = form->isVisible();
            cursorBack = !QGuiApplication::overrideCursor();
            QDir().mkpath(m_root.filePath(QStringLiteral("sem_a")));
            form->BitBtn3->click();
        });
        TFrm_Gerar::executar(sessao, nullptr);
        QCOMPARE(afterFirst.size(), 1);
        QCOMPARE(messages.messages().first().kind, MessageKind::Error);
        QVERIFY(afterFirst.first().contains(QStringLiteral("Nada foi gravado")));
        QVERIFY(openAfterFirst);
        QVERIFY(cursorBack);
        QCOMPARE(messages.last().text, QStringLiteral("Gravação executada"));
        QCOMPARE(filesIn(m_root.filePath(QStringLiteral("sem_a"))), QStringList{QStringLiteral("12345678.htm")});
        QDir(m_root.filePath(QStringLiteral("sem_a"))).removeRecursively();
    }

    void unsafeInstitutionNumberIsRefused()
    {
        setDrives(true, false);
        TestData data;
        fill(data, 1);
        data.setInstitution(QStringLiteral("../../x9"), QStringLiteral("UFX"), QStringLiteral("UNIVERSIDADE"), 100);
        Sessao sessao;
        sessao.Dm_Dados = &data.dm();
        MessageRecorder messages;
        ModalDriver modal;
        modal.expect([&](QDialog* d) { static_cast<TFrm_Gerar*>(d)->BitBtn3->click(); });
        TFrm_Gerar::executar(sessao, nullptr);
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().kind, MessageKind::Error);
        QVERIFY(messages.last().text.contains(QStringLiteral("\"/\"")));
        QVERIFY(filesIn(m_driveA).isEmpty());
        QCOMPARE(QDir(m_root.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void opensFromTheMainWindowCommand()
    {
        setDrives(true, false);
        TestData data;
        TZelta zelta;
        zelta.setDataModule(&data.dm());
        registerWindowCommands(zelta);
        QVERIFY(zelta.hasLauncher(TZelta::Command::GeraDisquete));
        QAction* action = zelta.commandAction(TZelta::Command::GeraDisquete);
        QVERIFY(action && action->isEnabled());
        QCOMPARE(action->text(), QStringLiteral("Gera Disquete para o Orvu"));
        MessageRecorder messages;
        ModalDriver modal;
        action->trigger();
        QCOMPARE(modal.shown(), QStringList{QStringLiteral("zelta::TFrm_Gerar")});
    }
};

QTEST_MAIN(TestGerarWindow)
#include "test_gerar_window.moc"

// The recovery window: choosing the file, "Confirma" and "Cancelar", the
// gauge, the main window's labels, and the main window opening it by itself.
#include "RecoverySample.h"
#include "app/windows/TZelta.h"
#include "data/RegisterCopies.h"
#include "exchange/windows/TFrm_Recuperar.h"
#include "platform/db/Table.h"
#include "platform/system/Settings.h"
#include "support/TestHooks.h"
#include "support/TestData.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QUrl>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace zelta;
using namespace zelta::sample;
using plat::ui::MessageKind;
using plat::ui::MessageRecorder;
using plat::ui::ModalDriver;
using zelta::test::TestData;
using zelta::test::makeCpf;

namespace {

OldRecord holder(qint64 cpf, const QString& nome)
{
    OldRecord r;
    r.cpf = cpfDigits(cpf);
    r.nome = nome;
    r.sexo = QStringLiteral("M");
    r.nascimento = QStringLiteral("02/03/79");
    r.agencia = QStringLiteral("1234-5");
    r.cpfOrientador = cpfDigits(700000001);
    r.nomeOrientador = QStringLiteral("ORIENTADORA");
    r.titulacao = QStringLiteral("4");
    r.titulo = QStringLiteral("PROJETO");
    r.chave1 = QStringLiteral("CHAVE");
    r.codArea = QStringLiteral("10101003");
    return r;
}

QByteArray oldFile(const QString& sigla, const QString& nome, const QString& cota = QStringLiteral(" 10"))
{
    OldHeader h;
    h.nome = nome;
    h.numero = QStringLiteral("123456/78-9");
    h.sigla = sigla;
    h.cota1 = cota;
    return headerBytes(h) + recordBytes(holder(600000001, QStringLiteral("PRIMEIRO")))
           + recordBytes(holder(600000002, QStringLiteral("SEGUNDO")));
}

QString write(const QString& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = QDir(dir).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write the test file");
    return path;
}

// Answers the file dialog with a file, or cancels it; records where it opened.
struct FileDialogAnswer {
    explicit FileDialogAnswer(QString chosen = QString()) : file(std::move(chosen)) {}
    QString file;
    QString openedIn;
    QStringList filters;
    void operator()(QDialog* dlg)
    {
        auto* fd = qobject_cast<QFileDialog*>(dlg);
        if (!fd)
            return;
        openedIn = fd->directory().absolutePath();
        filters = fd->nameFilters();
        if (file.isEmpty()) {
            fd->reject();
            return;
        }
        fd->selectFile(file);
        static_cast<QDialog*>(fd)->accept(); // as the dialog's own Open button does
    }
};

} // namespace

class TestRecoveryWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_driveA;

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("zelta99"));
        plat::sys::Settings::instance().setConfigFile(m_driveA.filePath(QStringLiteral("sem-configuracao.ini")));
        qputenv("ZELTA_DRIVE_A", QFile::encodeName(m_driveA.path()));
    }

    void windowShowsItsControls()
    {
        TestData d;
        Sessao sessao;
        sessao.Dm_Dados = &d.dm();
        TFrm_Recuperar form(sessao);
        form.create();
        QCOMPARE(form.windowTitle(), QStringLiteral("Recuperar dados do Zelta 1999"));
        QCOMPARE(form.GroupBox1->title(), QStringLiteral("Informe o drive e o nome do arquivo "));
        QVERIFY(form.GroupBox1->font().bold());
        QVERIFY(form.EdDrive->isEnabled()); // a path may be typed or pasted
        QVERIFY(form.EdDrive->text().isEmpty());
        // The fixed-size window leaves room for the path box's whole hint.
        form.layout()->activate();
        const int hint = form.EdDrive->fontMetrics().horizontalAdvance(form.EdDrive->placeholderText());
        QVERIFY2(form.EdDrive->contentsRect().width() - 8 >= hint, "the hint of the path box is cut");
        QCOMPARE(form.Gauge1->value(), 0);
        QCOMPARE(form.BitBtn3->text(), QStringLiteral("Confirma"));
        QVERIFY(form.BitBtn3->isDefault());
        QCOMPARE(form.BitBtn2->text(), QStringLiteral("Cancelar"));
        QCOMPARE(form.OpenDialog1->nameFilters(), QStringList{QStringLiteral("Arquivo Zelta 1997 (*.TEX)")});
        QVERIFY(!(form.windowFlags() & Qt::WindowCloseButtonHint));
    }

    void fileDialogOpensOnDriveAAndKeepsTheChoiceWhenCancelled()
    {
        TestData d;
        const QString file = write(m_driveA.path(), QStringLiteral("ANTERIOR.TEX"),
                                   oldFile(QStringLiteral("X"), QStringLiteral("Y")));
        Sessao sessao;
        sessao.Dm_Dados = &d.dm();
        TFrm_Recuperar form(sessao);
        form.create();
        form.show();

        ModalDriver modals;
        FileDialogAnswer cancel;
        modals.expect(std::ref(cancel));
        form.SpeedButton1->click();
        QCOMPARE(cancel.openedIn, QDir(m_driveA.path()).absolutePath());
        QVERIFY(form.EdDrive->text().isEmpty()); // nothing chosen yet

        FileDialogAnswer choose(file);
        modals.expect(std::ref(choose));
        form.SpeedButton1->click();
        QCOMPARE(form.EdDrive->text(), QDir::toNativeSeparators(file));

        FileDialogAnswer cancelAgain;
        modals.expect(std::ref(cancelAgain));
        form.SpeedButton1->click();
        QCOMPARE(form.EdDrive->text(), QDir::toNativeSeparators(file));
        QCOMPARE(modals.unexpected(), 0);
    }

    void confirmWithoutAFileOnlyCloses()
    {
        TestData d;
        d.setInstitution(QStringLiteral("999999999"), QStringLiteral("FICA"), QStringLiteral("NADA MUDA"), 3);
        d.addHolder(QStringLiteral("QUEM FICA"), makeCpf(1));
        Sessao sessao;
        sessao.Dm_Dados = &d.dm();
        TFrm_Recuperar form(sessao);
        form.create();
        form.show();
        MessageRecorder messages;
        form.BitBtn3->click();
        QVERIFY(!form.isVisible());
        QCOMPARE(messages.count(), 0);
        QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 1);
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT Sigla FROM ZELTAINT")).toString(), QStringLiteral("FICA"));
        QVERIFY(RegisterCopies::list(d.dir()).isEmpty());
    }

    void cancelClosesWithoutTouchingTheTables()
    {
        TestData d;
        d.addHolder(QStringLiteral("QUEM FICA"), makeCpf(1));
        const QString file = write(m_driveA.path(), QStringLiteral("CANCELA.TEX"),
                                   oldFile(QStringLiteral("X"), QStringLiteral("Y")));
        Sessao sessao;
        sessao.Dm_Dados = &d.dm();
        TFrm_Recuperar form(sessao);
        form.create();
        form.show();
        ModalDriver modals;
        modals.expect(FileDialogAnswer{file});
        form.SpeedButton1->click();
        form.BitBtn2->click();
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT group_concat(Nome) FROM ZELTABOL")).toString(),
                 QStringLiteral("QUEM FICA"));
    }

    void confirmImportsFillsTheLabelsAndCloses()
    {
        TestData d;
        d.addHolder(QStringLiteral("ANTIGO"), makeCpf(1));
        const QString file = write(m_driveA.path(), QStringLiteral("NOVO.TEX"),
                                   oldFile(QStringLiteral("SIGLA NOVA"), QStringLiteral("INSTITUIÇÃO NOVA")));
        TZelta zelta;
        zelta.setDataModule(&d.dm());

        // Opened from the menu, which shows the new institution afterwards.
        ModalDriver modals;
        MessageRecorder messages;
        messages.answer(plat::ui::Answer::Yes);
        QList<int> gauge;
        bool closed = false;
        modals.expect([&](QDialog* dlg) {
            auto* form = static_cast<TFrm_Recuperar*>(dlg);
            ModalDriver files;
            files.expect(FileDialogAnswer{file});
            form->SpeedButton1->click();
            connect(form->Gauge1, &QProgressBar::valueChanged, this, [&](int v) { gauge << v; });
            form->BitBtn3->click();
            closed = !form->isVisible() && form->result() == QDialog::Accepted && form->registerChanged();
        });
        zelta.commandAction(TZelta::Command::Recuperar)->trigger();

        QCOMPARE(modals.shown(), QStringList{QStringLiteral("zelta::TFrm_Recuperar")});
        // Asked first, then told where the replaced data went.
        QCOMPARE(messages.count(), 2);
        QCOMPARE(messages.messages().first().buttons, plat::ui::MessageButtons::YesNo);
        QVERIFY(messages.messages().first().text.contains(QStringLiteral("1 bolsista e 0 orientadores")));
        QCOMPARE(RegisterCopies::list(d.dir()).size(), 1);
        QCOMPARE(messages.last().text, QStringLiteral("Os dados substituídos foram guardados em %1.")
                                           .arg(QDir::toNativeSeparators(RegisterCopies::list(d.dir()).constFirst())));
        QVERIFY(closed);
        QCOMPARE(gauge, (QList<int>{5, 10, 15, 35, 65, 100}));
        QCOMPARE(zelta.Label_Sigla->text(), QStringLiteral("SIGLA NOVA"));
        QCOMPARE(zelta.Label_Instituicao->text(), QStringLiteral("INSTITUIÇÃO NOVA"));
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT group_concat(Nome) FROM ZELTABOL")).toString(),
                 QStringLiteral("PRIMEIRO,SEGUNDO"));
        QCOMPARE(RegisterCopies::list(d.dir()).size(), 1);
        // Closing the window closes the data module's three tables.
        QVERIFY(!d.dm().Tb_Bolsistas->isOpen());
        QVERIFY(!d.dm().Tb_Orientador->isOpen());
        QVERIFY(!d.dm().Tb_Instituicao->isOpen());
    }

    void fieldsNotReadAreCountedInTheSummary()
    {
        TestData d;
        OldRecord dayFirst = holder(600000003, QStringLiteral("DIA PRIMEIRO"));
        dayFirst.nascimento = QStringLiteral("31/12/78");
        const QString file = write(m_driveA.path(), QStringLiteral("DATA.TEX"),
                                   oldFile(QStringLiteral("X"), QStringLiteral("Y")) + recordBytes(dayFirst));
        Sessao sessao;
        sessao.Dm_Dados = &d.dm();
        TFrm_Recuperar form(sessao);
        form.create();
        form.show();
        ModalDriver modals;
        modals.expect(FileDialogAnswer{file});
        form.SpeedButton1->click();
        MessageRecorder messages;
        form.BitBtn3->click();
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("1 campo(s) do arquivo não puderam ser lidos (1 data(s) de "
                                                              "nascimento); a verificação do preenchimento indicará os "
                                                              "bolsistas.")});
        QVERIFY(!form.isVisible());
    }

    void replacingAHeldRegisterAsksFirstAndNoKeepsEveryByte()
    {
        TestData d;
        d.setInstitution(QStringLiteral("111111111"), QStringLiteral("UFX"), QStringLiteral("UNIVERSIDADE X"), 3);
        const qint64 codigo = d.addAdvisor(makeCpf(9), QStringLiteral("ORIENTADOR"));
        d.addHolder(QStringLiteral("UM"), makeCpf(1), QStringLiteral("Novo"), makeCpf(9), codigo);
        d.addHolder(QStringLiteral("DOIS"), makeCpf(2), QStringLiteral("Novo"), makeCpf(9), codigo);
        const QString file = write(m_driveA.path(), QStringLiteral("OUTRO.TEX"),
                                   oldFile(QStringLiteral("X"), QStringLiteral("Y")));
        const auto snapshot = [&] {
            QMap<QString, QByteArray> bytes;
            QDirIterator it(d.dir(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile f(it.next());
                // The shared-memory index marks every read; it holds no data.
                if (f.fileName().endsWith(QStringLiteral("-shm")))
                    continue;
                if (f.open(QIODevice::ReadOnly))
                    bytes.insert(f.fileName(), f.readAll());
            }
            return bytes;
        };
        const auto before = snapshot();
        Sessao sessao;
        sessao.Dm_Dados = &d.dm();
        TFrm_Recuperar form(sessao);
        form.create();
        form.show();
        ModalDriver modals;
        modals.expect(FileDialogAnswer{file});
        form.SpeedButton1->click();
        MessageRecorder messages;
        messages.answer(plat::ui::Answer::No);
        form.BitBtn3->click();

        QCOMPARE(messages.count(), 1);
        const plat::ui::Message question = messages.last();
        QCOMPARE(question.caption, QStringLiteral("Atenção"));
        QCOMPARE(question.buttons, plat::ui::MessageButtons::YesNo);
        QCOMPARE(question.defaultButton, plat::ui::Answer::No);
        QVERIFY(question.text.contains(QStringLiteral("UFX - UNIVERSIDADE X: 2 bolsistas e 1 orientador")));
        QVERIFY(question.text.contains(QDir::toNativeSeparators(file)));
        QVERIFY(question.text.contains(QDir::toNativeSeparators(RegisterCopies::folder(d.dir()))));
        QVERIFY(form.isVisible());
        QVERIFY(!form.registerChanged());
        QCOMPARE(snapshot(), before);

        // Yes replaces, and the copy named afterwards holds the old register.
        messages.answer(plat::ui::Answer::Yes);
        form.BitBtn3->click();
        QCOMPARE(messages.count(), 3);
        QVERIFY(form.registerChanged());
        const QString copy = RegisterCopies::list(d.dir()).constLast();
        QCOMPARE(messages.last().text,
                 QStringLiteral("Os dados substituídos foram guardados em %1.").arg(QDir::toNativeSeparators(copy)));
        QCOMPARE(RegisterCopies::describeFile(copy).holders, 2);
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT Sigla FROM ZELTAINT")).toString(), QStringLiteral("X"));
    }

    void typedOrPastedPathIsCheckedLikeAChosenFile()
    {
        TestData d;
        const QString file = write(m_driveA.path(), QStringLiteral("DIGITADO.TEX"),
                                   oldFile(QStringLiteral("DIG"), QStringLiteral("Y")));
        Sessao sessao;
        sessao.Dm_Dados = &d.dm();
        TFrm_Recuperar form(sessao);
        form.create();
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        MessageRecorder messages;
        const auto typeAndPress = [&](const QString& text, Qt::Key key) {
            form.EdDrive->setFocus();
            form.EdDrive->selectAll();
            QTest::keyClicks(form.EdDrive, text);
            QTest::keyClick(form.EdDrive, key);
        };

        // A missing file, then a folder: told, the box keeps the focus, and
        // Enter never runs the import.
        typeAndPress(QStringLiteral("NAOHA.TEX"), Qt::Key_Return);
        QCOMPARE(messages.texts(),
                 QStringList{QStringLiteral("O arquivo %1 não foi encontrado")
                                 .arg(QDir::toNativeSeparators(m_driveA.filePath(QStringLiteral("NAOHA.TEX"))))});
        QVERIFY(form.EdDrive->hasFocus());
        typeAndPress(m_driveA.path(), Qt::Key_Tab);
        QCOMPARE(messages.last().text,
                 QStringLiteral("%1 é uma pasta, não um arquivo").arg(QDir::toNativeSeparators(m_driveA.path())));
        QVERIFY(form.EdDrive->hasFocus());
        QVERIFY(form.isVisible() && !form.registerChanged());

        // A name in the folder of drive A:, as the dialog takes it; Enter
        // moves on to "Confirma".
        typeAndPress(QStringLiteral("DIGITADO.TEX"), Qt::Key_Enter);
        QCOMPARE(form.EdDrive->text(), QDir::toNativeSeparators(file));
        QVERIFY(form.BitBtn3->hasFocus());
        QCOMPARE(messages.count(), 2);

        // A pasted file URL, taken when the box is left.
        form.EdDrive->setFocus();
        form.EdDrive->selectAll();
        form.EdDrive->insert(QUrl::fromLocalFile(file).toString());
        QTest::keyClick(form.EdDrive, Qt::Key_Tab);
        QCOMPARE(form.EdDrive->text(), QDir::toNativeSeparators(file));
        QCOMPARE(messages.count(), 2);
        form.BitBtn3->click();
        QVERIFY(form.registerChanged());
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT Sigla FROM ZELTAINT")).toString(), QStringLiteral("DIG"));
    }

    void failedImportReportsTheErrorAndKeepsTheWindowAndTheData()
    {
        TestData d;
        d.setInstitution(QStringLiteral("111111111"), QStringLiteral("FICA"), QStringLiteral("NADA MUDA"), 3);
        d.addHolder(QStringLiteral("QUEM FICA"), makeCpf(1));
        const QString file = write(m_driveA.path(), QStringLiteral("RUIM.TEX"),
                                   oldFile(QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral(" 1O")));
        TZelta zelta;
        zelta.setDataModule(&d.dm());
        zelta.Label_Sigla->setText(QStringLiteral("FICA"));
        TFrm_Recuperar form(zelta.sessao(), &zelta);
        form.create();
        form.show();
        ModalDriver modals;
        modals.expect(FileDialogAnswer{file});
        form.SpeedButton1->click();
        MessageRecorder messages;
        form.BitBtn3->click();

        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().kind, MessageKind::Error);
        QCOMPARE(messages.last().text, QStringLiteral("'1O' is not a valid integer value."));
        QVERIFY(form.isVisible());
        QVERIFY(!form.registerChanged());
        QCOMPARE(form.Gauge1->value(), 0);
        QCOMPARE(zelta.Label_Sigla->text(), QStringLiteral("FICA"));
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT group_concat(Nome) FROM ZELTABOL")).toString(),
                 QStringLiteral("QUEM FICA"));
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT Sigla FROM ZELTAINT")).toString(), QStringLiteral("FICA"));
        form.BitBtn2->click();
    }

    void recordCutShortRefusesTheFileBeforeAnyQuestion()
    {
        TestData d;
        d.addHolder(QStringLiteral("QUEM FICA"), makeCpf(1));
        const QString file = write(m_driveA.path(), QStringLiteral("CORTADO.TEX"),
                                   oldFile(QStringLiteral("X"), QStringLiteral("Y")) + QByteArray(100, 'Z'));
        Sessao sessao;
        sessao.Dm_Dados = &d.dm();
        TFrm_Recuperar form(sessao);
        form.create();
        form.show();
        ModalDriver modals;
        modals.expect(FileDialogAnswer{file});
        form.SpeedButton1->click();
        MessageRecorder messages;
        form.BitBtn3->click();
        // The refusal alone: no question about replacing the register.
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().kind, MessageKind::Error);
        QVERIFY2(messages.last().text.startsWith(QStringLiteral(
                     "O arquivo termina no meio do registro 3 (linha 4), com 100 dos seus 517 caracteres: a cópia do "
                     "arquivo está incompleta. Ele tem 2 registro(s) completo(s)")),
                 qPrintable(messages.last().text));
        QVERIFY(form.isVisible());
        QVERIFY(!form.registerChanged());
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT group_concat(Nome) FROM ZELTABOL")).toString(),
                 QStringLiteral("QUEM FICA"));
        form.BitBtn2->click();
    }

    void mainWindowOffersTheRecoveryOnAnEmptyHolderTable()
    {
        TestData d;
        const QString file = write(m_driveA.path(), QStringLiteral("INICIO.TEX"),
                                   oldFile(QStringLiteral("UEVE"), QStringLiteral("UNIVERSIDADE DO INÍCIO")));
        TZelta zelta;
        zelta.setDataModule(&d.dm());
        QVERIFY(zelta.commandAction(TZelta::Command::Recuperar)->isEnabled());

        ModalDriver modals;
        modals.expect([&](QDialog* dlg) {
            auto* form = qobject_cast<TFrm_Recuperar*>(dlg);
            if (!form)
                return;
            ModalDriver files;
            files.expect(FileDialogAnswer{file});
            form->SpeedButton1->click();
            form->BitBtn3->click();
        });
        zelta.FormActivate();
        QCOMPARE(modals.shown(), QStringList{QStringLiteral("zelta::TFrm_Recuperar")});
        QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 2);
        QCOMPARE(zelta.Label_Sigla->text(), QStringLiteral("UEVE"));
        QCOMPARE(zelta.Label_Instituicao->text(), QStringLiteral("UNIVERSIDADE DO INÍCIO"));
        QVERIFY(!d.dm().Tb_Bolsistas->isOpen());
        QVERIFY(!d.dm().Tb_Orientador->isOpen());

        // The menu entry opens it again, now that there are holders.
        modals.expect([](QDialog* dlg) { static_cast<TFrm_Recuperar*>(dlg)->BitBtn2->click(); });
        zelta.commandAction(TZelta::Command::Recuperar)->trigger();
        QCOMPARE(modals.shown().size(), 2);
        QCOMPARE(modals.shown().last(), QStringLiteral("zelta::TFrm_Recuperar"));
        QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 2);
    }

    void mainWindowDoesNotOfferItWhenThereAreHolders()
    {
        TestData d;
        d.addHolder(QStringLiteral("JÁ CADASTRADO"), makeCpf(1));
        TZelta zelta;
        zelta.setDataModule(&d.dm());
        ModalDriver modals;
        zelta.FormActivate();
        QVERIFY(modals.shown().isEmpty());
    }
};

QTEST_MAIN(TestRecoveryWindow)
#include "test_recovery_window.moc"

// The pre-check and the writing of the submission file on a real register:
// record order, advisor look-up, gauge, write failures and the command line.
#include "app/cli/Cli.h"
#include "exchange/SubmissionCheck.h"
#include "exchange/SubmissionFormat.h"
#include "exchange/SubmissionWriter.h"
#include "platform/system/AtomicFile.h"
#include "platform/system/Settings.h"
#include "support/CliRun.h"
#include "support/SubmissionFile.h"
#include "support/TestData.h"
#include "support/Throws.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zelta;
using zelta::test::makeCpf;
using zelta::test::TestData;

namespace {

using zelta::test::checkedSubmission;
using zelta::test::readSubmission;
using zelta::test::SubmissionFolder;

QByteArray record(const QByteArray& file, int index) { return file.mid(kHeaderSize + index * kRecordSize, kRecordSize); }

QByteArray at(const QByteArray& record, int position, int width) { return record.mid(position - 1, width); }

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// An advisor that passes the pre-check, with one holder that passes it too.
qint64 addPair(TestData& data, int n, const QString& holderName)
{
    const QString advisorCpf = makeCpf(100000000 + n);
    const qint64 codigo = data.addAdvisor(advisorCpf, QStringLiteral("ORIENTADOR %1").arg(n));
    data.addHolder(holderName, makeCpf(200000000 + n), QStringLiteral("Novo"), advisorCpf, codigo);
    return codigo;
}

// Institution 123456789 (file 12345678.htm) with one holder and its advisor.
void oneHolder(TestData& data)
{
    data.setInstitution(QStringLiteral("123456789"), QStringLiteral("UFX"), QStringLiteral("UNIVERSIDADE"), 10);
    addPair(data, 1, QStringLiteral("ANA"));
}

using CliRun = zelta::test::CliRun;

} // namespace

class TestSubmissionGen : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { plat::sys::Settings::instance().setDataDirectoryOverride(QString()); }

    void emptyRegisterGivesTheHeaderAlone()
    {
        TestData data;
        data.setInstitution(QStringLiteral("123456789"), QStringLiteral("UFX"), QStringLiteral("UNIVERSIDADE"), 10);
        QVERIFY(Verificar_Erro(data.db()));
        SubmissionFolder out;
        QList<int> gauge;
        const SubmissionResult r = generateSubmissionFile(data.db(), out.path(), [&](int p) { gauge << p; });
        QCOMPARE(r.filePath, QDir(out.path()).filePath(QStringLiteral("12345678.htm")));
        QCOMPARE(readSubmission(r.filePath), QByteArray("123456/78-9\n"));
        QCOMPARE(r.holders, 0);
        QCOMPARE(gauge, QList<int>{100});
    }

    void recordsFollowThePrimaryOrderWithTheirAdvisors()
    {
        TestData data;
        data.setInstitution(QStringLiteral("123456789"), QStringLiteral("UFX"), QStringLiteral("UNIVERSIDADE"), 10);
        addPair(data, 1, QStringLiteral("ZÉLIA"));
        addPair(data, 2, QStringLiteral("ÁLVARO"));
        addPair(data, 3, QStringLiteral("AMARAL"));
        addPair(data, 4, QStringLiteral("ALVES"));
        QVERIFY(Verificar_Erro(data.db()));

        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QCOMPARE(writeSubmission(data.db(), QStringLiteral("123456789"), buffer), 4);
        const QByteArray file = checkedSubmission(buffer.data());
        QCOMPARE(file.size(), kHeaderSize + 4 * kRecordSize);
        QVERIFY(!file.contains('\r'));

        // The same order as a cursor on the table's primary order.
        plat::db::Table cursor(data.db(), QStringLiteral("ZELTABOL"));
        cursor.setIndexName(QString());
        cursor.open();
        int i = 0;
        for (cursor.first(); !cursor.eof(); cursor.next(), ++i) {
            const QByteArray r = record(file, i);
            QCOMPARE(at(r, 13, 60).trimmed(),
                     zelta::test::textForFile(cursor.field(QStringLiteral("Nome")).asString()).toLatin1());
            const qint64 codigo = cursor.field(QStringLiteral("NUMERO_ORIENTADOR")).asInteger();
            QCOMPARE(at(r, 130, 60).trimmed(), QByteArray("ORIENTADOR ") + QByteArray::number(codigo));
            QCOMPARE(at(r, 119, 11),
                     cursor.field(QStringLiteral("CPF_ORIENTADOR")).asString().remove(u'.').remove(u'-').toLatin1());
        }
        QCOMPARE(i, 4);
        QCOMPARE(at(record(file, 0), 13, 6), QByteArray("ALVARO"));
        QCOMPARE(at(record(file, 3), 13, 5), QByteArray("ZELIA"));
    }

    void gaugeShowsWholePercentOnChange()
    {
        TestData data;
        for (int n = 1; n <= 3; ++n)
            addPair(data, n, QStringLiteral("BOLSISTA %1").arg(n));
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QList<int> gauge;
        writeSubmission(data.db(), QStringLiteral("123456789"), buffer, [&](int p) { gauge << p; });
        QCOMPARE(gauge, (QList<int>{33, 66, 100}));

        // Many holders: one call per whole percent, not one per holder.
        for (int n = 4; n <= 250; ++n)
            addPair(data, n, QStringLiteral("BOLSISTA %1").arg(n));
        gauge.clear();
        QBuffer second;
        second.open(QIODevice::WriteOnly);
        writeSubmission(data.db(), QStringLiteral("123456789"), second, [&](int p) { gauge << p; });
        QCOMPARE(gauge.size(), 100);
        QCOMPARE(gauge.first(), 1);
        QCOMPARE(gauge.last(), 100);
        QVERIFY(std::is_sorted(gauge.begin(), gauge.end()));
    }

    void holderWithoutItsAdvisorGetsBlanks()
    {
        TestData data;
        addPair(data, 1, QStringLiteral("ANA"));
        // Sorted after ANA: an excluded holder whose advisor is gone, and one
        // with no advisor number at all.
        data.addHolder(QStringLiteral("BIA"), makeCpf(300000001), QStringLiteral("Excluído"), makeCpf(100000009), 999);
        data.addHolder(QStringLiteral("CAIO"), makeCpf(300000002), QStringLiteral("Excluído"), QString(), QVariant());
        QVERIFY(Verificar_Erro(data.db()));
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        writeSubmission(data.db(), QStringLiteral("123456789"), buffer);
        const QByteArray file = checkedSubmission(buffer.data());
        QCOMPARE(at(record(file, 0), 130, 12), QByteArray("ORIENTADOR 1"));
        for (int i : {1, 2}) {
            const QByteArray r = record(file, i);
            QCOMPARE(r.size(), kRecordSize);
            QCOMPARE(at(r, 98, 4), QByteArray("EXEX"));
            QCOMPARE(at(r, 130, 387), QByteArray(387, ' '));
        }
        QCOMPARE(at(record(file, 1), 119, 11), makeCpf(100000009).remove(u'.').remove(u'-').toLatin1());
        QCOMPARE(at(record(file, 2), 119, 11), QByteArray(11, ' '));
    }

    void holderRules_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("passes");
        QTest::newRow("complete") << QString() << QVariant() << true;
        QTest::newRow("repeated-digit CPF") << QStringLiteral("CPF") << QVariant(QStringLiteral("111.111.111-11")) << false;
        QTest::newRow("zeros CPF") << QStringLiteral("CPF") << QVariant(QStringLiteral("000.000.000-00")) << false;
        QTest::newRow("wrong check digits") << QStringLiteral("CPF") << QVariant(QStringLiteral("123.456.789-00")) << true;
        QTest::newRow("short CPF") << QStringLiteral("CPF") << QVariant(QStringLiteral("123.456.789-0")) << false;
        QTest::newRow("empty sex") << QStringLiteral("SEXO") << QVariant(QStringLiteral("")) << false;
        QTest::newRow("empty birth date") << QStringLiteral("DATA_NASCIMENTO") << QVariant() << false;
        QTest::newRow("no such birth date") << QStringLiteral("DATA_NASCIMENTO") << QVariant(QStringLiteral("1980-02-30"))
                                            << false;
        QTest::newRow("sex X") << QStringLiteral("SEXO") << QVariant(QStringLiteral("X")) << false;
        QTest::newRow("short advisor CPF") << QStringLiteral("CPF_ORIENTADOR") << QVariant(QStringLiteral("123.456.789"))
                                           << false;
        QTest::newRow("branch 1234-5") << QStringLiteral("CODIGO_AGENCIA") << QVariant(QStringLiteral("1234-5")) << true;
        QTest::newRow("branch 12 4-5") << QStringLiteral("CODIGO_AGENCIA") << QVariant(QStringLiteral("12 4-5")) << false;
        QTest::newRow("branch blank first") << QStringLiteral("CODIGO_AGENCIA") << QVariant(QStringLiteral(" 234-5")) << false;
        QTest::newRow("branch blank sixth") << QStringLiteral("CODIGO_AGENCIA") << QVariant(QStringLiteral("1234- ")) << false;
        QTest::newRow("branch blank fifth") << QStringLiteral("CODIGO_AGENCIA") << QVariant(QStringLiteral("1234 5")) << true;
        QTest::newRow("branch 12") << QStringLiteral("CODIGO_AGENCIA") << QVariant(QStringLiteral("12")) << true;
        QTest::newRow("branch empty") << QStringLiteral("CODIGO_AGENCIA") << QVariant(QStringLiteral("")) << false;
        QTest::newRow("no advisor number") << QStringLiteral("NUMERO_ORIENTADOR") << QVariant() << false;
        QTest::newRow("number of no advisor") << QStringLiteral("NUMERO_ORIENTADOR") << QVariant(qint64(999)) << false;
    }
    void holderRules()
    {
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        QFETCH(bool, passes);
        TestData data;
        addPair(data, 1, QStringLiteral("ANA"));
        const qint64 codigo = addPair(data, 2, QStringLiteral("BIA"));
        // A second holder keeps BIA's advisor linked whatever BIA holds.
        data.addHolder(QStringLiteral("CAIO"), makeCpf(300000001), QStringLiteral("Novo"), makeCpf(100000002), codigo);
        if (!column.isEmpty())
            data.db().exec(QStringLiteral("UPDATE ZELTABOL SET %1 = ? WHERE Nome = 'BIA'").arg(column), {value});
        QCOMPARE(Verificar_Erro(data.db()), passes);

        // An excluded holder is not examined, whatever it holds.
        data.db().exec(QStringLiteral("UPDATE ZELTABOL SET SITUACAO = 'Excluído' WHERE Nome = 'BIA'"));
        QVERIFY(Verificar_Erro(data.db()));
    }

    void excludedHolderWithoutSexIsWrittenWithABlank()
    {
        TestData data;
        addPair(data, 1, QStringLiteral("ANA"));
        data.db().exec(QStringLiteral("UPDATE ZELTABOL SET SEXO = '', SITUACAO = 'Excluído'"));
        QVERIFY(Verificar_Erro(data.db()));
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        writeSubmission(data.db(), QStringLiteral("123456789"), buffer);
        QCOMPARE(at(record(checkedSubmission(buffer.data()), 0), 73, 1), QByteArray(" "));
    }

    void advisorRules_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("passes");
        QTest::newRow("complete") << QString() << QString() << true;
        QTest::newRow("repeated-digit CPF") << QStringLiteral("CPF") << QStringLiteral("999.999.999-99") << false;
        QTest::newRow("wrong check digits") << QStringLiteral("CPF") << QStringLiteral("123.456.789-00") << true;
        QTest::newRow("empty degree") << QStringLiteral("TITULACAO") << QString() << false;
        QTest::newRow("area of 7") << QStringLiteral("COD_AREA") << QStringLiteral("1010100") << false;
        QTest::newRow("area with punctuation") << QStringLiteral("COD_AREA") << QStringLiteral("1.01.01.00-3") << false;
    }
    void advisorRules()
    {
        QFETCH(QString, column);
        QFETCH(QString, value);
        QFETCH(bool, passes);
        TestData data;
        addPair(data, 1, QStringLiteral("ANA"));
        const qint64 codigo = addPair(data, 2, QStringLiteral("BIA"));
        if (!column.isEmpty())
            data.db().exec(QStringLiteral("UPDATE ZELTAORI SET %1 = ? WHERE Codigo = ?").arg(column), {value, codigo});
        QCOMPARE(Verificar_Erro(data.db()), passes);
    }

    void keyWordsNeedOnlyOne()
    {
        TestData data;
        const qint64 codigo = addPair(data, 1, QStringLiteral("ANA"));
        data.db().exec(QStringLiteral("UPDATE ZELTAORI SET P_CHAVE1 = '', P_CHAVE2 = '', P_CHAVE3 = 'SOLOS' WHERE Codigo = ?"),
                       {codigo});
        QVERIFY(Verificar_Erro(data.db()));
        data.db().exec(QStringLiteral("UPDATE ZELTAORI SET P_CHAVE3 = '' WHERE Codigo = ?"), {codigo});
        QVERIFY(!Verificar_Erro(data.db()));
    }

    void advisorWithoutHoldersFails()
    {
        TestData data;
        addPair(data, 1, QStringLiteral("ANA"));
        QVERIFY(Verificar_Erro(data.db()));
        data.addAdvisor(makeCpf(100000002), QStringLiteral("SEM BOLSISTAS"));
        QVERIFY(!Verificar_Erro(data.db()));
    }

    void advisorWithOnlyExcludedHoldersIsNotExamined()
    {
        TestData data;
        addPair(data, 1, QStringLiteral("ANA"));
        const qint64 codigo = data.addAdvisor(QString(), QStringLiteral("SEM DADOS"), QStringLiteral("M"),
                                              QStringLiteral("PROJETO ANTIGO"), QString());
        data.addHolder(QStringLiteral("BIA"), makeCpf(300000001), QStringLiteral("Excluído"), QString(), codigo);
        QVERIFY(Verificar_Erro(data.db()));

        // Its excluded holder is written with its data.
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        writeSubmission(data.db(), QStringLiteral("123456789"), buffer);
        const QByteArray r = record(checkedSubmission(buffer.data()), 1);
        QCOMPARE(at(r, 130, 9), QByteArray("SEM DADOS"));
        QCOMPARE(at(r, 190, 1), QByteArray("3"));
        QCOMPARE(at(r, 191, 14), QByteArray("PROJETO ANTIGO"));
        QCOMPARE(at(r, 506, 8), QByteArray(8, ' '));

        // One holder in another situation and the advisor is examined again.
        data.addHolder(QStringLiteral("CAIO"), makeCpf(300000002), QStringLiteral("Renovado"), makeCpf(100000001), codigo);
        QVERIFY(!Verificar_Erro(data.db()));
    }

    void unsafeInstitutionNumberWritesNothing_data()
    {
        QTest::addColumn<QString>("numero");
        QTest::newRow("climbing") << QStringLiteral("../evil9");
        QTest::newRow("absolute") << QStringLiteral("/tmp/x123");
        QTest::newRow("empty") << QString();
    }
    void unsafeInstitutionNumberWritesNothing()
    {
        QFETCH(QString, numero);
        TestData data;
        data.setInstitution(numero, QStringLiteral("UFX"), QStringLiteral("UNIVERSIDADE"), 10);
        addPair(data, 1, QStringLiteral("ANA"));
        SubmissionFolder root;
        QVERIFY(QDir(root.path()).mkdir(QStringLiteral("disco")));
        const QString target = root.filePath(QStringLiteral("disco"));
        try {
            generateSubmissionFile(data.db(), target);
            QFAIL("the number was accepted");
        } catch (const plat::Error& e) {
            QCOMPARE(e.kind(), plat::Error::Kind::Output);
            QVERIFY(e.message().contains(QStringLiteral("Nada foi gravado")));
        }
        QCOMPARE(QDir(root.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("disco")});
        QVERIFY(QDir(target).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));

        // The command line refuses it the same way.
        plat::sys::Settings::instance().setDataDirectoryOverride(data.dir());
        const CliRun cli = zelta::test::runCommand({QStringLiteral("gerar"), QStringLiteral("--destino"), target});
        QCOMPARE(cli.code, 2);
        QVERIFY(cli.err.contains(QStringLiteral("Nada foi gravado")));
        QVERIFY(QDir(target).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void readOnlyFolderKeepsTheOlderFile()
    {
        TestData data;
        oneHolder(data);
        SubmissionFolder out;
        const QString path = QDir(out.path()).filePath(QStringLiteral("12345678.htm"));
        writeFile(path, "OLD");
        QFile::setPermissions(out.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const bool enforced = !QFile(QDir(out.path()).filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly);
        if (enforced) {
            QVERIFY(zelta::test::throws(plat::Error::Kind::Output, [&] { generateSubmissionFile(data.db(), out.path()); }));
            QCOMPARE(readSubmission(path), QByteArray("OLD"));
            QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("12345678.htm")});
        }
        QFile::setPermissions(out.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (!enforced)
            QSKIP("permission bits are not enforced for this user; the size limit test covers write errors");
    }

    void fileSizeLimitLeavesNoPartialFile()
    {
        TestData data;
        data.setInstitution(QStringLiteral("123456789"), QStringLiteral("UFX"), QStringLiteral("UNIVERSIDADE"), 10);
        for (int n = 1; n <= 40; ++n)
            addPair(data, n, QStringLiteral("BOLSISTA %1").arg(n));
        SubmissionFolder out;
        const QString path = QDir(out.path()).filePath(QStringLiteral("12345678.htm"));
        writeFile(path, "OLD");

        // The child writes under a size limit far below the file's 20,732
        // bytes (the older file is smaller than it). Its exit code tells what
        // it saw: 0 an error with a message, 1 a success, 2 an error without text.
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            int code = 2;
            try {
                TDm_Dados dados(data.dir());
                dados.database().ensureOpen();
                ::signal(SIGXFSZ, SIG_IGN);
                rlimit limit{4096, 4096};
                ::setrlimit(RLIMIT_FSIZE, &limit);
                generateSubmissionFile(dados.database(), out.path());
                code = 1;
            } catch (const plat::Error& e) {
                code = e.kind() == plat::Error::Kind::Output && e.message().contains(QStringLiteral("12345678.htm")) ? 0 : 2;
            } catch (...) {
                code = 3;
            }
            ::_exit(code);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(readSubmission(path), QByteArray("OLD"));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("12345678.htm")});

        // Without the limit the next run replaces the older file whole.
        const SubmissionResult r = generateSubmissionFile(data.db(), out.path());
        const QByteArray file = readSubmission(path);
        QCOMPARE(file.size(), kHeaderSize + 40 * kRecordSize);
        QCOMPARE(r.bytes, file.size());
        QVERIFY(file.startsWith("123456/78-9\n"));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("12345678.htm")});
    }

    void missingFolderIsReported()
    {
        TestData data;
        data.setInstitution(QStringLiteral("123456789"), QStringLiteral("UFX"), QStringLiteral("UNIVERSIDADE"), 10);
        SubmissionFolder out;
        QVERIFY(zelta::test::throws(plat::Error::Kind::Output, [&] {
            generateSubmissionFile(data.db(), QDir(out.path()).filePath(QStringLiteral("sem")));
        }));
    }

    void atomicFileCommitsOnlyWhatReadsBack()
    {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("a.htm"));
        writeFile(path, "OLD");
        const QByteArray content(plat::sys::AtomicFile::kBufferSize + 1000, 'x');

        { // Dropped without a commit: the older file stays, nothing else remains.
            plat::sys::AtomicFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QCOMPARE(QFileInfo(f.temporaryFileName()).absolutePath(), QFileInfo(path).absolutePath());
            QCOMPARE(f.write(content), content.size());
        }
        QCOMPARE(readSubmission(path), QByteArray("OLD"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

        { // A byte changed on the disk behind the writer's back is caught.
            plat::sys::AtomicFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QCOMPARE(f.write(content), content.size()); // larger than the buffer: already on the disk
            QFile spoiler(f.temporaryFileName());
            QVERIFY(spoiler.open(QIODevice::ReadWrite));
            QVERIFY(spoiler.seek(100));
            spoiler.write("y");
            spoiler.close();
            QVERIFY(!f.commit());
            QVERIFY(f.errorString().contains(QStringLiteral("difere")));
        }
        QCOMPARE(readSubmission(path), QByteArray("OLD"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

        { // Written in pieces that do not fall on word boundaries.
            plat::sys::AtomicFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (int i = 0; i < 1000; ++i)
                QCOMPARE(f.write(QByteArray(i % 13 + 1, char('a' + i % 26))), qint64(i % 13 + 1));
            QVERIFY2(f.commit(), qPrintable(f.errorString()));
            QVERIFY(!f.isOpen());
        }
        QCOMPARE(readSubmission(path).size(), 1000 / 13 * (13 * 14 / 2) + (1000 % 13) * (1000 % 13 + 1) / 2);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void staleTemporariesOfThisFileAreRemovedAndNothingElse()
    {
        TestData data;
        oneHolder(data);
        SubmissionFolder out;
        const QDir dir(out.path());
        // Left by a killed run: removed.
        writeFile(dir.filePath(QStringLiteral(".12345678.htm.Ab3xYz")), QByteArray(5000, 'x'));
        // Held by a writer still running (its lock), or not of this writer's
        // making: kept.
        const QString live = dir.filePath(QStringLiteral(".12345678.htm.LIVE01"));
        writeFile(live, "live");
        const int liveFd = ::open(QFile::encodeName(live).constData(), O_RDONLY);
        QVERIFY(liveFd >= 0);
        QCOMPARE(::flock(liveFd, LOCK_EX), 0);
        const QStringList kept{QStringLiteral(".12345678.htm.LIVE01"), QStringLiteral(".12345678.htm.bak"),
                               QStringLiteral(".12345678.htm.Ab3-yz"), QStringLiteral(".87654321.htm.Ab3xYz"),
                               QStringLiteral("12345678.htm.Ab3xYz"),  QStringLiteral(".12345678.htm.Ab3xYz1")};
        for (const QString& name : kept.mid(1))
            writeFile(dir.filePath(name), "keep");
        QVERIFY(dir.mkdir(QStringLiteral(".12345678.htm.Dir123")));

        generateSubmissionFile(data.db(), out.path());
        ::close(liveFd);
        QStringList expected = kept;
        expected << QStringLiteral(".12345678.htm.Dir123") << QStringLiteral("12345678.htm");
        expected.sort();
        QCOMPARE(dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name), expected);
        QCOMPARE(readSubmission(dir.filePath(QStringLiteral("12345678.htm"))).size(), kHeaderSize + kRecordSize);
    }

    void folderThatDoesNotConfirmTheRenameIsAFailure()
    {
        TestData data;
        oneHolder(data);
        SubmissionFolder out;
        const QString path = QDir(out.path()).filePath(QStringLiteral("12345678.htm"));
        struct Restore {
            plat::sys::AtomicFile::DirectorySync previous;
            ~Restore() { plat::sys::AtomicFile::setDirectorySync(previous); }
        } restore{plat::sys::AtomicFile::setDirectorySync([](int) {
            errno = EIO;
            return -1;
        })};
        try {
            generateSubmissionFile(data.db(), out.path());
            QFAIL("success reported although the folder was not synced");
        } catch (const plat::Error& e) {
            QCOMPARE(e.kind(), plat::Error::Kind::Output);
            QVERIFY2(e.message().startsWith(QStringLiteral("Não foi possível confirmar no disco a gravação na pasta %1: ")
                                                .arg(QDir::toNativeSeparators(out.path()))),
                     qPrintable(e.message()));
            QVERIFY2(e.message().endsWith(QStringLiteral("grave-o de novo")), qPrintable(e.message()));
        }
        // The file itself is complete under its name, and nothing else is left.
        QCOMPARE(readSubmission(path).size(), kHeaderSize + kRecordSize);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

        // A file system that cannot sync folders at all is no failure.
        plat::sys::AtomicFile::setDirectorySync([](int) {
            errno = EINVAL;
            return -1;
        });
        QCOMPARE(generateSubmissionFile(data.db(), out.path()).holders, 1);
    }

    void commandLineRunsThePreCheckAndWrites()
    {
        TestData data;
        data.setInstitution(QStringLiteral("987654321"), QStringLiteral("UFX"), QStringLiteral("UNIVERSIDADE"), 10);
        addPair(data, 1, QStringLiteral("ANA"));
        SubmissionFolder out;

        CliRun r = zelta::test::runCommand(
            {QStringLiteral("gerar"), QStringLiteral("--dados"), data.dir(), QStringLiteral("--destino"), out.path()});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.endsWith(QStringLiteral("Gravação executada\n")));
        const QString path = QDir(out.path()).filePath(QStringLiteral("98765432.htm"));
        QCOMPARE(readSubmission(path).size(), kHeaderSize + kRecordSize);

        data.addAdvisor(makeCpf(100000002), QStringLiteral("SEM BOLSISTAS"));
        QFile::remove(path);
        r = zelta::test::runCommand({QStringLiteral("gerar"), QStringLiteral("--destino=") + out.path()});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, QStringLiteral("Favor executar a verificação do preenchimento\nOrientador SEM BOLSISTAS (")
                            + makeCpf(100000002) + QStringLiteral("): Orientador não Vinculado a Bolsista\n"));
        QVERIFY(!QFile::exists(path));

        QCOMPARE(zelta::test::runCommand({QStringLiteral("gerar")}).code, 2);
        QCOMPARE(zelta::test::runCommand({QStringLiteral("gerar"), QStringLiteral("--destino")}).code, 2);
        QTemporaryDir noData;
        r = zelta::test::runCommand(
            {QStringLiteral("gerar"), QStringLiteral("--dados"), noData.path(), QStringLiteral("--destino"), out.path()});
        QCOMPARE(r.code, 2);
        QVERIFY(!QFile::exists(QDir(noData.path()).filePath(QStringLiteral("zelta99.db"))));
    }
};

QTEST_GUILESS_MAIN(TestSubmissionGen)
#include "test_submission_gen.moc"

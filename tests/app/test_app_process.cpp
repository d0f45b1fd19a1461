// The program as the user runs it, in a process of its own: files that are no
// files, a file-size limit, one writer per data folder, and file names that
// are not UTF-8. Each run has a watchdog, so a program that
// hangs fails the test instead of blocking it.
#include "data/RegisterCopies.h"
#include "platform/system/FileNames.h"
#include "support/TestData.h"
#include "support/SourceTree.h"

#include <QDir>
#include <QLockFile>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Run {
    int code = -1;
    QString err;
};

Run runProgram(const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
               rlim_t fileSizeLimit = RLIM_INFINITY)
{
    // A runtime folder of its own, or Qt says on stderr that it lacks one.
    static QTemporaryDir runtime;
    QProcessEnvironment childEnv = env;
    childEnv.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    QProcess p;
    p.setProcessEnvironment(childEnv);
    p.setChildProcessModifier([fileSizeLimit] {
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    p.start(QStringLiteral(ZELTA_EXE), args);
    Run r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("(did not finish)");
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString makeFifo(const QString& path)
{
    if (::mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
        qFatal("cannot make a FIFO");
    return path;
}

// The window program on a data folder, started and left running.
void startWindowProgram(QProcess& p, const QString& dataDir)
{
    static QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ZELTA_EXE), {QStringLiteral("--dados"), dataDir});
}

qint64 lockHolder(const QString& dataDir)
{
    QLockFile lock(QDir(dataDir).filePath(QStringLiteral("zelta99.lock")));
    qint64 pid = 0;
    QString host, app;
    return lock.getLockInfo(&pid, &host, &app) ? pid : 0;
}

// Runs the program with arguments given as bytes, as a shell passes them.
int runWithRawArguments(const QList<QByteArray>& args)
{
    std::vector<QByteArray> owned{QByteArray(ZELTA_EXE)};
    owned.insert(owned.end(), args.cbegin(), args.cend());
    std::vector<char*> argv;
    for (QByteArray& a : owned)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    static QTemporaryDir runtime;
    const QByteArray runtimeDir = QFile::encodeName(runtime.path());
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("XDG_RUNTIME_DIR", runtimeDir.constData(), 1);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::alarm(60);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

QList<QByteArray> rawEntries(const QByteArray& dir)
{
    QList<QByteArray> names;
    if (DIR* d = ::opendir(dir.constData())) {
        while (const dirent* e = ::readdir(d))
            if (qstrcmp(e->d_name, ".") != 0 && qstrcmp(e->d_name, "..") != 0)
                names << QByteArray(e->d_name);
        ::closedir(d);
    }
    return names;
}

} // namespace

class TestAppProcess : public QObject {
    Q_OBJECT

private slots:
    // Without a runtime folder from the session, the command line still says
    // nothing on stderr: it makes runtime-USER in the temporary folder, 0700,
    // and takes a fresh one when that name is a link.
    void quietWithoutRuntimeFolder()
    {
        zelta::test::TestData data;
        data.addAdvisor(zelta::test::makeCpf(111111111), QStringLiteral("ORIENTADOR UM"));
        QTemporaryDir tmp;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        env.insert(QStringLiteral("TMPDIR"), tmp.path());
        const QString runtime = tmp.filePath(QStringLiteral("runtime-")
                                             + QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name));
        const QString pdf = tmp.filePath(QStringLiteral("o.pdf"));
        const QList<QStringList> commands{
            {QStringLiteral("--version")},
            {QStringLiteral("cpf"), QStringLiteral("123.456.789-09")},
            {QStringLiteral("verificar"), QStringLiteral("--dados"), data.dir()},
            {QStringLiteral("relatorio"), QStringLiteral("orientadores"), QStringLiteral("--pdf"), pdf, QStringLiteral("--dados"),
             data.dir()},
        };
        for (const QStringList& args : commands) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(ZELTA_EXE), args);
            QVERIFY(p.waitForFinished(60000));
            QVERIFY2(p.exitCode() <= 1, qPrintable(args.join(u' ')));
            QCOMPARE(QString::fromUtf8(p.readAllStandardError()), QString());
        }
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(runtime).constData(), &st), 0);
        QVERIFY(S_ISDIR(st.st_mode));
        QCOMPARE(st.st_mode & 07777, mode_t(0700));

        QVERIFY(QDir(runtime).removeRecursively());
        const QString other = tmp.filePath(QStringLiteral("outra"));
        QVERIFY(QDir().mkdir(other));
        QVERIFY(::chmod(QFile::encodeName(other).constData(), 0755) == 0);
        QVERIFY(QFile::link(other, runtime));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ZELTA_EXE), {QStringLiteral("--version")});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(p.readAllStandardError()), QString());
        QCOMPARE(::stat(QFile::encodeName(other).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0755));
        const QStringList fresh = QDir(tmp.path()).entryList({QStringLiteral("runtime-*-*")}, QDir::Dirs);
        QCOMPARE(fresh.size(), 1);
    }

    void recoveryRefusesFifosAndDevices()
    {
        QTemporaryDir tmp;
        const QString data = tmp.filePath(QStringLiteral("dados"));
        const QString fifo = makeFifo(tmp.filePath(QStringLiteral("ANTERIOR.TEX")));
        for (const QString& path : {fifo, QStringLiteral("/dev/zero"), QStringLiteral("/dev/urandom")}) {
            const Run r = runProgram({QStringLiteral("recuperar"), path, QStringLiteral("--dados"), data});
            QVERIFY2(r.code == 2, qPrintable(path + u' ' + r.err));
            QCOMPARE(r.err, QStringLiteral("%1 não é um arquivo comum (é um dispositivo, uma fila ou um soquete): não é um "
                                           "arquivo do Zelta do ano anterior.\n")
                                .arg(path));
        }
    }

    void settingsFileThatIsAFifoIsNotRead()
    {
        QTemporaryDir home;
        QVERIFY(QDir(home.path()).mkpath(QStringLiteral(".config/zelta99")));
        makeFifo(home.filePath(QStringLiteral(".config/zelta99/zelta99.ini")));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.remove(QStringLiteral("ZELTA_DADOS"));
        const Run r = runProgram({QStringLiteral("verificar")}, env);
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.startsWith(QStringLiteral("Não há dados do Zelta 99 na pasta ")), qPrintable(r.err));
    }

    void fileSizeLimitIsAMessageAndLeavesNoTemporaryFile()
    {
        zelta::test::TestData data;
        data.setInstitution(QStringLiteral("123456789"), QStringLiteral("UFX"), QStringLiteral("UNIVERSIDADE"), 10);
        for (int n = 1; n <= 40; ++n) {
            const QString advisorCpf = zelta::test::makeCpf(100000000 + n);
            const qint64 codigo = data.addAdvisor(advisorCpf, QStringLiteral("ORIENTADOR %1").arg(n));
            data.addHolder(QStringLiteral("BOLSISTA %1").arg(n), zelta::test::makeCpf(200000000 + n), QStringLiteral("Novo"),
                           advisorCpf, codigo);
        }
        QTemporaryDir out;
        const QString path = QDir(out.path()).filePath(QStringLiteral("12345678.htm"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("OLD");
        }
        // 8 KiB: far below the file's 20,732 bytes.
        const Run r = runProgram({QStringLiteral("gerar"), QStringLiteral("--dados"), data.dir(), QStringLiteral("--destino"),
                                  out.path()},
                                 QProcessEnvironment::systemEnvironment(), 8192);
        QVERIFY2(r.code == 2, qPrintable(QString::number(r.code) + u' ' + r.err));
        QVERIFY2(r.err.startsWith(QStringLiteral("Erro ao gravar o arquivo %1: ").arg(QDir::toNativeSeparators(path))),
                 qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("tamanho máximo")), qPrintable(r.err));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("12345678.htm")});
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("OLD"));
    }
    void windowProgramHoldsItsDataFolder()
    {
        zelta::test::TestData data;
        data.addAdvisor(zelta::test::makeCpf(111111111), QStringLiteral("ORIENTADOR UM"));
        const QString copy = zelta::RegisterCopies::take(data.db(), data.dir()).path;
        data.addAdvisor(zelta::test::makeCpf(222222222), QStringLiteral("ORIENTADOR DOIS"));
        const QStringList copies = QDir(zelta::RegisterCopies::folder(data.dir())).entryList(QDir::Files);

        QProcess window;
        startWindowProgram(window, data.dir());
        const auto stop = qScopeGuard([&] {
            window.kill();
            window.waitForFinished();
        });
        QVERIFY(QTest::qWaitFor([&] { return lockHolder(data.dir()) == window.processId(); }, 30000));

        const QString sample = zelta::test::sourceDir() + QStringLiteral("/resources/exemplo/EXEMPLO.TEX");
        const QString dados = QDir::toNativeSeparators(data.dir());
        for (const QStringList& args : QList<QStringList>{{QStringLiteral("recuperar"), sample},
                                                          {QStringLiteral("restaurar"), copy},
                                                          {QStringLiteral("copia")}}) {
            const Run r = runProgram(args + QStringList{QStringLiteral("--dados"), data.dir()});
            QVERIFY2(r.code == 2, qPrintable(args.first() + u' ' + r.err));
            QVERIFY2(r.err.contains(dados) && r.err.contains(QStringLiteral("Feche o programa antes de usar este comando")),
                     qPrintable(r.err));
        }
        QCOMPARE(data.count(QStringLiteral("ZELTAORI")), 2);
        QCOMPARE(data.count(QStringLiteral("ZELTABOL")), 0);
        QCOMPARE(QDir(zelta::RegisterCopies::folder(data.dir())).entryList(QDir::Files), copies);
        // Reading commands go on.
        const Run check = runProgram({QStringLiteral("verificar"), QStringLiteral("--dados"), data.dir()});
        QVERIFY2(check.code == 0 || check.code == 1, qPrintable(check.err));

        // A second window program on the folder says so and ends; the first
        // keeps it.
        QProcess second;
        startWindowProgram(second, data.dir());
        QByteArray said;
        QVERIFY(QTest::qWaitFor(
            [&] {
                said += second.readAllStandardError();
                return said.contains("já estão abertos") || second.state() == QProcess::NotRunning;
            },
            30000));
        QVERIFY2(QString::fromUtf8(said).contains(dados), said.constData());
        second.kill();
        second.waitForFinished();
        QCOMPARE(window.state(), QProcess::Running);
        QCOMPARE(lockHolder(data.dir()), window.processId());

        // A holder that died leaves a lock that the next writer takes over.
        window.kill();
        window.waitForFinished();
        const Run after = runProgram({QStringLiteral("copia"), QStringLiteral("--dados"), data.dir()});
        QVERIFY2(after.code == 0, qPrintable(after.err));
    }

    void nonUtf8FileNameIsWrittenUnderThatVeryName()
    {
        zelta::test::TestData data;
        data.addAdvisor(zelta::test::makeCpf(111111111), QStringLiteral("ORIENTADOR UM"));
        QTemporaryDir out;
        // "relatório" in Latin-1: the byte 0xF3 alone is not UTF-8.
        const QByteArray name("relat\xf3rio.pdf");
        const QByteArray path = QFile::encodeName(out.path()) + '/' + name;
        const int code = runWithRawArguments(
            {"relatorio", "orientadores", "--pdf", path, "--dados", QFile::encodeName(data.dir())});
        QCOMPARE(code, 0);
        QCOMPARE(rawEntries(QFile::encodeName(out.path())), QList<QByteArray>{name});
        struct stat st {};
        QCOMPARE(::stat(path.constData(), &st), 0);
        QVERIFY(st.st_size > 0);
        ::unlink(path.constData()); // a name QTemporaryDir could not remove

        // A data folder or a file to read by such a name is refused, not
        // taken under another name.
        const QByteArray folder = QFile::encodeName(out.path()) + "/dados\xe9";
        const QByteArray tex = QFile::encodeName(out.path()) + "/anterior\xe9.tex";
        const QByteArray sample = QFile::encodeName(zelta::test::sourceDir()) + "/resources/exemplo/EXEMPLO.TEX";
        // The name Qt would turn it into holds a file too: it must not be read.
        const QByteArray lossy = QFile::encodeName(plat::sys::decodePath(tex));
        QVERIFY(::symlink(sample.constData(), tex.constData()) == 0);
        QVERIFY(::symlink(sample.constData(), lossy.constData()) == 0);
        QCOMPARE(runWithRawArguments({"recuperar", sample, "--dados", folder}), 2);
        QCOMPARE(runWithRawArguments({"recuperar", tex, "--dados", QFile::encodeName(data.dir())}), 2);
        QCOMPARE(rawEntries(QFile::encodeName(out.path())).size(), 2);
        QCOMPARE(data.count(QStringLiteral("ZELTAORI")), 1);
        ::unlink(tex.constData());
    }
};

QTEST_GUILESS_MAIN(TestAppProcess)
#include "test_app_process.moc"

// The program as the user runs it, in a process of its own: files that are no
// files, and a file-size limit. Each run has a watchdog, so a program that
// hangs fails the test instead of blocking it.
#include "support/TestData.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>

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

} // namespace

class TestAppProcess : public QObject {
    Q_OBJECT

private slots:
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
};

QTEST_GUILESS_MAIN(TestAppProcess)
#include "test_app_process.moc"

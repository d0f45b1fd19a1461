#include "RealPrograms.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace zelta::test {

QString pythonWithOpenpyxl()
{
    static const QString found = [] {
        for (const QString& p : {QStringLiteral("/usr/bin/python3"), QStandardPaths::findExecutable(QStringLiteral("python3"))}) {
            if (p.isEmpty() || !QFile::exists(p))
                continue;
            QProcess probe;
            probe.start(p, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
            if (probe.waitForFinished(30000) && probe.exitCode() == 0)
                return p;
        }
        return QString();
    }();
    return found;
}

QString soffice() { return QStandardPaths::findExecutable(QStringLiteral("soffice")); }

QString runPython(const QString& script, const QStringList& args)
{
    QProcess p;
    p.start(pythonWithOpenpyxl(), QStringList{QStringLiteral("-c"), script} + args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qWarning().noquote() << p.readAllStandardError();
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool convertWithLibreOffice(const QStringList& files, const QString& to, const QString& outDir, const QString& profileDir)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    QStringList args{QStringLiteral("-env:UserInstallation=file://") + profileDir, QStringLiteral("--headless")};
    // CSVs the tests write: ';' between fields, '"' around texts, UTF-8.
    if (files.first().endsWith(QStringLiteral(".csv")))
        args << QStringLiteral("--infilter=CSV:59,34,76,1,,1046"); // Brazilian Portuguese: dates day first
    p.start(soffice(), args + QStringList{QStringLiteral("--convert-to"), to, QStringLiteral("--outdir"), outDir} + files);
    const bool ok = p.waitForFinished(240000) && p.exitCode() == 0;
    if (!ok)
        qWarning().noquote() << p.readAll();
    return ok;
}

} // namespace zelta::test

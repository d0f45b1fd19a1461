#include "platform/system/Settings.h"

#include "platform/system/PrivateFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace plat::sys {

Settings& Settings::instance()
{
    static Settings settings;
    return settings;
}

QString Settings::configFile() const
{
    if (!m_configFile.isEmpty())
        return m_configFile;
    return QDir::homePath() + QStringLiteral("/.config/zelta99/zelta99.ini");
}

QString Settings::value(const char* env, const QString& group, const QString& key) const
{
    const QString fromEnv = qEnvironmentVariable(env);
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString file = configFile();
    // Only a regular file is read: a FIFO in its place would block the start.
    if (QFileInfo(file).isFile()) {
        QSettings ini(file, QSettings::IniFormat);
        const QString v = ini.value(group + u'/' + key).toString();
        if (!v.isEmpty())
            return v;
    }
    return QString();
}

QString Settings::dataDirectory() const
{
    if (!m_dataOverride.isEmpty())
        return QDir::cleanPath(m_dataOverride);
    const QString v = value("ZELTA_DADOS", QStringLiteral("Zelta"), QStringLiteral("Diretorio"));
    if (!v.isEmpty())
        return QDir::cleanPath(v);
    return QDir::homePath() + QStringLiteral("/.local/share/zelta99");
}

QString Settings::driveDirectory(QChar letter) const
{
    const QChar up = letter.toUpper();
    if ((up == u'A' || up == u'B') && !m_driveChoice[up == u'B'].isEmpty())
        return m_driveChoice[up == u'B'];
    if (up == u'A') {
        const QString v = value("ZELTA_DRIVE_A", QStringLiteral("Drives"), QStringLiteral("A"));
        if (!v.isEmpty())
            return QDir::cleanPath(v);
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    if (up == u'B') {
        const QString v = value("ZELTA_DRIVE_B", QStringLiteral("Drives"), QStringLiteral("B"));
        return v.isEmpty() ? QString() : QDir::cleanPath(v);
    }
    return QString();
}

bool Settings::drivePresent(QChar letter) const
{
    const QString dir = driveDirectory(letter);
    return !dir.isEmpty() && QFileInfo(dir).isDir();
}

bool Settings::driveAIsDefault() const
{
    return m_driveChoice[0].isEmpty() && value("ZELTA_DRIVE_A", QStringLiteral("Drives"), QStringLiteral("A")).isEmpty();
}

void Settings::prepareDefaultDrive() const
{
    if (!driveAIsDefault())
        return;
    const QString dir = driveDirectory(u'A');
    if (!dir.isEmpty() && !QFileInfo::exists(dir))
        makePrivatePath(dir);
}

bool Settings::setDriveDirectory(QChar letter, const QString& dir)
{
    const QChar up = letter.toUpper();
    if ((up != u'A' && up != u'B') || dir.isEmpty())
        return false;
    const QString clean = QDir::cleanPath(dir);
    m_driveChoice[up == u'B'] = clean;

    const QString file = configFile();
    const QFileInfo info(file);
    // Only a regular file is replaced, as only one is read.
    if (info.exists() && !info.isFile())
        return false;
    if (!makePrivatePath(info.absolutePath()))
        return false;
    QSettings ini(file, QSettings::IniFormat);
    ini.setValue(QStringLiteral("Drives/") + up, clean);
    ini.sync();
    return ini.status() == QSettings::NoError;
}

} // namespace plat::sys

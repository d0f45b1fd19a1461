#pragma once

#include <QString>

namespace plat::sys {

// Where the program finds its data and its drives. Each value is taken from the
// first place that gives it: the command line, an environment variable, the
// settings file ~/.config/zelta99/zelta99.ini, the default.
//
//   data directory (alias Zelta)   --dados DIR   ZELTA_DADOS     [Zelta] Diretorio   ~/.local/share/zelta99
//   drive A:                                      ZELTA_DRIVE_A   [Drives] A          the documents folder
//   drive B:                                      ZELTA_DRIVE_B   [Drives] B          absent
class Settings {
public:
    static Settings& instance();

    void setDataDirectoryOverride(const QString& dir) { m_dataOverride = dir; }
    void setConfigFile(const QString& path) { m_configFile = path; }   // tests point it elsewhere
    QString configFile() const;

    QString dataDirectory() const;
    // The directory behind a drive letter (A or B); empty when the drive is not
    // configured. A drive is present when its directory exists.
    QString driveDirectory(QChar letter) const;
    bool drivePresent(QChar letter) const;

private:
    QString value(const char* env, const QString& group, const QString& key) const;
    QString m_dataOverride;
    QString m_configFile;
};

} // namespace plat::sys

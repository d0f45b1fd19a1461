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
//
// A folder the user chooses for a drive in the program is written to the
// settings file and, for the rest of the run, comes before every other place.
class Settings {
public:
    static Settings& instance();

    void setDataDirectoryOverride(const QString& dir) { m_dataOverride = dir; }
    void setConfigFile(const QString& path) { m_configFile = path; } // tests point it elsewhere
    QString configFile() const;

    QString dataDirectory() const;
    // The directory behind a drive letter (A or B); empty when the drive is not
    // configured. A drive is present when its directory exists.
    QString driveDirectory(QChar letter) const;
    bool drivePresent(QChar letter) const;

    // True when drive A: is the documents folder because nothing names
    // another folder for it.
    bool driveAIsDefault() const;
    // Makes the documents folder (0700) when drive A: is that folder and it is
    // missing; a folder named by the user (an unplugged stick) is never made.
    void prepareDefaultDrive() const;

    // Keeps the folder chosen for a drive: in the settings file ([Drives] A= or
    // B=) and for the rest of this run. False when the settings file could not
    // be written; the choice then holds for this run only.
    bool setDriveDirectory(QChar letter, const QString& dir);

    // Forgets the folders chosen in this run (tests).
    void clearDriveChoices()
    {
        m_driveChoice[0].clear();
        m_driveChoice[1].clear();
    }

private:
    QString value(const char* env, const QString& group, const QString& key) const;
    QString m_dataOverride;
    QString m_configFile;
    QString m_driveChoice[2]; // A:, B:
};

} // namespace plat::sys

#include "app/cli/CliCommands.h"

#include "data/TDm_Dados.h"
#include "platform/system/Error.h"
#include "platform/system/FileNames.h"
#include "platform/system/FullStop.h"
#include "platform/system/Settings.h"
#include "platform/system/WriterLock.h"

#include <QDir>
#include <QFileInfo>

namespace zelta::cli {

QString registerDirectory()
{
    const QString dataDir = plat::sys::Settings::instance().dataDirectory();
    if (!QFileInfo::exists(QDir(dataDir).filePath(QString::fromLatin1(TDm_Dados::kFileName))))
        throw plat::Error::input(QStringLiteral("Não há dados do Zelta 99 na pasta %1").arg(QDir::toNativeSeparators(dataDir)));
    return dataDir;
}

std::unique_ptr<plat::sys::WriterLock> holdDataFolder(const QString& dataDir)
{
    // A folder that does not exist yet has no window program on it.
    if (!QFileInfo(dataDir).isDir())
        return nullptr;
    auto lock = std::make_unique<plat::sys::WriterLock>(dataDir);
    if (lock->tryLock() == plat::sys::WriterLock::Result::Held)
        throw plat::Error::input(QStringLiteral("Os dados da pasta %1 estão abertos no programa Zelta 99 (processo %2). "
                                                "Feche o programa antes de usar este comando")
                                     .arg(QDir::toNativeSeparators(dataDir))
                                     .arg(lock->holderPid()));
    return lock;
}

void requireTextName(const QString& path)
{
    if (plat::sys::hasRawBytes(path))
        throw plat::Error::input(
            QStringLiteral("O nome %1 não está em UTF-8 e não pode ser aberto; dê ao arquivo um nome em UTF-8").arg(path));
}

void printNotices(TDm_Dados& dados, QTextStream& err)
{
    for (const QString& notice : dados.takeNotices())
        err << plat::sys::withFullStop(notice) << '\n';
}

} // namespace zelta::cli

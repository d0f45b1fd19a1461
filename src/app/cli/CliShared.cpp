#include "app/cli/CliCommands.h"

#include "data/TDm_Dados.h"
#include "platform/system/Error.h"
#include "platform/system/FullStop.h"
#include "platform/system/Settings.h"

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

void printNotices(TDm_Dados& dados, QTextStream& err)
{
    for (const QString& notice : dados.takeNotices())
        err << plat::sys::withFullStop(notice) << '\n';
}

} // namespace zelta::cli

#include "exchange/windows/ExportarPlanilha.h"

#include "app/windows/RegisterNotices.h"
#include "data/TDm_Dados.h"
#include "platform/system/Error.h"
#include "platform/system/Settings.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/Messages.h"

#include <QDir>

namespace zelta {

namespace {

QString suggestedName(sheets::ExportList list)
{
    switch (list) {
    case sheets::ExportList::Holders:
        return QStringLiteral("bolsistas.xlsx");
    case sheets::ExportList::Advisors:
        return QStringLiteral("orientadores.xlsx");
    case sheets::ExportList::Pendencias:
        break;
    }
    return QStringLiteral("pendencias.xlsx");
}

} // namespace

QString exportarPlanilha(Sessao& sessao, sheets::ExportList list, QWidget* parent)
{
    // A list is written from a register that passes the full check, as a
    // report is printed from one; asked before the file, so a refusal costs
    // the user no choosing.
    checkRegisterBeforeUse(*sessao.Dm_Dados, parent);
    const plat::sys::Settings& settings = *sessao.Configuracao;
    const QString folder = settings.drivePresent(u'A') ? settings.driveDirectory(u'A') : QDir::homePath();
    const QString path = plat::ui::chooseSaveFile(parent, QStringLiteral("Exportar Planilha"),
                                                  QDir(folder).filePath(suggestedName(list)),
                                                  {QStringLiteral("Pasta de trabalho XLSX (*.xlsx)"),
                                                   QStringLiteral("Planilha ODS (*.ods)"),
                                                   QStringLiteral("CSV separado por ponto e vírgula (*.csv)")});
    if (path.isEmpty())
        return QString();
    if (TDm_Dados::isRegisterFile(path, sessao.Dm_Dados->dataDirectory()))
        throw plat::Error::usage(QStringLiteral("%1 é um arquivo do cadastro do Zelta 99; escolha outro nome para a planilha")
                                     .arg(QDir::toNativeSeparators(path)));
    int rows = 0;
    {
        plat::ui::BusyCursor writing;
        rows = sheets::exportList(*sessao.Dm_Dados, list, path);
    }
    plat::ui::showMessage(QStringLiteral("%1 %2 na planilha %3.")
                              .arg(rows)
                              .arg(rows == 1 ? QStringLiteral("linha gravada") : QStringLiteral("linhas gravadas"),
                                   QDir::toNativeSeparators(path)),
                          parent);
    return path;
}

} // namespace zelta

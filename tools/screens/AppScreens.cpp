// The main window, the about box, the copies window and the help window.
#include "ScreenRegistry.h"

#include "app/windows/TFrm_Copias.h"
#include "app/windows/TFrm_Sobre.h"
#include "data/RegisterCopies.h"
#include "data/TDm_Dados.h"
#include "app/windows/TZelta.h"
#include "platform/ui/Help.h"
#include "platform/ui/HelpViewer.h"

namespace zelta::screens {

namespace {

const ScreenRegistrar mainWindow("principal", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    auto zelta = std::make_unique<TZelta>();
    zelta->setDataModule(&ctx.dados);
    zelta->FormActivate();   // the institution labels, as at start-up
    zelta->resize(1024, 768);
    return zelta;
});

const ScreenRegistrar about("sobre", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    return std::make_unique<TFrm_Sobre>(ctx.owner);
});

// Two copies of the sample data, one taken before a holder was deleted.
const ScreenRegistrar copies("copias", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    plat::db::Database& db = ctx.dados.database();
    const QString dir = ctx.dados.dataDirectory();
    RegisterCopies::take(db, dir, QDateTime(QDate(1999, 3, 1), QTime(9, 30, 0)));
    db.exec(QStringLiteral("DELETE FROM ZELTABOL WHERE rowid=(SELECT max(rowid) FROM ZELTABOL)"));
    RegisterCopies::take(db, dir, QDateTime(QDate(1999, 3, 2), QTime(17, 5, 12)));
    return std::make_unique<TFrm_Copias>(ctx.sessao, ctx.owner);
});

// The guide at its last topic, to check how the document reads.
const ScreenRegistrar help("ajuda", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    const QString guide = plat::ui::findHelpDocument();
    if (guide.isEmpty())
        return nullptr;
    return std::make_unique<plat::ui::HelpViewer>(guide, plat::ui::helpTopicAnchor(12), ctx.owner);
});

} // namespace

} // namespace zelta::screens

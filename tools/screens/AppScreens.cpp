// The main window (also at a size that fits the guide, and with its file menu
// open), the about box, the copies window and the help window.
#include "ScreenRegistry.h"

#include "app/windows/TFrm_Copias.h"
#include "app/windows/TFrm_Sobre.h"
#include "data/RegisterCopies.h"
#include "data/TDm_Dados.h"
#include "app/windows/TZelta.h"
#include "platform/ui/Help.h"
#include "platform/ui/HelpViewer.h"
#include "support/SourceTree.h"

#include <QMenu>
#include <QMenuBar>
#include <QPainter>

namespace zelta::screens {

namespace {

std::unique_ptr<QWidget> mainWindowOf(ScreenContext& ctx, QSize size)
{
    auto zelta = std::make_unique<TZelta>();
    zelta->setDataModule(&ctx.dados);
    zelta->FormActivate(); // the institution labels, as at start-up
    zelta->resize(size);
    return zelta;
}

// The guide's pages are read in a help window about 780 pixels wide.
const QSize kGuideSize(720, 440);

// The window with its first menu open, the menu painted where it drops down.
QPixmap withFirstMenuOpen(QWidget& window)
{
    auto* bar = window.findChild<QMenuBar*>();
    QMenu* menu = bar && !bar->actions().isEmpty() ? bar->actions().first()->menu() : nullptr;
    if (!menu)
        return window.grab();
    bar->setActiveAction(bar->actions().first());
    settle();
    if (!menu->isVisible())
        menu->popup(bar->mapToGlobal(bar->actionGeometry(bar->actions().first()).bottomLeft()));
    settle();
    QPixmap shot = window.grab();
    QPainter painter(&shot);
    painter.drawPixmap(window.mapFromGlobal(menu->mapToGlobal(QPoint(0, 0))), menu->grab());
    painter.end();
    menu->hide();
    return shot;
}

const ScreenRegistrar mainWindow("principal", [](ScreenContext& ctx) { return mainWindowOf(ctx, QSize(1024, 768)); });

const ScreenRegistrar mainInstitution("principal_instituicao", [](ScreenContext& ctx) { return mainWindowOf(ctx, kGuideSize); });

const ScreenRegistrar mainMenu(
    "principal_menu", [](ScreenContext& ctx) { return mainWindowOf(ctx, kGuideSize); }, withFirstMenuOpen);

const ScreenRegistrar about("sobre", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    return std::make_unique<TFrm_Sobre>(ctx.owner);
});

// Two copies of the sample data, one kept by a recovery, then one the user
// took after a holder was deleted.
const ScreenRegistrar copies("copias", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    plat::db::Database& db = ctx.dados.database();
    const QString dir = ctx.dados.dataDirectory();
    RegisterCopies::take(db, dir, QDateTime(QDate(1999, 3, 1), QTime(9, 30, 0)), true, CopyReason::BeforeRecovery);
    db.exec(QStringLiteral("DELETE FROM ZELTABOL WHERE rowid=(SELECT max(rowid) FROM ZELTABOL)"));
    RegisterCopies::take(db, dir, QDateTime(QDate(1999, 3, 2), QTime(17, 5, 12)), true, CopyReason::User);
    auto window = std::make_unique<TFrm_Copias>(ctx.sessao, ctx.owner);
    window->create();
    return window;
});

// The guide at its last topic, to check how the document reads.
const ScreenRegistrar help("ajuda", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    const QString guide = plat::ui::findHelpDocument({zelta::test::sourceDir() + QStringLiteral("/resources")});
    if (guide.isEmpty())
        return nullptr;
    return std::make_unique<plat::ui::HelpViewer>(guide, plat::ui::helpTopicAnchor(12), ctx.owner);
});

} // namespace

} // namespace zelta::screens

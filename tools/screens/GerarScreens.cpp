// The generation window, with both drives present, before and during writing,
// and with the folder of drive A: missing.
#include "ScreenRegistry.h"

#include "exchange/windows/TFrm_Gerar.h"
#include "SampleData.h"

#include <QDir>
#include <QProgressBar>
#include <QTemporaryDir>

namespace zelta::screens {

namespace {

// Drive A: and B: as two folders that exist for the tool's whole run.
void provideDrives()
{
    static QTemporaryDir drives;
    QDir(drives.path()).mkpath(QStringLiteral("disquete_a"));
    QDir(drives.path()).mkpath(QStringLiteral("disquete_b"));
    qputenv("ZELTA_DRIVE_A", drives.filePath(QStringLiteral("disquete_a")).toLocal8Bit());
    qputenv("ZELTA_DRIVE_B", drives.filePath(QStringLiteral("disquete_b")).toLocal8Bit());
}

const ScreenRegistrar gerar("gerar", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    provideDrives();
    return std::make_unique<TFrm_Gerar>(ctx.sessao, nullptr);
});

const ScreenRegistrar gerarProgresso("gerar_progresso", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    provideDrives();
    auto form = std::make_unique<TFrm_Gerar>(ctx.sessao, nullptr);
    form->Gauge1->setValue(66);
    return form;
});

// After a failed pre-check: the problems that stop the generation.
const ScreenRegistrar gerarPendencias("gerar_pendencias", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    provideDrives();
    auto form = std::make_unique<TFrm_Gerar>(ctx.sessao, nullptr);
    withGaps(ctx.dados, [&] { form->showProblems(); });
    return form;
});

// Drive A: on a folder that is not there (an unplugged stick): the window
// names it and offers another.
const ScreenRegistrar gerarPastaAusente("gerar_pasta_ausente", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    provideDrives();
    qputenv("ZELTA_DRIVE_A", QByteArrayLiteral("/media/pendrive/ZELTA"));
    qunsetenv("ZELTA_DRIVE_B");
    auto form = std::make_unique<TFrm_Gerar>(ctx.sessao, nullptr);
    provideDrives();
    return form;
});

} // namespace

} // namespace zelta::screens

// The generation window, with both drives present, before and during writing,
// and with the folder of drive A: missing.
#include "ScreenRegistry.h"

#include "exchange/windows/TFrm_Gerar.h"
#include "SampleData.h"

#include <QDir>
#include <QProgressBar>
#include <QFile>

namespace zelta::screens {

namespace {

// Drive A: the documents folder, and B: a stick's folder, both in the tool's
// scratch home, which exists for the whole run.
void provideDrives()
{
    const QDir home = QDir::home();
    home.mkpath(QStringLiteral("Documentos"));
    home.mkpath(QStringLiteral("pendrive"));
    qputenv("ZELTA_DRIVE_A", QFile::encodeName(home.filePath(QStringLiteral("Documentos"))));
    qputenv("ZELTA_DRIVE_B", QFile::encodeName(home.filePath(QStringLiteral("pendrive"))));
}

const ScreenRegistrar gerar("gerar", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    provideDrives();
    auto form = std::make_unique<TFrm_Gerar>(ctx.sessao, nullptr);
    form->create();
    return form;
});

const ScreenRegistrar gerarProgresso("gerar_progresso", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    provideDrives();
    auto form = std::make_unique<TFrm_Gerar>(ctx.sessao, nullptr);
    form->create();
    form->Gauge1->setValue(66);
    return form;
});

// After a failed pre-check: the problems that stop the generation.
const ScreenRegistrar gerarPendencias("gerar_pendencias", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    provideDrives();
    auto form = std::make_unique<TFrm_Gerar>(ctx.sessao, nullptr);
    form->create();
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
    form->create();
    provideDrives();
    return form;
});

} // namespace

} // namespace zelta::screens

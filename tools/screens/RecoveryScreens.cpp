// The recovery of last year's file: the window with a file chosen, and its
// file dialog.
#include "ScreenRegistry.h"

#include "exchange/windows/TFrm_Recuperar.h"
#include "support/SourceTree.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>

namespace zelta::screens {

namespace {

const ScreenRegistrar recovery("recuperar", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    // The shipped sample, as a user would have last year's file in documents.
    const QString file = QDir::home().filePath(QStringLiteral("Documentos/EXEMPLO.TEX"));
    QFile::copy(zelta::test::sourceDir() + QStringLiteral("/resources/exemplo/EXEMPLO.TEX"), file);
    auto form = std::make_unique<TFrm_Recuperar>(ctx.sessao, ctx.owner);
    form->create();
    form->EdDrive->setText(QDir::toNativeSeparators(file));
    form->Gauge1->setValue(65);
    return form;
});

const ScreenRegistrar recoveryDialog("recuperar-arquivo", [](ScreenContext& ctx) -> std::unique_ptr<QWidget> {
    auto form = std::make_unique<TFrm_Recuperar>(ctx.sessao, ctx.owner);
    form->create();
    // The dialog as it opens, in the folder of the shipped sample.
    QFileDialog* dialog = form->OpenDialog1;
    dialog->setParent(nullptr, dialog->windowFlags());
    const QString samples = zelta::test::sourceDir() + QStringLiteral("/resources/exemplo");
    dialog->setDirectory(QDir(samples).exists() ? samples : QDir::homePath());
    dialog->resize(640, 400);
    return std::unique_ptr<QWidget>(dialog);
});

} // namespace

} // namespace zelta::screens

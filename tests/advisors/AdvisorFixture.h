#pragma once

#include "app/windows/Sessao.h"
#include "support/TestHooks.h"
#include "support/TestData.h"
#include "validation/TVlCpfCgc.h"

#include <QTest>

namespace zelta {
class TFrm_Cad_Orientador;
}

namespace zelta::test {

// A provisioned data directory with what the advisor windows receive from the
// main window, messages recorded and modal windows handed to the test. The
// program-wide values of the advisor registry start as at program start.
struct AdvisorFixture {
    AdvisorFixture();
    ~AdvisorFixture();

    TestData data;
    TVlCpfCgc validator;
    Sessao sessao;
    plat::ui::MessageRecorder messages;
    plat::ui::ModalDriver modals;

    TDm_Dados& dm() { return data.dm(); }
    QString value(const QString& sql, const QVariantList& params = {});
};

// Waits until the window is the active one. For a window over another one,
// QTest::qWaitForWindowActive() answers at once, since a transient window
// counts as active while its parent is.
bool activate(QWidget* window);
// Types text as key presses, accented letters included.
void typeText(QWidget* widget, const QString& text);
// Leaves a box the way the user does: Tab to the next control.
void leave(QWidget* box);
// Gives a box the focus and types into it.
void typeInto(QWidget* box, const QString& text);

// On the entry form: types a CPF into its box and leaves it.
void enterCpf(TFrm_Cad_Orientador& form, const QString& cpf);
// On the entry form: fills every required field (name "MARIA SOUZA", "Doutor",
// title, one keyword, the area FISICA DO SOLO by its code).
void fillRequired(AdvisorFixture& f, TFrm_Cad_Orientador& form);

} // namespace zelta::test

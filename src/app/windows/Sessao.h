#pragma once

#include "platform/system/Settings.h"

#include <QString>

namespace zelta {

class TDm_Dados;
class TVlCpfCgc;

// What lives for the whole run and is shared by the windows: the data module
// with its cursors, the one CPF/CGC validator, the settings, and the area the
// area picker last returned (the next entry starts from it). The main window
// owns it and hands it to the windows that open others; a window takes its
// other inputs in its constructor and gives its results through accessors.
struct Sessao {
    TDm_Dados* Dm_Dados = nullptr;
    TVlCpfCgc* VerificarCpfCgc = nullptr;
    plat::sys::Settings* Configuracao = &plat::sys::Settings::instance();
    QString SubArea_Selecionada;
};

} // namespace zelta

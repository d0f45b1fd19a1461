#pragma once

namespace zelta {

class TDm_Dados;
class TVlCpfCgc;
class TZelta;

// What every window of the program receives from the main window: the data
// module with the shared cursors, the one CPF/CGC validator, and the main
// window itself (owner of the windows it opens, and of the institution labels).
struct AppContext {
    TDm_Dados* Dm_Dados = nullptr;
    TVlCpfCgc* VerificarCpfCgc = nullptr;
    TZelta* Zelta = nullptr;
};

} // namespace zelta

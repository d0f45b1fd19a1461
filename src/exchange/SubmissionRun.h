#pragma once

#include "exchange/SubmissionWriter.h"

namespace zelta {

class TDm_Dados;

struct SubmissionRun {
    bool preCheckPassed = false; // false: no file was written
    SubmissionResult result;
};

// The generation as the user asks for it: SQLite's full check of the register,
// the pre-check, then the file. The full check reads the register through a
// connection of its own on another thread while the pre-check and the file
// are done, and the file takes its name only once the check found the
// register sound. A damaged index is rebuilt (a notice of the data module
// tells so) and the file written again; other damage throws plat::Error (Damaged)
// and leaves no file.
SubmissionRun gerarArquivo(TDm_Dados& dados, const QString& directory, const SubmissionProgress& progress = {});

} // namespace zelta

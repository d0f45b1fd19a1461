#include "exchange/SubmissionRun.h"

#include "data/TDm_Dados.h"
#include "exchange/SubmissionCheck.h"
#include "platform/db/Database.h"

#include <future>

namespace zelta {

namespace {

// The file is abandoned before its rename: the register needs a repair first.
struct RegisterNotSound {};

} // namespace

SubmissionRun gerarArquivo(TDm_Dados& dados, const QString& directory, const SubmissionProgress& progress)
{
    plat::db::Database& db = dados.database();
    db.ensureOpen(); // opened, and quick-checked, when it was closed
    std::future<QStringList> check = std::async(std::launch::async, [file = dados.databaseFile()] {
        return plat::db::Database::checkFile(file, false);
    });
    QStringList problems;
    const auto waitForCheck = [&] {
        if (check.valid())
            problems = check.get();
        return problems.isEmpty();
    };

    SubmissionRun run;
    try {
        run.preCheckPassed = Verificar_Erro(db);
        if (run.preCheckPassed)
            run.result = generateSubmissionFile(db, directory, progress, [&] {
                if (!waitForCheck())
                    throw RegisterNotSound{};
                // Rows changed outside the program never go to the agency.
                dados.checkRowDigests();
            });
    } catch (const RegisterNotSound&) {
    } catch (...) {
        // A failure on a damaged register (a short walk through a damaged
        // index) is mended below; any other is the caller's to report.
        if (waitForCheck())
            throw;
    }
    if (waitForCheck()) {
        if (!run.preCheckPassed)
            dados.checkRowDigests(); // the file was not written; the rows are named all the same
        return run;
    }

    dados.repairIfDamaged(problems);
    dados.checkRowDigests();
    run.preCheckPassed = Verificar_Erro(db);
    if (run.preCheckPassed)
        run.result = generateSubmissionFile(db, directory, progress);
    return run;
}

} // namespace zelta

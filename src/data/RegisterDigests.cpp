// The rows of the register compared with their digests, as part of the full
// check, and the acceptance of rows changed outside the program.
#include "data/TDm_Dados.h"

#include "data/RegisterCopies.h"
#include "data/RowDigests.h"
#include "platform/system/Error.h"

#include <QDir>

using namespace plat::db;
using plat::Error;

namespace zelta {

namespace {

// At most this many records are named one by one; the rest are counted.
constexpr int kNamed = 200;

QStringList describeWithCopy(const Database& db, const QList<OutsideChange>& changes, const SoundCopy& copy)
{
    std::optional<Database> held;
    if (!copy.path.isEmpty()) {
        try {
            held.emplace();
            held->openFileAlone(copy.path);
        } catch (const Error&) {
            held.reset(); // a copy that cannot be read tells nothing
        }
    }
    QStringList lines = describeOutsideChanges(db, changes.mid(0, kNamed), held ? &*held : nullptr);
    if (changes.size() > kNamed)
        lines << QStringLiteral("e mais %1 registros").arg(changes.size() - kNamed);
    return lines;
}

} // namespace

void TDm_Dados::checkRowDigests()
{
    m_db.ensureOpen();
    refuseOutsideChanges(findOutsideChanges(m_db));
}

void TDm_Dados::refuseOutsideChanges(const QList<OutsideChange>& changes)
{
    if (changes.isEmpty())
        return;
    const SoundCopy copy = newestSoundCopy(m_dir);
    QString message = QStringLiteral("O arquivo de dados %1 tem registros alterados fora do programa, por dano no arquivo ou "
                                     "por outro programa (o programa não sabe dizer qual), e nada foi gravado a partir "
                                     "dele:\n%2\n")
                          .arg(QDir::toNativeSeparators(databaseFile()), describeWithCopy(m_db, changes, copy).join(u'\n'));
    if (!copy.path.isEmpty())
        message += QStringLiteral("A cópia de segurança sã mais recente é %1, de %2. Para restaurá-la, use \"Cópias de "
                                  "Segurança...\" no menu Arquivo, ou o comando: zelta99 restaurar %3. ")
                       .arg(QDir::toNativeSeparators(copy.path), copy.taken.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")))
                       .arg(copy.position);
    else
        message += QStringLiteral("Não há cópia de segurança sã. ");
    message += QStringLiteral("Para aceitar os registros como estão agora, use \"Aceitar alterações\" em \"Cópias de "
                              "Segurança...\" no menu Arquivo, ou o comando: zelta99 aceitar");
    throw Error::damaged(message);
}

TDm_Dados::Acceptance TDm_Dados::acceptOutsideChanges(const QDateTime& now)
{
    settleStartCheck();
    m_db.ensureOpen();
    repairIfDamaged(m_db.checkIntegrity(false));
    if (findOutsideChanges(m_db).isEmpty())
        return {};
    Acceptance out;
    out.copy = RegisterCopies::take(m_db, m_dir, now, true, CopyReason::BeforeAcceptance).path;
    // The refusal of the start check was about these rows: the acceptance
    // is the way out of it, so it does not stand in the way of its writes.
    const std::optional<Error> refused = m_startFailure;
    m_startFailure.reset();
    try {
        // What is accepted is what the copy holds: the rows are compared and
        // the digests written in one write transaction, so that no other
        // program can change a row in between and have it accepted unseen.
        Database::Transaction tx(m_db);
        Database copy;
        copy.openFileAlone(out.copy);
        if (contentFingerprint(copy) != contentFingerprint(m_db))
            throw Error::database(QStringLiteral("Os dados foram alterados por outro programa enquanto eram aceitos; nada "
                                                 "foi aceito. Tente de novo"));
        out.records = describeWithCopy(m_db, findOutsideChanges(m_db), newestSoundCopy(m_dir));
        computeAllDigests(m_db);
        tx.commit();
        return out;
    } catch (...) {
        m_startFailure = refused;
        throw;
    }
}

} // namespace zelta

#include "data/windows/RecordGuard.h"

#include "platform/db/Table.h"
#include "platform/ui/Messages.h"

namespace zelta {

using plat::db::Record;

void RecordGuard::seen() { m_version = m_table.database().dataVersion(); }

QString RecordGuard::changedText()
{
    return QStringLiteral("Os dados foram alterados por outro programa enquanto esta janela estava aberta, e o registro "
                          "selecionado não é mais o que estava na tela. A lista foi atualizada; confira o registro e "
                          "repita a operação.");
}

bool RecordGuard::currentUnchanged(QWidget* parent)
{
    const qint64 now = m_table.database().dataVersion();
    if (now == m_version)
        return true;
    m_version = now;
    if (!m_table.hasRecord()) {
        m_table.refresh();
        return true;
    }
    const Record shown = m_table.currentRecord();
    m_table.refresh();
    const Record& stored = m_table.currentRecord();
    bool same = m_table.hasRecord() && stored.rowid == shown.rowid && stored.fieldCount() == shown.fieldCount();
    for (int i = 0; same && i < shown.fieldCount(); ++i)
        same = m_table.recordValue(shown, i) == m_table.recordValue(stored, i);
    if (!same)
        plat::ui::showMessage(changedText(), parent);
    return same;
}

} // namespace zelta

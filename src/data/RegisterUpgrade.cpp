#include "data/RegisterUpgrade.h"

#include "platform/db/Database.h"
#include "platform/system/Cp1252.h"

#include <QList>
#include <QPair>

namespace zelta {

void raiseStoredTitles(plat::db::Database& db)
{
    // Read first, then written: the rows change only after the reading ends.
    QList<QPair<qint64, QString>> changed;
    {
        plat::db::Statement st = db.prepare(QStringLiteral("SELECT rowid, TITULO FROM ZELTAORI WHERE TITULO IS NOT NULL"));
        while (st.step()) {
            const QString title = st.text(1);
            const QString raised = plat::sys::upperCp1252(title);
            if (raised != title)
                changed.append({st.int64(0), raised});
        }
    }
    plat::db::Statement update = db.prepare(QStringLiteral("UPDATE ZELTAORI SET TITULO = ? WHERE rowid = ?"));
    for (const auto& [rowid, title] : std::as_const(changed)) {
        update.reset();
        update.bind(1, title);
        update.bind(2, rowid);
        update.exec();
    }
}

} // namespace zelta

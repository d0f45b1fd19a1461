#pragma once

#include "platform/db/Table.h"
#include "platform/db/CursorPositions.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QMap>
#include <QPointer>
#include <QVector>

namespace plat::db {
class DataSource;
class Query;
} // namespace plat::db

namespace plat::ui {

// One column of a grid: the field it shows, and its title and width when they
// differ from the field's definition.
struct GridColumn {
    QString field;
    QString title; // empty: the field's display label, or else its name
    int width = 0; // in characters; 0: the field's display width
};

// The rows of a data source's cursor for a grid, in the cursor's ordering and
// range. A table is read lazily in blocks around the rows the grid shows,
// starting from positions already known (the cursor's record, the edges of
// blocks read before), so that a table of any size opens at once and a jump of
// the cursor costs one position count and two block reads. A query's rows are
// already in memory.
//
// The model follows the cursor: currentRow() is the position of the cursor's
// record, announced by currentRowChanged(); moveToRow() moves the cursor.
class CursorModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CursorModel(QObject* parent = nullptr);

    void setDataSource(plat::db::DataSource* source);
    plat::db::DataSource* dataSource() const;
    // Empty: every field of the source, in its order.
    void setColumns(const QList<GridColumn>& columns);
    int columnWidthChars(int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int currentRow() const { return m_current; }
    // Moves the cursor to the record of the row; false when the row has no
    // record or the cursor has a pending change.
    bool moveToRow(int row);
    // How many records are held in memory (blocks and known positions).
    int heldRecords() const;

signals:
    void currentRowChanged(int row);

private:
    struct Column {
        GridColumn column;
        int field = -1;
    };
    struct Block {
        QList<plat::db::Record> rows;
        quint64 used = 0;
    };

    plat::db::Table* table() const;
    plat::db::Query* query() const;
    void reset();
    void resolveColumns();
    void syncCurrent(bool force);
    void onFieldEdited(int field);
    QVariant cellValue(int row, int field) const;
    const plat::db::Record* recordAt(int row) const;
    QList<plat::db::Record> readSpan(int first, int count) const;
    void remember(int position, const plat::db::Record& record) const;
    int locate(const plat::db::Table& table, const plat::db::Record& record);

    QPointer<plat::db::DataSource> m_source;
    QList<GridColumn> m_requested;
    QVector<Column> m_columns;
    QList<QMetaObject::Connection> m_links;
    int m_count = 0;
    int m_current = -1;
    qint64 m_currentRowid = 0;

    mutable QHash<int, Block> m_blocks;
    mutable QMap<int, plat::db::Record> m_marks; // known records by position
    mutable quint64 m_clock = 0;
    plat::db::CursorPositions m_positions;
};

} // namespace plat::ui

#include "platform/ui/CursorModel.h"

#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/db/Query.h"
#include "platform/ui/Guard.h"

#include <QTimer>

#include <algorithm>

namespace plat::ui {

using plat::db::Bookmark;
using plat::db::DataSource;
using plat::db::Field;
using plat::db::FieldDef;
using plat::db::FieldType;
using plat::db::Query;
using plat::db::Record;
using plat::db::Table;

namespace {

constexpr int kBlock = 64;       // rows read at once
constexpr int kMaxBlocks = 64;   // blocks kept; the least recently used go first
constexpr int kWalk = 1024;      // rows skipped per read when walking to a far position
constexpr int kMaxMarks = 20000; // known positions kept

QList<Record> reversed(QList<Record> rows)
{
    std::reverse(rows.begin(), rows.end());
    return rows;
}

} // namespace

CursorModel::CursorModel(QObject* parent) : QAbstractTableModel(parent) {}

DataSource* CursorModel::dataSource() const { return m_source; }

Table* CursorModel::table() const { return m_source ? m_source->table() : nullptr; }
Query* CursorModel::query() const { return m_source ? m_source->query() : nullptr; }

void CursorModel::setDataSource(DataSource* source)
{
    for (const auto& c : m_links)
        disconnect(c);
    m_links.clear();
    m_source = source;
    if (source) {
        m_links << connect(source, &DataSource::dataSetChanged, this, &CursorModel::reset);
        m_links << connect(source, &DataSource::dataSetReplaced, this, &CursorModel::reset);
        m_links << connect(source, &DataSource::recordChanged, this, [this] { syncCurrent(false); });
        m_links << connect(source, &DataSource::fieldEdited, this, &CursorModel::onFieldEdited);
    }
    reset();
}

void CursorModel::setColumns(const QList<GridColumn>& columns)
{
    m_requested = columns;
    reset();
}

void CursorModel::resolveColumns()
{
    m_columns.clear();
    plat::db::FieldSource* s = m_source ? m_source->source() : nullptr;
    if (!s)
        return;
    if (!m_requested.isEmpty()) {
        for (const GridColumn& c : m_requested)
            m_columns.append(Column{c, s->fieldIndexOf(c.field)});
        return;
    }
    if (Table* t = table()) {
        const auto& fields = t->definition().fields;
        for (int i = 0; i < fields.size(); ++i)
            if (t->fieldIndexOf(fields[i].name) >= 0)
                m_columns.append(Column{GridColumn{fields[i].name, {}, 0}, i});
    } else if (Query* q = query()) {
        for (int i = 0; i < q->fieldCount(); ++i)
            m_columns.append(Column{GridColumn{q->fieldDef(i).name, {}, 0}, i});
    }
}

void CursorModel::reset()
{
    beginResetModel();
    m_blocks.clear();
    m_marks.clear();
    m_positions.clear();
    m_count = 0;
    m_current = -1;
    m_currentRowid = 0;
    resolveColumns();
    runGuarded([this] {
        if (Table* t = table(); t && t->isOpen())
            m_count = t->recordCount();
        else if (Query* q = query(); q && q->isOpen())
            m_count = q->recordCount();
    });
    endResetModel();
    syncCurrent(true);
    // A large table gets its position sample in idle time, before the user
    // moves far into it.
    if (table() && m_count >= plat::db::CursorPositions::kMinRows && !m_positions.isSampled())
        QTimer::singleShot(0, this, [this] {
            if (Table* t = table(); t && t->isOpen())
                runGuarded([&] { m_positions.prepare(*t, m_count); });
        });
}

void CursorModel::syncCurrent(bool force)
{
    int row = -1;
    runGuarded([&] {
        if (Table* t = table(); t && t->isOpen() && t->hasRecord()) {
            const Record& rec = t->currentRecord();
            if (!force && rec.rowid == m_currentRowid && m_current >= 0) {
                row = m_current;
                // The record may have been reloaded with other values.
                remember(m_current, rec);
                return;
            }
            row = locate(*t, rec);
            if (row >= m_count)
                row = m_count - 1; // written since the count; the next reset sets it right
            m_currentRowid = rec.rowid;
            if (row >= 0)
                remember(row, rec);
        } else if (Query* q = query(); q && q->isOpen()) {
            row = q->recNo();
        }
    });
    if (row < 0)
        m_currentRowid = 0;
    const bool moved = row != m_current;
    m_current = row;
    if (moved || force)
        emit currentRowChanged(row);
    if (row >= 0 && !moved && columnCount() > 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void CursorModel::onFieldEdited(int field)
{
    if (m_current < 0)
        return;
    for (int c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].field == field)
            emit dataChanged(index(m_current, c), index(m_current, c));
}

bool CursorModel::moveToRow(int row)
{
    if (row < 0 || row >= m_count)
        return false;
    if (row == m_current)
        return true;
    if (Query* q = query()) {
        q->moveTo(row);
        return true;
    }
    Table* t = table();
    if (!t || t->state() != Table::State::Browse)
        return false;
    const Record* rec = recordAt(row);
    if (!rec)
        return false;
    const Bookmark mark = t->bookmarkOf(*rec);
    // Known before the cursor announces its move, so no position count is needed.
    m_current = row;
    m_currentRowid = rec->rowid;
    bool moved = false;
    try {
        moved = t->gotoBookmark(mark);
    } catch (...) {
        syncCurrent(true);
        throw;
    }
    if (!moved)
        syncCurrent(true);
    return moved;
}

int CursorModel::locate(const Table& table, const Record& record)
{
    // A record already read for the grid needs no count.
    for (auto it = m_blocks.cbegin(); it != m_blocks.cend(); ++it)
        for (int i = 0; i < it->rows.size(); ++i)
            if (it->rows.at(i).rowid == record.rowid)
                return it.key() * kBlock + i;
    return m_positions.positionOf(table, table.bookmarkOf(record), m_count);
}

int CursorModel::heldRecords() const
{
    int n = int(m_marks.size());
    for (const Block& b : m_blocks)
        n += int(b.rows.size());
    return n;
}

// ------------------------------------------------------------------ reading

void CursorModel::remember(int position, const Record& record) const
{
    if (m_marks.size() >= kMaxMarks) {
        const Record keep = m_marks.value(m_current);
        m_marks.clear();
        if (m_current >= 0 && !keep.isEmpty())
            m_marks.insert(m_current, keep);
    }
    m_marks.insert(position, record);
}

QList<Record> CursorModel::readSpan(int first, int count) const
{
    Table* t = table();
    const int end = first + count; // one past the span
    // The nearest known position: a record inside or beside the span, or one
    // of the two ends of the ordering (-1 before the first record, m_count
    // after the last).
    int from = -1;
    auto it = m_marks.lowerBound(first);
    if (it != m_marks.end() && it.key() < end) {
        from = it.key();
    } else {
        int below = -1;
        if (it != m_marks.begin())
            below = std::prev(it).key();
        int above = m_count;
        if (it != m_marks.end())
            above = it.key();
        from = (first - below) <= (above - end + 1) ? below : above;
    }

    if (from >= first && from < end) {
        const Record here = m_marks.value(from);
        const Bookmark mark = t->bookmarkOf(here);
        QList<Record> rows;
        if (from > first)
            rows = reversed(t->readFrom(&mark, from - first, true));
        rows.append(here);
        if (end - from - 1 > 0)
            rows.append(t->readFrom(&mark, end - from - 1));
        return rows;
    }

    if (from < first) {
        // Walk forward to the record before the span, then read the span.
        int pos = from;
        Bookmark mark;
        if (pos >= 0)
            mark = t->bookmarkOf(m_marks.value(pos));
        while (pos < first - 1) {
            const QList<Record> skipped = t->readFrom(pos >= 0 ? &mark : nullptr, std::min(kWalk, first - 1 - pos));
            if (skipped.isEmpty())
                return {};
            pos += int(skipped.size());
            mark = t->bookmarkOf(skipped.last());
            remember(pos, skipped.last());
        }
        return t->readFrom(pos >= 0 ? &mark : nullptr, count);
    }

    // Walk backward to the record after the span, then read the span.
    int pos = from;
    Bookmark mark;
    if (pos < m_count)
        mark = t->bookmarkOf(m_marks.value(pos));
    while (pos > end) {
        const QList<Record> skipped = t->readFrom(pos < m_count ? &mark : nullptr, std::min(kWalk, pos - end), true);
        if (skipped.isEmpty())
            return {};
        pos -= int(skipped.size());
        mark = t->bookmarkOf(skipped.last());
        remember(pos, skipped.last());
    }
    return reversed(t->readFrom(pos < m_count ? &mark : nullptr, count, true));
}

const Record* CursorModel::recordAt(int row) const
{
    if (row < 0 || row >= m_count)
        return nullptr;
    const int b = row / kBlock;
    auto it = m_blocks.find(b);
    if (it == m_blocks.end()) {
        const int first = b * kBlock;
        Block block;
        block.rows = readSpan(first, std::min(kBlock, m_count - first));
        if (!block.rows.isEmpty()) {
            remember(first, block.rows.first());
            remember(first + int(block.rows.size()) - 1, block.rows.last());
        }
        if (m_blocks.size() >= kMaxBlocks) {
            auto oldest = std::min_element(m_blocks.begin(), m_blocks.end(),
                                           [](const Block& a, const Block& c) { return a.used < c.used; });
            m_blocks.erase(oldest);
        }
        it = m_blocks.insert(b, block);
    }
    it->used = ++m_clock;
    const int i = row - b * kBlock;
    return i < it->rows.size() ? &it->rows.at(i) : nullptr;
}

QVariant CursorModel::cellValue(int row, int field) const
{
    if (Query* q = query())
        return q->valueAt(row, field);
    Table* t = table();
    // The record being edited shows its pending values.
    if (row == m_current && t->state() == Table::State::Edit)
        return t->fieldValue(field);
    const Record* rec = recordAt(row);
    return rec ? t->recordValue(*rec, field) : QVariant();
}

// ------------------------------------------------------------------ model

int CursorModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_count; }

int CursorModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_columns.size()); }

int CursorModel::columnWidthChars(int column) const
{
    const Column& c = m_columns.at(column);
    if (c.column.width > 0)
        return c.column.width;
    plat::db::FieldSource* s = m_source ? m_source->source() : nullptr;
    if (s && c.field >= 0) {
        const FieldDef& def = s->fieldDef(c.field);
        if (def.displayWidth > 0)
            return def.displayWidth;
        if (def.size > 0)
            return def.size;
    }
    return 10;
}

QVariant CursorModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_count || index.column() >= m_columns.size())
        return {};
    const Column& c = m_columns.at(index.column());
    if (c.field < 0)
        return {};
    plat::db::FieldSource* s = m_source ? m_source->source() : nullptr;
    if (!s)
        return {};
    const FieldDef& def = s->fieldDef(c.field);
    if (role == Qt::TextAlignmentRole) {
        const bool number = def.type == FieldType::Integer || def.type == FieldType::Float || def.type == FieldType::AutoInc;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    if (role != Qt::DisplayRole)
        return {};
    // Painting cannot report a failure; a row that cannot be read shows empty.
    try {
        return Field::toText(def, cellValue(index.row(), c.field));
    } catch (...) {
        return {};
    }
}

QVariant CursorModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::ToolTipRole) || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    const Column& c = m_columns.at(section);
    if (!c.column.title.isEmpty())
        return c.column.title;
    plat::db::FieldSource* s = m_source ? m_source->source() : nullptr;
    if (s && c.field >= 0 && !s->fieldDef(c.field).displayLabel.isEmpty())
        return s->fieldDef(c.field).displayLabel;
    return c.column.field;
}

Qt::ItemFlags CursorModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace plat::ui

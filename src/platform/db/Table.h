#pragma once

#include "platform/db/Database.h"
#include "platform/db/Field.h"
#include "platform/db/Ordering.h"
#include "platform/db/Record.h"
#include "platform/db/StatementCache.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace plat::db {

// A cursor on one table of the database: ordering, current record, key range and
// pending edit. It is a shared object: every window that holds the same Table sees
// its position, ordering, range and edit state.
//
// Navigation seeks through the ordering's index from the current record's key,
// so a step costs one index search whatever the size of the table.
class Table : public QObject, public FieldSource {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert, SetKey };

    Table(Database& db, const QString& tableName, QObject* parent = nullptr);
    ~Table() override;

    Database& database() const { return m_db; }
    QString tableName() const { return m_tableName; }
    const TableDef& definition() const;

    // Fields this cursor declares; empty means every field of the table.
    void setDeclaredFields(const QStringList& names) { m_declared = names; }

    void open();
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }

    // Ordering by index name ("" is the primary order) or by a field list
    // ("Nome", "CPF;NOME"); names match without regard to case. Changing the
    // ordering keeps the cursor open and on the same record.
    void setIndexName(const QString& name);
    void setIndexFieldNames(const QString& fields);
    QString indexName() const { return m_indexName; }
    QString indexFieldNames() const { return m_indexFieldNames; }
    QStringList keyFields() const; // the key fields of the current ordering
    const Ordering& ordering() const { return m_ordering; }

    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const;
    bool hasRecord() const { return m_hasRecord; }
    int recordCount() const;

    // Exact look-up of the first keys of the current ordering. On failure the
    // cursor stays where it was.
    bool findKey(const QVariantList& keys);
    // Moves to the first record whose key is equal to or after keys; past the
    // last key, to the last record.
    void findNearest(const QVariantList& keys);

    // Key ranges: set the start and end values field by field (in SetKey state),
    // or give both at once; applying moves to the first record of the range.
    void setRangeStart();
    void setRangeEnd();
    void applyRange();
    void cancelRange();
    void setRange(const QVariantList& start, const QVariantList& end);
    bool hasRange() const { return m_rangeActive; }

    // Fields of the current record (or of the pending edit).
    Field field(const QString& name);
    QVariant value(const QString& name) const;
    void setValue(const QString& name, const QVariant& value);

    void insert();
    void append();
    void edit();
    void post();
    void cancel();
    void remove();
    void refresh();

    // Block reads in the current ordering and range, for grids that show a
    // window of records without moving the cursor.
    Bookmark bookmark() const;
    bool gotoBookmark(const Bookmark& mark);
    QList<Record> readFrom(const Bookmark* from, int count, bool backward = false) const;
    Bookmark bookmarkOf(const Record& record) const;
    int positionOf(const Bookmark& mark) const; // records before it in the ordering
    const Record& currentRecord() const { return m_current; }
    QVariant recordValue(const Record& record, int fieldIndex) const { return record.value(fieldIndex, fieldDef(fieldIndex)); }

    // FieldSource
    const FieldDef& fieldDef(int index) const override;
    QVariant fieldValue(int index) const override;
    void setFieldValue(int index, const QVariant& value) override;
    int fieldIndexOf(const QString& name) const override;
    QString sourceName() const override { return m_tableName; }

signals:
    void recordChanged();  // the current record moved, or its values changed
    void dataSetChanged(); // opened, closed, reordered, ranged, posted, deleted or refreshed
    void stateChanged();
    void fieldEdited(int fieldIndex);

private:
    void requireOpen() const;
    void resolveOrdering(const IndexDef* index);
    QVariantList keyOf(const Record& record) const;
    QVariantList keyForSearch(const QVariantList& keys) const;
    QString selectList() const;
    QString rangeWhere(QVariantList& params) const;
    bool fetchOne(const QString& where, const QVariantList& params, bool descending, Record& out) const;
    Record readRow(const Statement& st) const;
    void setCurrent(const Record& record);
    void setNoRecord();
    void moveToEnd(bool last); // first() or last(): the ordering's first or last record
    void checkBrowse();
    QVariant normalise(const FieldDef& def, const QVariant& value) const;
    void setState(State s);

    Database& m_db;
    QString m_tableName;
    const TableDef* m_def = nullptr;
    QStringList m_declared;
    State m_state = State::Inactive;

    QString m_indexName;
    QString m_indexFieldNames;
    const IndexDef* m_index = nullptr;
    Ordering m_ordering;

    Record m_current;
    bool m_hasRecord = false;
    bool m_eof = true;
    bool m_bof = true;

    QVector<QVariant> m_buffer; // pending edit or insert
    QVector<bool> m_modified;

    bool m_rangeActive = false;
    QVariantList m_rangeStart;
    QVariantList m_rangeEnd;
    QVector<QVariant> m_keyBuffers[2];
    QVector<bool> m_keySets[2];
    int m_keyEditing = 0;

    // Records that follow the current one, read ahead in one statement so that a
    // forward walk costs one search per block. The block is used while the
    // database's read stamp is the one it was read at (Database::readStamp).
    mutable QList<Record> m_ahead;
    mutable Database::ReadStamp m_aheadStamp;
    mutable StatementCache m_statements{m_db};
    mutable QString m_selectList;
    Statement& cached(const QString& sql) const { return m_statements.get(sql); }
    void dropAhead() const { m_ahead.clear(); }
};

} // namespace plat::db

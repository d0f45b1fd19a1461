// A table cursor's pending edit: values typed into it, and inserting,
// posting, cancelling and deleting records.
#include "platform/db/Table.h"

#include "platform/system/Error.h"

namespace plat::db {

QVariant Table::normalise(const FieldDef& def, const QVariant& value) const
{
    if (!value.isValid() || value.isNull())
        return def.type == FieldType::Text ? QVariant(QString()) : QVariant();
    switch (def.type) {
    case FieldType::Text: {
        const QString s = value.toString();
        return def.size > 0 ? QVariant(s.left(def.size)) : QVariant(s);
    }
    case FieldType::Integer:
    case FieldType::AutoInc:
        if (value.typeId() == QMetaType::QString)
            return Field::fromText(def, value.toString());
        return QVariant(value.toLongLong());
    case FieldType::Float:
        if (value.typeId() == QMetaType::QString)
            return Field::fromText(def, value.toString());
        return QVariant(value.toDouble());
    case FieldType::Date:
        if (value.typeId() == QMetaType::QString)
            return Field::fromText(def, value.toString());
        return value.toDate().isValid() ? QVariant(value.toDate()) : QVariant();
    }
    return value;
}

void Table::setFieldValue(int index, const QVariant& v)
{
    requireOpen();
    const FieldDef& def = fieldDef(index);
    if (m_state == State::SetKey) {
        m_keyBuffers[m_keyEditing][index] = normalise(def, v);
        m_keySets[m_keyEditing][index] = true;
        return;
    }
    if (m_state != State::Edit && m_state != State::Insert)
        throw Error::database(QStringLiteral("A tabela %1 não está em modo de edição ou inclusão").arg(m_tableName));
    if (def.type == FieldType::AutoInc)
        throw Error::database(QStringLiteral("O campo %1 é numerado pela tabela e não pode ser alterado").arg(def.name));
    const QVariant n = normalise(def, v);
    if (m_buffer[index] == n && m_buffer[index].isNull() == n.isNull())
        return;
    m_buffer[index] = n;
    m_modified[index] = true;
    emit fieldEdited(index);
}

// ---------------------------------------------------------------- editing

void Table::insert()
{
    checkBrowse();
    m_db.beforeWrite();
    const TableDef& def = definition();
    m_buffer = QVector<QVariant>(def.fields.size());
    for (int i = 0; i < def.fields.size(); ++i)
        if (def.fields[i].type == FieldType::Text)
            m_buffer[i] = QString();
    m_modified = QVector<bool>(def.fields.size(), false);
    setState(State::Insert);
    emit recordChanged();
}

void Table::append() { insert(); }

void Table::edit()
{
    requireOpen();
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    checkBrowse();
    m_db.beforeWrite();
    if (!m_hasRecord) {
        // Editing an empty table starts a new record, as the user expects.
        insert();
        return;
    }
    Record fresh;
    if (!fetchOne(QStringLiteral("rowid=?"), {m_current.rowid}, false, fresh)) {
        // The record may lie outside the range after another change, or be gone.
        Statement& st = cached(QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?").arg(selectList(), quoted(definition().name)));
        st.bind(1, m_current.rowid);
        if (!st.step())
            throw Error::database(QStringLiteral("O registro foi excluído por outro usuário"));
        fresh = readRow(st);
        st.reset();
    }
    setCurrent(fresh);
    m_buffer = QVector<QVariant>(fresh.fieldCount());
    for (int i = 0; i < m_buffer.size(); ++i)
        m_buffer[i] = fresh.value(i, fieldDef(i));
    m_modified = QVector<bool>(m_buffer.size(), false);
    setState(State::Edit);
    emit recordChanged();
}

void Table::post()
{
    requireOpen();
    if (m_state == State::SetKey) {
        applyRange();
        return;
    }
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    const TableDef& def = definition();
    qint64 rowid = m_current.rowid;
    if (m_state == State::Insert) {
        QStringList cols;
        QVariantList params;
        for (int i = 0; i < def.fields.size(); ++i) {
            if (def.fields[i].type == FieldType::AutoInc)
                continue;
            cols << quoted(def.fields[i].name);
            params << m_buffer[i];
        }
        Statement& st = cached(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(quoted(def.name), cols.join(u','), placeholders(int(cols.size()))));
        st.bindAll(params);
        st.exec();
        rowid = m_db.lastInsertRowId();
    } else {
        QStringList sets;
        QVariantList params;
        for (int i = 0; i < def.fields.size(); ++i) {
            if (!m_modified[i])
                continue;
            sets << quoted(def.fields[i].name) + QStringLiteral("=?");
            params << m_buffer[i];
        }
        if (!sets.isEmpty()) {
            params << rowid;
            Statement& st = cached(QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(quoted(def.name), sets.join(u',')));
            st.bindAll(params);
            st.exec();
        }
    }
    Statement& st = cached(QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?").arg(selectList(), quoted(def.name)));
    st.bind(1, rowid);
    if (st.step())
        setCurrent(readRow(st));
    st.reset();
    m_buffer.clear();
    m_modified.clear();
    m_eof = m_bof = false;
    dropAhead();
    setState(State::Browse);
    emit dataSetChanged();
    emit recordChanged();
}

void Table::cancel()
{
    requireOpen();
    if (m_state == State::Browse)
        return;
    m_buffer.clear();
    m_modified.clear();
    setState(State::Browse);
    emit recordChanged();
}

void Table::remove()
{
    requireOpen();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_state != State::Browse)
        cancel();
    m_db.beforeWrite();
    if (!m_hasRecord)
        throw Error::database(QStringLiteral("Não há registro para excluir na tabela %1").arg(m_tableName));
    const Bookmark was = bookmark();
    Statement& del = cached(QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(quoted(definition().name)));
    del.bind(1, was.rowid);
    del.exec();
    dropAhead();
    Record r;
    if (fetchOne(m_ordering.compare(QStringLiteral(">")), was.key, false, r)
        || fetchOne(m_ordering.compare(QStringLiteral("<")), was.key, true, r)) {
        setCurrent(r);
        m_eof = m_bof = false;
    } else {
        setNoRecord();
    }
    emit dataSetChanged();
    emit recordChanged();
}

void Table::refresh()
{
    checkBrowse();
    dropAhead();
    m_statements.clear();
    if (m_hasRecord) {
        const Bookmark was = bookmark();
        Record r;
        if (fetchOne(QStringLiteral("rowid=?"), {was.rowid}, false, r)) {
            setCurrent(r);
        } else {
            if (fetchOne(m_ordering.compare(QStringLiteral(">=")), was.key, false, r) || fetchOne(QString(), {}, true, r))
                setCurrent(r);
            else
                setNoRecord();
        }
    } else {
        Record r;
        if (fetchOne(QString(), {}, false, r)) {
            setCurrent(r);
            m_eof = m_bof = false;
        }
    }
    emit dataSetChanged();
    emit recordChanged();
}

} // namespace plat::db

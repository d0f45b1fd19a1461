#include "platform/db/Record.h"

#include <QVarLengthArray>

#include <cstring>

namespace plat::db {

namespace {

using Header = quint32;

// A field's entry in the header: its length and storage kind in one word.
Header lengthAndKind(quint32 length, StoredValue::Kind kind) { return (length << 2) | Header(kind); }

} // namespace

int Record::fieldCount() const { return m_data.isEmpty() ? 0 : int(*reinterpret_cast<const Header*>(m_data.constData())); }

Record Record::read(const Statement& st, int firstColumn, int count)
{
    // Each column is read once from the engine; the record then takes all of
    // them in one allocation.
    QVarLengthArray<StoredValue, 24> values(count);
    qsizetype payload = 0;
    for (int i = 0; i < count; ++i) {
        values[i] = st.stored(firstColumn + i);
        if (values[i].kind == StoredValue::Integer || values[i].kind == StoredValue::Real)
            payload += 8;
        else
            payload += values[i].text.size();
    }
    const qsizetype header = qsizetype(sizeof(Header)) * (1 + 2 * count);
    Record r;
    r.m_data = QByteArray(header + payload, Qt::Uninitialized);
    auto* head = reinterpret_cast<Header*>(r.m_data.data());
    char* out = r.m_data.data() + header;
    head[0] = Header(count);
    Header offset = Header(header);
    for (int i = 0; i < count; ++i) {
        const StoredValue& v = values[i];
        quint32 len = 0;
        switch (v.kind) {
        case StoredValue::Integer:
            memcpy(out, &v.integer, 8);
            len = 8;
            break;
        case StoredValue::Real:
            memcpy(out, &v.real, 8);
            len = 8;
            break;
        case StoredValue::Null:
            break;
        case StoredValue::Text:
            len = quint32(v.text.size());
            if (len)
                memcpy(out, v.text.data(), len);
            break;
        }
        head[1 + 2 * i] = offset;
        head[2 + 2 * i] = lengthAndKind(len, v.kind);
        out += len;
        offset += len;
    }
    r.rowid = st.int64(0);
    return r;
}

QVariant Record::value(int index, const FieldDef& def) const
{
    StoredValue v;
    if (index >= 0 && index < fieldCount()) {
        const auto* head = reinterpret_cast<const Header*>(m_data.constData());
        const char* p = m_data.constData() + head[1 + 2 * index];
        const quint32 len = head[2 + 2 * index] >> 2;
        v.kind = StoredValue::Kind(head[2 + 2 * index] & 3);
        if (v.kind == StoredValue::Integer)
            memcpy(&v.integer, p, 8);
        else if (v.kind == StoredValue::Real)
            memcpy(&v.real, p, 8);
        else if (v.kind == StoredValue::Text)
            v.text = QByteArrayView(p, len);
    }
    return decodeStored(def.type, v);
}

} // namespace plat::db

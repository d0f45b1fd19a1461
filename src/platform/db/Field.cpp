#include "platform/db/Field.h"

#include "platform/system/Error.h"

#include <QLocale>

namespace plat::db {

bool Field::isNull() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return true;
    return def().type == FieldType::Text && v.toString().isEmpty();
}

QString Field::asString() const { return toText(def(), value()); }

qint64 Field::asInteger() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return 0;
    switch (def().type) {
    case FieldType::Integer:
    case FieldType::AutoInc:
        return v.toLongLong();
    case FieldType::Float:
        return qRound64(v.toDouble());
    default: {
        const QString text = v.toString().trimmed();
        if (text.isEmpty())
            return 0;
        bool ok = false;
        const qint64 n = text.toLongLong(&ok);
        if (!ok)
            throw Error::database(QStringLiteral("'%1' is not a valid integer value").arg(v.toString()));
        return n;
    }
    }
}

double Field::asFloat() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return 0.0;
    if (def().type == FieldType::Text) {
        const QString text = v.toString().trimmed();
        if (text.isEmpty())
            return 0.0;
        bool ok = false;
        double d = text.toDouble(&ok);
        if (!ok)
            d = QString(text).replace(u',', u'.').toDouble(&ok);
        if (!ok)
            throw Error::database(QStringLiteral("'%1' is not a valid floating point value").arg(v.toString()));
        return d;
    }
    return v.toDouble();
}

QDate Field::asDate() const
{
    const QVariant v = value();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    return QDate();
}

void Field::setAsString(const QString& text) { setValue(fromText(def(), text)); }

QString Field::toText(const FieldDef& def, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (def.type) {
    case FieldType::Date: {
        const QDate d = value.toDate();
        return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : QString();
    }
    case FieldType::Float: {
        const double d = value.toDouble();
        return QString::number(d, 'g', 15);
    }
    case FieldType::Integer:
    case FieldType::AutoInc:
        return QString::number(value.toLongLong());
    case FieldType::Text:
        return value.toString();
    }
    return value.toString();
}

QVariant Field::fromText(const FieldDef& def, const QString& text)
{
    const QString trimmed = text.trimmed();
    switch (def.type) {
    case FieldType::Text:
        return def.size > 0 ? QVariant(text.left(def.size)) : QVariant(text);
    case FieldType::Integer:
    case FieldType::AutoInc: {
        if (trimmed.isEmpty())
            return QVariant();
        bool ok = false;
        const qint64 n = trimmed.toLongLong(&ok);
        if (!ok)
            throw Error::database(QStringLiteral("'%1' is not a valid integer value").arg(text));
        return QVariant(n);
    }
    case FieldType::Float: {
        if (trimmed.isEmpty())
            return QVariant();
        bool ok = false;
        double d = trimmed.toDouble(&ok);
        if (!ok)
            d = QString(trimmed).replace(u',', u'.').toDouble(&ok);
        if (!ok)
            throw Error::database(QStringLiteral("'%1' is not a valid floating point value").arg(text));
        return QVariant(d);
    }
    case FieldType::Date: {
        // A mask box with nothing typed holds only separators and blanks.
        QString digits = trimmed;
        digits.remove(u'/').remove(u'_').remove(u' ');
        if (digits.isEmpty())
            return QVariant();
        const QDate d = QDate::fromString(trimmed, QStringLiteral("d/M/yyyy"));
        if (!d.isValid())
            throw Error::database(QStringLiteral("'%1' is not a valid date").arg(text));
        return QVariant(d);
    }
    }
    return QVariant(text);
}

} // namespace plat::db

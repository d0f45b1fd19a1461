#include "exchange/sheets/CellValues.h"

#include "exchange/CpfText.h"

#include <QRegularExpression>

#include <cmath>

namespace zelta::sheets {

QString textOf(const Cell& cell)
{
    switch (cell.type) {
    case Cell::Type::Empty:
    case Cell::Type::Uncomputed:
        return QString();
    case Cell::Type::Text:
        return cell.text.trimmed();
    case Cell::Type::Date:
        return cell.date.toString(QStringLiteral("dd/MM/yyyy"));
    case Cell::Type::Number:
        if (std::floor(cell.number) == cell.number && std::fabs(cell.number) < 1e15)
            return QString::number(qint64(cell.number));
        return QString::number(cell.number, 'g', 15);
    }
    return QString();
}

QString shownOf(const Cell& cell) { return textOf(cell); }

std::optional<QString> cpfOf(const Cell& cell)
{
    QString digits;
    if (cell.type == Cell::Type::Number) {
        if (cell.number < 0 || cell.number >= 1e11 || std::floor(cell.number) != cell.number)
            return std::nullopt;
        digits = QStringLiteral("%1").arg(qint64(cell.number), 11, 10, QLatin1Char('0'));
    } else if (static const QRegularExpression bare(QStringLiteral("^\\d{1,11}$")); bare.match(textOf(cell)).hasMatch()) {
        // Bare digits: a number a spreadsheet wrote out without its zeros.
        digits = textOf(cell).rightJustified(11, u'0');
    } else {
        static const QRegularExpression shape(QStringLiteral("^(\\d{3})\\.?(\\d{3})\\.?(\\d{3})[-.]?(\\d{2})$"));
        const QRegularExpressionMatch m = shape.match(textOf(cell).remove(u' '));
        if (!m.hasMatch())
            return textOf(cell).isEmpty() ? std::optional<QString>(QString()) : std::nullopt;
        digits = m.captured(1) + m.captured(2) + m.captured(3) + m.captured(4);
    }
    return formatCpf(digits);
}

std::optional<QDate> dateOf(const Cell& cell, const QDate& today)
{
    if (cell.type == Cell::Type::Date)
        return cell.date.isValid() ? std::optional<QDate>(cell.date) : std::nullopt;
    QString text = textOf(cell);
    if (text.isEmpty())
        return QDate();
    if (cell.type == Cell::Type::Number)
        return std::nullopt;
    // A date kept with its time, the time being midnight.
    static const QRegularExpression midnight(QStringLiteral("^(\\S+)(?:\\s+|T)0?0:00(?::00(?:[.,]0+)?)?$"));
    if (const auto m = midnight.match(text); m.hasMatch())
        text = m.captured(1);
    static const QRegularExpression dayFirst(QStringLiteral("^(\\d{1,2})[/.-](\\d{1,2})[/.-](\\d{4}|\\d{2})$"));
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    int day = 0, month = 0, year = 0;
    if (const auto m = dayFirst.match(text); m.hasMatch()) {
        day = m.captured(1).toInt();
        month = m.captured(2).toInt();
        year = m.captured(3).toInt();
        // A two-digit year is the one of the last hundred years: 79 is 1979,
        // and a year not yet reached in this century is of the one before.
        if (m.captured(3).size() == 2)
            year += year <= today.year() % 100 ? today.year() / 100 * 100 : today.year() / 100 * 100 - 100;
    } else if (const auto i = iso.match(text); i.hasMatch()) {
        year = i.captured(1).toInt();
        month = i.captured(2).toInt();
        day = i.captured(3).toInt();
    } else {
        return std::nullopt;
    }
    const QDate date(year, month, day);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

QString agenciaOf(const Cell& cell)
{
    if (cell.type == Cell::Type::Number && cell.number >= 0 && cell.number < 10000 && std::floor(cell.number) == cell.number)
        return QStringLiteral("%1").arg(int(cell.number), 4, 10, QLatin1Char('0'));
    static const QRegularExpression bare(QStringLiteral("^\\d{1,3}$"));
    const QString text = textOf(cell);
    return bare.match(text).hasMatch() ? text.rightJustified(4, u'0') : text;
}

} // namespace zelta::sheets

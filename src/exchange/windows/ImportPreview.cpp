#include "exchange/windows/ImportPreview.h"

#include "exchange/sheets/CellValues.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include <algorithm>

namespace zelta {

void ImportPreview::setSheet(const sheets::Sheet* sheet)
{
    beginResetModel();
    m_sheet = sheet;
    m_problems.clear();
    m_changes.clear();
    m_columns = 0;
    if (m_sheet)
        for (const sheets::SheetRow& r : m_sheet->rows)
            m_columns = std::max(m_columns, int(r.cells.size()));
    endResetModel();
}

void ImportPreview::setProblems(const QList<sheets::RowProblem>& problems)
{
    beginResetModel();
    m_problems.clear();
    for (const sheets::RowProblem& p : problems)
        m_problems[p.row].append(QStringLiteral("%1: %2").arg(p.field, p.message));
    endResetModel();
}

void ImportPreview::setChanges(const sheets::ImportCheck* check)
{
    beginResetModel();
    m_changes.clear();
    if (check) {
        for (const int row : check->recordRows)
            m_changes[row] = QStringList{QStringLiteral("novo cadastro")};
        for (const int row : check->unchangedRows)
            m_changes[row] = QStringList{QStringLiteral("sem alteração")};
        for (const sheets::RecordUpdate& u : check->updates)
            for (const sheets::FieldChange& c : u.changes)
                m_changes[u.row].append(sheets::changeText(c));
    }
    endResetModel();
}

QStringList ImportPreview::changes(int row) const { return m_changes.value(rowAt(row).number); }

bool ImportPreview::hasProblems(int row) const { return m_problems.contains(rowAt(row).number); }

QString ImportPreview::problemsText(int row) const { return m_problems.value(rowAt(row).number).join(QStringLiteral("; ")); }

int ImportPreview::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_sheet || m_sheet->rows.isEmpty())
        return 0;
    return int(m_sheet->rows.size()) - 1;
}

int ImportPreview::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_columns + 2; }

QVariant ImportPreview::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int column = index.column();
    const bool bad = hasProblems(index.row());
    switch (role) {
    case Qt::DisplayRole:
        if (column == 0)
            return rowAt(index.row()).number;
        if (column == kProblems)
            return problemsText(index.row());
        if (column == kChanges)
            return changes(index.row()).join(QStringLiteral("; "));
        return sheets::shownOf(rowAt(index.row()).cell(column - kFirstCell));
    case Qt::ToolTipRole:
        if (column == kChanges && !changes(index.row()).isEmpty())
            return changes(index.row()).join(u'\n');
        return bad ? m_problems.value(rowAt(index.row()).number).join(u'\n') : QVariant();
    case Qt::BackgroundRole:
        return bad ? QBrush(QColor(255, 214, 214)) : QVariant();
    case Qt::ForegroundRole:
        return bad && column == kProblems ? QBrush(QColor(150, 0, 0)) : QVariant();
    case Qt::FontRole:
        if (bad && column <= kProblems) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::TextAlignmentRole:
        return column == 0 ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    default:
        return {};
    }
}

QVariant ImportPreview::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == 0)
        return QStringLiteral("Linha");
    if (section == kProblems)
        return QStringLiteral("Problemas");
    if (section == kChanges)
        return QStringLiteral("Alterações");
    const int column = section - kFirstCell;
    const QString heading = m_sheet ? sheets::shownOf(m_sheet->rows.value(0).cell(column)) : QString();
    return heading.isEmpty() ? QStringLiteral("(coluna %1)").arg(column + 1) : heading;
}

} // namespace zelta

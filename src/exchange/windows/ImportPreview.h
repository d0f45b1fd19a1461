#pragma once

#include "exchange/sheets/SheetImport.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>

namespace zelta {

// The rows of a sheet below its heading row as the import window shows them:
// the row number the spreadsheet program shows, the row's problems (in the
// second column, seen without scrolling), what the row does to the register
// (a new record, or each change to a registered one as "campo: antes →
// depois"), and every cell as text. A row with problems is drawn on a red
// background with its problems in dark red.
class ImportPreview : public QAbstractTableModel {
public:
    static constexpr int kProblems = 1;  // the column of the problems
    static constexpr int kChanges = 2;   // the column of what the row does
    static constexpr int kFirstCell = 3; // the column of the sheet's column A

    explicit ImportPreview(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // The sheet shown (kept by the caller for as long as it is shown); its
    // first row gives the column headings. No problems until setProblems().
    void setSheet(const sheets::Sheet* sheet);
    void setProblems(const QList<sheets::RowProblem>& problems);
    // What each row does, from a check; none until then.
    void setChanges(const sheets::ImportCheck* check);

    // Rows below the heading, and those of them with a problem.
    int rowsWithProblems() const { return int(m_problems.size()); }
    bool hasProblems(int row) const;
    QString problemsText(int row) const;
    // "novo cadastro", "sem alteração" or the changes, one per line.
    QStringList changes(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const sheets::SheetRow& rowAt(int row) const { return m_sheet->rows.at(row + 1); }

    const sheets::Sheet* m_sheet = nullptr;
    int m_columns = 0;                  // the sheet's columns
    QHash<int, QStringList> m_problems; // by the row's number in the sheet
    QHash<int, QStringList> m_changes;  // by the row's number in the sheet
};

} // namespace zelta

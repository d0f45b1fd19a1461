#pragma once

#include "platform/ui/CursorModel.h"

#include <QTableView>

namespace plat::db {
class DataSource;
}

namespace plat::ui {

// A read-only grid over a data source: one row per record of the cursor, in
// its ordering, whole-row selection that stays visible without the focus, and
// column titles. The selected row is the cursor's record: moving the cursor
// moves the selection, and choosing a row (mouse or keys) moves the cursor.
// Rows are fetched as they come into view.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);

    void setDataSource(plat::db::DataSource* source);
    plat::db::DataSource* dataSource() const { return m_model->dataSource(); }
    // The columns shown, by field name; titles and widths come from the field
    // definitions unless given. Empty: every field.
    void setColumns(const QList<GridColumn>& columns);
    void setColumns(const QStringList& fields);
    CursorModel* cursorModel() const { return m_model; }

    // Pixel width of a column of the given number of characters.
    int widthForChars(int chars) const;

protected:
    bool viewportEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void followCursor(int row);
    void onCurrentRowChanged(const QModelIndex& current, const QModelIndex& previous);
    void applyWidths();

    CursorModel* m_model;
    bool m_following = false;
};

} // namespace plat::ui

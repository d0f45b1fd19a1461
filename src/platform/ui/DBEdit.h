#pragma once

#include "platform/ui/MaskEdit.h"

namespace plat::db {
class DataSource;
}

namespace plat::ui {

class FieldLink;

// An edit box bound to one field of a data source: it shows the field of the
// current record, follows the cursor, and writes what the user types into the
// record at once. The field's edit mask and size apply to the box. A value
// that does not convert to the field's type (a date, a number) is written when
// it converts and refused, with the conversion's message, when the box is left.
class DBEdit : public MaskEdit {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);
    DBEdit(plat::db::DataSource* source, const QString& field, QWidget* parent = nullptr);

    void setDataSource(plat::db::DataSource* source);
    void setDataField(const QString& field);
    plat::db::DataSource* dataSource() const;
    FieldLink* link() const { return m_link; }

    // Text typed but not yet written because it does not convert (a date or a
    // number), as when a button that takes no focus is clicked while the box
    // still has it.
    // Writes that text; when it does not convert, puts the focus back in the
    // box and throws plat::Error with the conversion's message.
    void commitPendingText();

protected:
    bool acceptLeave(QString* error) override;
    void abandonChanges() override;

private:
    void applyDefinition();
    void load();
    void write(const QString& value);
    void writePending(); // throws plat::Error when the text does not convert

    FieldLink* m_link;
    bool m_pending = false; // typed text not yet converted into the field
};

// Writes the pending text of every bound box of a form before its record is
// posted, so that a date or number that does not convert stops the post with
// its message instead of leaving the field's earlier value in the record.
void commitPendingEdits(QWidget* form);

} // namespace plat::ui

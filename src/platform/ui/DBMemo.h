#pragma once

#include <QPlainTextEdit>

class QGroupBox;

namespace plat::db {
class DataSource;
}

namespace plat::ui {

class FieldLink;

// A memo bound to one text field of a data source: it shows the field of the
// current record, follows the cursor, and writes what the user types into the
// record at once, composed into NFC, within the field's size and the
// characters that may enter the register. Line breaks are part of a memo's
// text; any other control character, or a character Windows-1252 cannot
// carry, refuses the edit with a message naming the field. A read-only memo
// only shows the field.
class DBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DBMemo(QWidget* parent = nullptr);
    DBMemo(plat::db::DataSource* source, const QString& field, QWidget* parent = nullptr);

    void setDataSource(plat::db::DataSource* source);
    void setDataField(const QString& field);
    plat::db::DataSource* dataSource() const;
    FieldLink* link() const { return m_link; }

    // At most this many characters (0: the field's size).
    void setMaxLength(int length) { m_maxLength = length; }
    int maxLength() const;
    // One paragraph: a line break typed or pasted becomes a blank, so that the
    // text stays one line in the files written from it.
    void setSingleParagraph(bool on) { m_singleParagraph = on; }

signals:
    void entered(); // the memo received the focus

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    void load();
    void onTextChanged();
    QString withLineBreaks(const QString& text) const;

    FieldLink* m_link;
    int m_maxLength = 0;
    bool m_singleParagraph = false;
    bool m_loading = false;
    QString m_before; // the text as last loaded or kept
};

// A framed view of one text field that the user reads but does not edit: a
// group box with the caption around a read-only memo as high as the given
// number of lines. focus says whether a click may focus the memo (to select
// and copy) or nothing may.
struct ReadOnlyMemoBox {
    QGroupBox* box;
    DBMemo* memo;
};
ReadOnlyMemoBox readOnlyMemoBox(const QString& caption, plat::db::DataSource* source, const QString& field, int lines,
                                Qt::FocusPolicy focus, QWidget* parent);

} // namespace plat::ui

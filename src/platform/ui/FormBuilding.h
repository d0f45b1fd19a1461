#pragma once

#include "platform/ui/MaskEdit.h"

#include <QString>

#include <initializer_list>

class QGroupBox;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace plat::db {
class DataSource;
}

namespace plat::ui {

class DBEdit;

// The pieces the entry forms and lists are built from.

// A group box holding one control.
QGroupBox* framed(QWidget* parent, const QString& title, QWidget* control);

// A group box holding a row of controls: the first at its own width and the
// rest stretched, or a single one stretched.
QGroupBox* framedRow(QWidget* parent, const QString& title, std::initializer_list<QWidget*> controls);

// A box bound to a field of the data source, named for tests and the help.
DBEdit* boundEdit(QWidget* parent, plat::db::DataSource* source, const QString& field, const QString& name,
                  MaskEdit::CharCase charCase = MaskEdit::CharCase::Upper);

// A read-only display box on the window's background, out of the tab order.
QLineEdit* displayBox(QWidget* parent, const QString& name);

// The "search as you type" box of the lists: a titled frame around a box that
// takes up to 60 characters in capitals.
struct SearchBox {
    QGroupBox* box;
    MaskEdit* edit;
};
SearchBox searchBox(QWidget* parent, const QString& title, const QString& name);

// The button bar of the lists: these buttons from the left, the last one
// (the window's "Sair") at the right end.
QHBoxLayout* buttonBar(std::initializer_list<QWidget*> left, QWidget* right);

// The button row of the dialogs: these buttons side by side in the middle,
// each at least minWidth wide.
QHBoxLayout* centredButtons(std::initializer_list<QPushButton*> buttons, int minWidth = 96);

// A push button with its caption, named for tests and the help.
QPushButton* namedButton(QWidget* parent, const QString& caption, const QString& name);

// The width of a box that shows this many digits.
int charsWidth(const QWidget* w, int chars);

// Sets the tab order along the widgets, in the order given.
void tabChain(std::initializer_list<QWidget*> widgets);

} // namespace plat::ui

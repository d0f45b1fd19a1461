#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace plat::ui {

// Lets the user choose a folder in the program's own folder dialog, shown
// through showModal() so that tests can answer it. The dialog opens in
// `start`, or in its nearest existing parent folder when `start` is missing
// (an unplugged stick), or else in the home folder. Empty when cancelled.
QString chooseFolder(QWidget* parent, const QString& caption, const QString& start);

// Lets the user choose an existing file to open, in the program's own file
// dialog shown through showModal(). `filters` are the dialog's file types
// ("Planilhas (*.csv *.xlsx *.ods)"); the dialog opens in `start`'s folder as
// chooseFolder() does. Empty when cancelled.
QString chooseOpenFile(QWidget* parent, const QString& caption, const QString& start, const QStringList& filters);

// Lets the user name a file to write, in the program's own file dialog shown
// through showModal(). A name typed without an extension takes the first
// extension of the chosen type ("Planilha ODS (*.ods)" gives ".ods"). The
// dialog asks before an existing file is replaced. Empty when cancelled.
QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& start, const QStringList& filters);

// Hides the lists of completions that belong to a closed window. Such a
// list is a window of its own: a file dialog closed with Enter while its
// file-name list was shown, or while its file model was still filling that
// list, would leave the list on the screen, taking the keys typed next. From
// the first call on, the list also closes itself when it opens while the
// window is hidden.
void closeCompleterPopups(QWidget* window);

} // namespace plat::ui

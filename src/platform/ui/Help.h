#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;
class QWidget;

namespace plat::ui {

// The program's help: the HTML users' guide zelta99.html, shown in a help
// window of our own, at its contents (the top) or at a numbered topic. Topic n
// is the document's anchor "topico" followed by n, as in "topico12".

// Where the guide is looked for, in order: beside the program file, in the
// installed data folder, and in share/zelta99 beside the program's folder (an
// installed tree moved elsewhere).
QString helpDocumentName();
QStringList helpSearchDirectories();
// The first directory of dirs that holds the guide, as a file path; empty when
// none does.
QString findHelpDocument(const QStringList& dirs = helpSearchDirectories());

// The guide the help commands open. Until it is set, the search above decides.
void setHelpFile(const QString& path);
QString helpFile();

QString helpTopicAnchor(int context);

// Opens the guide at its contents, or at the topic with the given context
// number, in a modal help window. A guide that cannot be found is reported in
// a plain message.
void showHelpContents(QWidget* parent = nullptr);
void showHelpTopic(int context, QWidget* parent = nullptr);

// Context help on F1: a widget carries its topic number in the property
// "helpContext". F1 opens the topic of the focused widget or, when it has none,
// of its nearest enclosing widget that has one; with no number nothing opens.
inline constexpr char kHelpContextProperty[] = "helpContext";
void setHelpContext(QWidget* widget, int context);
int helpContextFor(const QWidget* widget); // 0: none
void installContextHelp(QCoreApplication* app);

} // namespace plat::ui

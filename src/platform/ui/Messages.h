#pragma once

#include "platform/system/FullStop.h"

#include <QString>

#include <exception>
#include <functional>

class QWidget;

namespace plat::ui {

// Every message window of the program goes through this module: the plain
// message, the "Atenção" box and the general error report. A message text keeps
// its line breaks as the two characters LF CR ("\n\r"); only the window that
// shows it turns each pair into one line break.

enum class MessageKind { Plain, Attention, Error };
enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Question, Error };
enum class Answer { Ok, Yes, No };

// One message as it is shown: what a test sink records.
struct Message {
    MessageKind kind = MessageKind::Plain;
    QString caption;
    QString text;
    // What the text leaves out for the user (the engine's lines about a
    // damaged file): behind the "Detalhes" button, empty when there is none.
    QString details;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    Answer defaultButton = Answer::Ok;
};

// Shows a message and returns the button chosen. The default sink opens a
// real message box; tests install one that records and answers.
using MessageSink = std::function<Answer(const Message&)>;

// Replaces the sink; an empty sink restores the real message box. Returns the
// sink that was installed before.
MessageSink setMessageSink(MessageSink sink);

// The program's title: the name of the program file without its extension.
QString applicationTitle();

// The plain message: the text, an OK button, the program's title, no icon.
void showMessage(const QString& text, QWidget* parent = nullptr);

// The "Atenção" box with an OK button and no icon.
void attention(const QString& text, QWidget* parent = nullptr);

// The "Atenção" box with Yes and No, the question icon and No as the default
// button. True when the answer is Yes.
bool confirm(const QString& text, QWidget* parent = nullptr);

// The general error report: the program's title, the error icon, OK, and the
// error's text with a full stop added by withFullStop(); details, when given,
// behind the "Detalhes" button.
void showError(const QString& text, QWidget* parent = nullptr, const QString& details = QString());

// Reports the exception in flight (or the one given) through showError: the
// table engine's message, the run-time's text, or a generic text for anything
// else.
void reportException(std::exception_ptr error, QWidget* parent = nullptr);
QString exceptionText(std::exception_ptr error);
// The details of a plat::Error in flight; empty for anything else.
QString exceptionDetails(std::exception_ptr error);

// The label of the button that shows a message's details.
inline constexpr const char* kDetailsLabel = "Detalhes";

// The error report's text rule (a full stop after a text that needs one).
using plat::sys::withFullStop;

// The text as a message window shows it: each LF CR pair becomes one line break.
QString displayText(const QString& text);

} // namespace plat::ui

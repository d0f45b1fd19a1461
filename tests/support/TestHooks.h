#pragma once

#include "platform/ui/Messages.h"
#include "platform/ui/ModalRunner.h"

#include <QList>
#include <QQueue>
#include <QStringList>

class QDialog;

namespace plat::ui {

// Records every message instead of showing it, for as long as it lives.
// Yes/No boxes take their answers from the script, in order, and the default
// button (No) when the script is used up; OK boxes answer OK.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    void answer(Answer next) { m_script.enqueue(next); }

    const QList<Message>& messages() const { return m_messages; }
    QStringList texts() const;
    int count() const { return int(m_messages.size()); }
    Message last() const { return m_messages.isEmpty() ? Message() : m_messages.last(); }
    void clear() { m_messages.clear(); }

private:
    Answer receive(const Message& m);
    QList<Message> m_messages;
    QQueue<Answer> m_script;
    MessageSink m_previous;
};

// Handles modal windows instead of running their loops, for as long as it
// lives. Each window shown goes to the next handler queued with expect(); the
// handler drives it and closes it. A window with no handler left is recorded
// and rejected at once.
class ModalDriver {
public:
    using Handler = std::function<void(QDialog*)>;

    ModalDriver();
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    void expect(Handler handler) { m_handlers.enqueue(std::move(handler)); }
    int pending() const { return int(m_handlers.size()); }

    // Class names of the windows shown so far, in order.
    const QStringList& shown() const { return m_shown; }
    // Windows shown and not handled by a queued handler.
    int unexpected() const { return m_unexpected; }

private:
    void handle(QDialog* dialog);
    QQueue<Handler> m_handlers;
    QStringList m_shown;
    int m_unexpected = 0;
    ModalHook m_previous;
};

} // namespace plat::ui

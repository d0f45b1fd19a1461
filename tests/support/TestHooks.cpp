#include "support/TestHooks.h"

#include <QDialog>

namespace plat::ui {

MessageRecorder::MessageRecorder() : m_previous(setMessageSink([this](const Message& m) { return receive(m); })) {}

MessageRecorder::~MessageRecorder() { setMessageSink(std::move(m_previous)); }

QStringList MessageRecorder::texts() const
{
    QStringList out;
    for (const Message& m : m_messages)
        out << m.text;
    return out;
}

Answer MessageRecorder::receive(const Message& m)
{
    m_messages.append(m);
    if (m.buttons == MessageButtons::Ok)
        return Answer::Ok;
    return m_script.isEmpty() ? m.defaultButton : m_script.dequeue();
}

ModalDriver::ModalDriver() : m_previous(setModalHook([this](QDialog* d) { handle(d); })) {}

ModalDriver::~ModalDriver() { setModalHook(std::move(m_previous)); }

void ModalDriver::handle(QDialog* dialog)
{
    m_shown << QString::fromLatin1(dialog->metaObject()->className());
    if (m_handlers.isEmpty()) {
        ++m_unexpected;
        return; // showModal() rejects a window left open
    }
    const Handler handler = m_handlers.dequeue();
    handler(dialog);
}

} // namespace plat::ui

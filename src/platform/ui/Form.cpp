#include "platform/ui/Form.h"

#include "platform/ui/Guard.h"

#include <QtDebug>

#include <exception>

namespace plat::ui {

Form::Form(QWidget* parent) : QDialog(parent) {}

void Form::create()
{
    if (m_created)
        return;
    m_created = true;
    try {
        FormCreate();
    } catch (...) {
        // What creation opened before the failure is given back; the failure
        // itself is the one the caller sees.
        try {
            closeOnce();
        } catch (const std::exception& e) {
            qWarning("%s: closing after a failed creation failed: %s", qPrintable(objectName()), e.what());
        } catch (...) {
            qWarning("%s: closing after a failed creation failed", qPrintable(objectName()));
        }
        throw;
    }
}

void Form::closeOnce()
{
    if (!m_created || m_closed)
        return;
    m_closed = true;
    FormClose();
}

void Form::done(int result)
{
    runGuarded([this] { closeOnce(); }, this);
    QDialog::done(result);
}

void Form::closeOnDestroy() noexcept
{
    try {
        closeOnce();
    } catch (const std::exception& e) {
        qWarning("%s: closing the window being destroyed failed: %s", qPrintable(objectName()), e.what());
    } catch (...) {
        qWarning("%s: closing the window being destroyed failed", qPrintable(objectName()));
    }
}

} // namespace plat::ui

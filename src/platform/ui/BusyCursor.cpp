#include "platform/ui/BusyCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace plat::ui {

BusyCursor::BusyCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

BusyCursor::~BusyCursor() { restore(); }

void BusyCursor::restore()
{
    if (m_active) {
        m_active = false;
        QGuiApplication::restoreOverrideCursor();
    }
}

} // namespace plat::ui

#pragma once

#include <QString>
#include <stdexcept>

namespace plat::db {

// The one failure type of the table engine. It carries the engine's message in
// a form ready to be shown by the general error report.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace plat::db

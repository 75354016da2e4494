#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <utility>

// The error a failing step raises. Its description is what the error report
// shows first, so it is written for the user, not for the developer.
class AppError : public std::exception
{
public:
    explicit AppError(QString description)
        : m_description(std::move(description)), m_utf8(m_description.toUtf8())
    {
    }

    const QString &description() const noexcept { return m_description; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_description;
    QByteArray m_utf8;
};

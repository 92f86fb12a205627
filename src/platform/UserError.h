#pragma once

#include <QString>

#include <exception>

// A failure the operator must be told about. Core calls throw it; the ui layer's guard shows
// its German text in a message box and stops the operation there. What was done before the
// throw stays done.
class UserError : public std::exception
{
public:
    explicit UserError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

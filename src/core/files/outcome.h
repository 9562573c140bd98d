#pragma once

// The result of an operation that can fail, with its message.

#include <QString>

namespace scp {

// Result of an operation that can fail. A failure carries one line for the
// user that names the file (or list) and the reason.
class Outcome {
public:
    Outcome() = default;
    static Outcome failure(QString message) { return Outcome(std::move(message)); }

    bool ok() const { return m_error.isEmpty(); }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return m_error; }

private:
    explicit Outcome(QString message) : m_error(std::move(message))
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("Unknown error");
    }
    QString m_error;
};

} // namespace scp

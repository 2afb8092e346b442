// The error raised by the table layer while opening and reading tables, with the message texts that the
// import wizard may show. Our own invariants use Q_ASSERT; a file's fault becomes one of these.
#pragma once

#include <QString>

#include <exception>

namespace dbftext {
inline const char* const InvalidDbfFile = "Invalid DBF file.";
inline const char* const InvalidFieldCount = "Invalid field count: %1 (must be between 1 and 4095).";
inline const char* const FileNotFound = "Open: file not found: \"%1\".";
inline const char* const CannotReadFile = "Cannot read \"%1\": %2.";
}  // namespace dbftext

class EDbfError : public std::exception {
public:
    explicit EDbfError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// The one exception the transport throws, for a call its object refuses (a socket in the wrong state, a
// component that is busy or not ready, a command that would carry CR or LF). Peers' faults are never thrown:
// they are reported through the objects' events. The text is shown or logged as it stands.
#pragma once

#include <QString>

#include <stdexcept>

class TransportException : public std::runtime_error {
public:
    explicit TransportException(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

// The names the sockets, the SMTP client and the relay throw it under.
using SocketException = TransportException;
using SmtpException = TransportException;
using TSmtpRelayServerException = TransportException;

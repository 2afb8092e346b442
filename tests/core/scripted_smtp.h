// A line-driven SMTP server for the scripted loopback peer: refuses recipients whose name begins with
// "refused", accepts every message and keeps the connection for the next one; a new connection starts
// it over. For tests of the sending paths.
#pragma once

#include "tests/support/scripted_peer.h"

#include <QByteArray>

#include <memory>

namespace sorvanta::test {

inline QByteArray smtpReply(bool& inData, const QByteArray& line)
{
    if (line.isEmpty()) {
        inData = false;
        return "220 peer.test ESMTP ready\r\n";
    }
    if (inData) {
        inData = line != ".\r\n";
        return inData ? QByteArray() : QByteArray("250 queued\r\n");
    }
    const QByteArray command = line.left(4).toUpper();
    if (command == "EHLO" || command == "HELO")
        return "250 peer.test\r\n";
    if (command == "RCPT")
        return line.contains("refused") ? "550 5.1.1 no such user\r\n" : "250 ok\r\n";
    if (command == "DATA") {
        inData = true;
        return "354 go ahead\r\n";
    }
    return command == "QUIT" ? "221 bye\r\n" : "250 ok\r\n";
}

inline void scriptSmtp(ScriptedPeer& peer)
{
    auto inData = std::make_shared<bool>(false);
    peer.respond([inData](const QByteArray& line) { return smtpReply(*inData, line); }).expectLine().repeat();
}

}  // namespace sorvanta::test

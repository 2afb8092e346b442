// A line-driven SMTP server for the scripted loopback peer: refuses recipients whose name begins with
// "refused", accepts every message and keeps the connection for the next one; a new connection starts
// it over. Its rules make it a server that caps the messages of a connection (421 to the MAIL FROM after
// the cap, as Exim's smtp_accept_max_per_connection does), answers the end of data otherwise or never,
// or refuses the password of AUTH LOGIN. For tests of the sending paths.
#pragma once

#include "tests/support/scripted_peer.h"

#include <QByteArray>

#include <functional>
#include <memory>

namespace sorvanta::test {

struct SmtpServerRules {
    int messagesPerConnection = 0;          // 0: no cap
    // The reply to the "." of message n (counted from 1 over all connections); an empty reply is none.
    std::function<QByteArray(int message)> endOfDataReply = {};
    QByteArray passwordReply = "235 2.7.0 accepted\r\n";
};

class ScriptedSmtpServer {
public:
    explicit ScriptedSmtpServer(SmtpServerRules rules = {}) : m_rules(std::move(rules)) {}

    // The reply to one line; an empty line stands for a new connection (the banner).
    QByteArray reply(const QByteArray& line)
    {
        if (line.isEmpty()) {
            m_inData = false;
            m_onConnection = 0;
            m_authStep = 0;
            return "220 peer.test ESMTP ready\r\n";
        }
        if (m_inData)
            return dataLine(line);
        if (m_authStep > 0)
            return authLine();
        const QByteArray command = line.left(4).toUpper();
        if (command == "EHLO")
            return "250-peer.test\r\n250 AUTH LOGIN\r\n";
        if (command == "HELO")
            return "250 peer.test\r\n";
        if (command == "AUTH") {
            ++m_authAttempts;
            m_authStep = 1;
            return "334 VXNlcm5hbWU6\r\n";
        }
        const int cap = m_rules.messagesPerConnection;
        if (command == "MAIL" && cap > 0 && m_onConnection >= cap)
            return "421 4.7.0 too many messages on this connection\r\n";
        if (command == "RCPT")
            return line.contains("refused") ? "550 5.1.1 no such user\r\n" : "250 ok\r\n";
        if (command == "DATA") {
            m_inData = true;
            return "354 go ahead\r\n";
        }
        return command == "QUIT" ? "221 bye\r\n" : "250 ok\r\n";
    }

    int messages() const { return m_messages; }         // "." lines taken
    int authAttempts() const { return m_authAttempts; }

private:
    QByteArray dataLine(const QByteArray& line)
    {
        if (line != ".\r\n")
            return {};
        m_inData = false;
        ++m_onConnection;
        ++m_messages;
        return m_rules.endOfDataReply ? m_rules.endOfDataReply(m_messages) : QByteArray("250 queued\r\n");
    }

    QByteArray authLine()
    {
        if (m_authStep == 1) {                          // the user name came
            m_authStep = 2;
            return "334 UGFzc3dvcmQ6\r\n";
        }
        m_authStep = 0;                                 // the password came
        return m_rules.passwordReply;
    }

    SmtpServerRules m_rules;
    bool m_inData = false;
    int m_onConnection = 0;
    int m_messages = 0;
    int m_authStep = 0;
    int m_authAttempts = 0;
};

// Plays the server on every connection of peer; the peer keeps it alive.
inline std::shared_ptr<ScriptedSmtpServer> scriptSmtp(ScriptedPeer& peer, SmtpServerRules rules = {})
{
    auto server = std::make_shared<ScriptedSmtpServer>(std::move(rules));
    peer.respond([server](const QByteArray& line) { return server->reply(line); }).expectLine().repeat();
    return server;
}

}  // namespace sorvanta::test

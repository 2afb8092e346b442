// Test driver for TSmtpCli against the scripted peer: runs Open and then each further step when the one
// before succeeded (as the relay drives its client) and records every OnRequestDone.
#pragma once

#include "transport/smtp/smtp_cli.h"

#include "tests/support/scripted_peer.h"
#include "tests/support/wait_until.h"

#include <functional>
#include <ostream>
#include <vector>

namespace sorvanta::test {

struct Done {
    TSmtpRequest type;
    int error;
    bool operator==(const Done&) const = default;
};

inline void PrintTo(const Done& done, std::ostream* os)
{
    *os << "{" << int(done.type) << ", " << done.error << "}";
}

inline ScriptedPeer& expectLines(ScriptedPeer& peer, int count)
{
    for (int i = 0; i < count; ++i)
        peer.expectLine();
    return peer;
}

class SmtpClientDriver {
public:
    explicit SmtpClientDriver(TSmtpCli& client) : m_client(client)
    {
        client.Host = QStringLiteral("127.0.0.1");
        client.SignOn = QStringLiteral("tester.example");
        client.FromName = QStringLiteral(" sender@example.test ");
        client.RcptName = {QStringLiteral("rcpt@example.test")};
        client.OnRequestDone = [this](TCustomSmtpClient*, TSmtpRequest type, int error) {
            done.push_back({type, error});
            if (error == 0 && !m_chain.empty()) {
                auto next = m_chain.front();
                m_chain.erase(m_chain.begin());
                next();
            }
        };
    }

    // Points the client at the port of 127.0.0.1 and starts Open, then the steps in turn.
    void run(quint16 port, std::vector<std::function<void()>> steps)
    {
        m_client.Port = QString::number(port);
        m_chain = std::move(steps);
        m_client.Open();
    }
    // Open, MAIL FROM, RCPT TO, DATA and QUIT.
    void runWholeMessage(quint16 port)
    {
        run(port, {[this] { m_client.MailFrom(); }, [this] { m_client.RcptTo(); }, [this] { m_client.Data(); },
                   [this] { m_client.Quit(); }});
    }
    bool waitForDone(size_t count) { return waitUntil([&] { return done.size() >= count; }); }
    bool waitForError() { return waitUntil([&] { return !done.empty() && done.back().error != 0; }); }

    std::vector<Done> done;

private:
    TSmtpCli& m_client;
    std::vector<std::function<void()>> m_chain;
};

}  // namespace sorvanta::test

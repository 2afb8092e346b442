// The event-socket core: Winsock's events in Winsock's order against the scripted loopback peer.

#include "platform/event_socket.h"

#include "platform/winsock_error.h"
#include "tests/support/closed_port.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QHostAddress>

#include <string>
#include <vector>

using sorvanta::test::closedPort;
using sorvanta::test::pumpEvents;
using sorvanta::test::ScriptedPeer;
using sorvanta::test::waitUntil;

namespace {

constexpr quint32 loopback = 0x7F000001;

std::string eventName(int event, int error)
{
    const char* name = event == FD_CONNECT ? "connect"
                       : event == FD_READ  ? "read"
                       : event == FD_WRITE ? "write"
                       : event == FD_CLOSE ? "close"
                                           : "other";
    return std::string(name) + "(" + std::to_string(error) + ")";
}

struct Recorder {
    EventSocket socket;
    std::vector<std::string> events;
    QByteArray received;
    Recorder()
    {
        socket.setEventHandler([this](int event, int error) {
            events.push_back(eventName(event, error));
            if (event == FD_READ) {
                char buffer[256];
                const qint64 got = socket.receive(buffer, sizeof buffer);
                if (got > 0)
                    received.append(buffer, got);
            }
        });
    }
};

TEST(EventSocketTest, ConnectThenWriteThenDataThenClose)
{
    ScriptedPeer peer;
    peer.send("banner").close();
    ASSERT_TRUE(peer.listen());
    Recorder r;
    ASSERT_EQ(r.socket.open(EventSocket::Type::Tcp), 0);
    ASSERT_EQ(r.socket.connectTo(loopback, peer.port()), 0);
    EXPECT_TRUE(r.events.empty());
    ASSERT_TRUE(waitUntil([&] { return !r.events.empty() && r.events.back() == "close(0)"; }));
    // Nothing is peeked: the end of the stream is offered as FD_READ, whose read meets it, then FD_CLOSE.
    EXPECT_EQ(r.events, (std::vector<std::string>{"connect(0)", "write(0)", "read(0)", "read(0)", "close(0)"}));
    EXPECT_EQ(r.received, "banner");
}

TEST(EventSocketTest, RefusedConnectArrivesAsConnectEvent)
{
    Recorder r;
    ASSERT_EQ(r.socket.open(EventSocket::Type::Tcp), 0);
    ASSERT_EQ(r.socket.connectTo(loopback, closedPort()), 0);
    ASSERT_TRUE(waitUntil([&] { return !r.events.empty(); }));
    pumpEvents(20);
    EXPECT_EQ(r.events, (std::vector<std::string>{"connect(10061)"}));
}

TEST(EventSocketTest, PeerResetArrivesAsClose10054)
{
    ScriptedPeer peer;
    peer.wait(20).reset();
    ASSERT_TRUE(peer.listen());
    Recorder r;
    r.socket.open(EventSocket::Type::Tcp);
    r.socket.connectTo(loopback, peer.port());
    ASSERT_TRUE(waitUntil([&] { return !r.events.empty() && r.events.back().starts_with("close"); }));
    EXPECT_EQ(r.events.back(), "close(10054)");
}

TEST(EventSocketTest, PostedEventsOfAClosedDescriptorAreDropped)
{
    Recorder r;
    r.socket.open(EventSocket::Type::Udp);
    r.socket.postEvent(FD_WRITE);
    r.socket.close();
    r.socket.open(EventSocket::Type::Udp);
    pumpEvents(20);
    EXPECT_TRUE(r.events.empty());
    EXPECT_EQ(r.socket.send("x", 1), -1);
    EXPECT_EQ(r.socket.lastError(), WSAEDESTADDRREQ) << "a UDP socket without a peer";
}

}  // namespace

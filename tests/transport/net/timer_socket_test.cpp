// TStarSocket: host text rules, connect and close notifications, reading lines by length, countdowns,
// resolution and its cancellation, and the write loop, against the scripted loopback peer.

#include "transport/net/timer_socket.h"

#include "platform/winsock_error.h"
#include "tests/support/closed_port.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/stalled_listener.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <functional>
#include <vector>

using sorvanta::test::closedPort;
using sorvanta::test::pumpEvents;
using sorvanta::test::ScriptedPeer;
using sorvanta::test::StalledListener;
using sorvanta::test::waitUntil;

namespace {

// Opens the descendant's interface to the test and records every notification with its error.
class ProbeSocket : public TStarSocket {
public:
    using TStarSocket::addressText;
    using TStarSocket::close;
    using TStarSocket::connected;
    using TStarSocket::countdown;
    using TStarSocket::hasSocket;
    using TStarSocket::lastSocketError;
    using TStarSocket::resolve;
    using TStarSocket::resolving;
    using TStarSocket::writeAll;

    struct Notice {
        const char* what;
        int error;
    };
    std::vector<Notice> notices;
    std::vector<QByteArray> lines;
    std::function<void(const QByteArray&)> whileHandlingLine;   // may let events run
    int readNotices = 0;

    // Starts connecting to host:port; the outcome arrives as the "connect" notice.
    bool connectTo(const QString& host, quint16 port)
    {
        setHost(host);
        if (!createSocket())
            return false;
        connectToServer(port);
        return lastSocketError() == 0;
    }

    int count(const char* what) const
    {
        int n = 0;
        for (const Notice& notice : notices)
            n += qstrcmp(notice.what, what) == 0;
        return n;
    }
    int errorOf(const char* what) const
    {
        for (const Notice& notice : notices)
            if (qstrcmp(notice.what, what) == 0)
                return notice.error;
        return -1;
    }

protected:
    void onConnect() override { notices.push_back({"connect", lastSocketError()}); }
    void onDisconnect() override { notices.push_back({"disconnect", lastSocketError()}); }
    void onResolved() override { notices.push_back({"resolved", lastSocketError()}); }
    void onCountdownExpired() override { notices.push_back({"expired", 0}); }
    void onRead() override
    {
        ++readNotices;
        readLines([this](const QByteArray& line) {
            lines.push_back(line);
            if (whileHandlingLine)
                whileHandlingLine(line);
            return true;
        });
    }
};

struct HostCase {
    const char* name;
    const char* text;
    bool isAddress;
};

class HostTextTest : public ::testing::TestWithParam<HostCase> {};

TEST_P(HostTextTest, AnAddressOnlyWhenTheWholeTextIsDottedIpv4)
{
    ProbeSocket socket;
    socket.setHost("old.example");
    socket.setHost(GetParam().text);
    EXPECT_EQ(socket.host(), GetParam().text);
    EXPECT_EQ(socket.hostIsAddress(), GetParam().isAddress);
    EXPECT_EQ(socket.hostAddress(), GetParam().isAddress ? QString(GetParam().text) : QString());
    EXPECT_EQ(socket.hostName(), GetParam().isAddress ? QString() : QString(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, HostTextTest,
    ::testing::Values(HostCase{"dotted", "127.0.0.1", true}, HostCase{"name", "mail.example.test", false},
                      HostCase{"name_starting_with_digit", "1und1.example", false},
                      HostCase{"three_parts", "10.1.2", false}, HostCase{"octet_too_big", "256.0.0.1", false},
                      HostCase{"leading_blank", " 127.0.0.1", false},
                      HostCase{"trailing_name", "127.0.0.1.example", false}, HostCase{"empty", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TimerSocketTest, EmptyHostClearsTheOldOneAndResolutionFailsAtOnce)
{
    ProbeSocket socket;
    socket.setHost("mail.example.test");
    socket.setHost("");
    EXPECT_TRUE(socket.hostName().isEmpty());
    EXPECT_TRUE(socket.hostAddress().isEmpty());
    socket.resolve();
    EXPECT_EQ(socket.lastSocketError(), WSAHOST_NOT_FOUND);
    EXPECT_FALSE(socket.resolving());
}

TEST(TimerSocketTest, ReadsLinesByLengthKeepingNulBytesAndPartialLines)
{
    ScriptedPeer peer;
    peer.send(QByteArray("one\r\ntw\0o\r\npart", 15)).wait(50).send("ial\r\n");
    ASSERT_TRUE(peer.listen());
    ProbeSocket socket;
    ASSERT_TRUE(socket.connectTo(peer.address(), peer.port()));
    ASSERT_TRUE(waitUntil([&] { return socket.lines.size() == 3; }));
    EXPECT_EQ(socket.errorOf("connect"), 0);
    EXPECT_EQ(socket.addressText(), "127.0.0.1");
    EXPECT_EQ(socket.lines[0], "one");
    EXPECT_EQ(socket.lines[1], QByteArray("tw\0o", 4));
    EXPECT_EQ(socket.lines[2], "partial");
}

TEST(TimerSocketTest, LinesArrivingWhileALineIsHandledWaitTheirTurnWithoutSpinning)
{
    ScriptedPeer peer;
    peer.send("first\r\n").wait(20).send("second\r\nthird\r\n");
    ASSERT_TRUE(peer.listen());
    ProbeSocket socket;
    socket.whileHandlingLine = [&](const QByteArray& line) {
        if (line == "first") {
            pumpEvents(150);                // as a handler does while its write waits for room
            EXPECT_EQ(socket.lines.size(), 1u);
        }
    };
    ASSERT_TRUE(socket.connectTo(peer.address(), peer.port()));
    ASSERT_TRUE(waitUntil([&] { return socket.lines.size() == 3; }));
    EXPECT_EQ(socket.lines, (std::vector<QByteArray>{"first", "second", "third"}));
    EXPECT_LT(socket.readNotices, 10);
}

TEST(TimerSocketTest, OverlongLineIsHandedOnInPieces)
{
    ScriptedPeer peer;
    peer.send(QByteArray(10000, 'x') + "\r\n");
    ASSERT_TRUE(peer.listen());
    ProbeSocket socket;
    ASSERT_TRUE(socket.connectTo(peer.address(), peer.port()));
    ASSERT_TRUE(waitUntil([&] { return socket.lines.size() == 2; }));
    EXPECT_EQ(socket.lines[0].size(), 8192);
    EXPECT_EQ(socket.lines[1].size(), 10000 - 8192);
}

TEST(TimerSocketTest, PeerCloseNotifiesOnceAndReleasesTheSocket)
{
    ScriptedPeer peer;
    peer.send("bye\r\n").close();
    ASSERT_TRUE(peer.listen());
    ProbeSocket socket;
    ASSERT_TRUE(socket.connectTo(peer.address(), peer.port()));
    ASSERT_TRUE(waitUntil([&] { return socket.count("disconnect") == 1; }));
    pumpEvents(20);
    EXPECT_EQ(socket.count("disconnect"), 1);
    EXPECT_EQ(socket.lines, std::vector<QByteArray>{"bye"});
    EXPECT_FALSE(socket.hasSocket());
    EXPECT_FALSE(socket.connected());
}

TEST(TimerSocketTest, RefusedConnectionIsReportedAndItsSocketClosed)
{
    ProbeSocket socket;
    ASSERT_TRUE(socket.connectTo("127.0.0.1", closedPort()));
    ASSERT_TRUE(waitUntil([&] { return socket.count("connect") == 1; }));
    EXPECT_EQ(socket.errorOf("connect"), WSAECONNREFUSED);
    EXPECT_FALSE(socket.connected());
    EXPECT_FALSE(socket.hasSocket());
}

TEST(TimerSocketTest, CountdownExpiresOnceAfterItsSteps)
{
    ProbeSocket socket;
    socket.setCountdownStep(std::chrono::milliseconds(5));
    QElapsedTimer elapsed;
    elapsed.start();
    socket.countdown(10);
    ASSERT_TRUE(waitUntil([&] { return socket.count("expired") == 1; }));
    EXPECT_GE(elapsed.elapsed(), 45);
    pumpEvents(50);
    EXPECT_EQ(socket.count("expired"), 1);
}

TEST(TimerSocketTest, ConnectionStopsTheConnectCountdown)
{
    ScriptedPeer peer;
    ASSERT_TRUE(peer.listen());
    ProbeSocket socket;
    socket.setCountdownStep(std::chrono::milliseconds(5));
    socket.TimeoutConnect = 2;
    ASSERT_TRUE(socket.connectTo(peer.address(), peer.port()));
    ASSERT_TRUE(waitUntil([&] { return socket.count("connect") == 1; }));
    pumpEvents(50);
    EXPECT_EQ(socket.count("expired"), 0);
    EXPECT_TRUE(socket.connected());
}

TEST(TimerSocketTest, SilentConnectIsClosedWhenItsCountdownRunsOut)
{
    StalledListener listener;
    ASSERT_NE(listener.port(), 0);
    ProbeSocket socket;
    socket.setCountdownStep(std::chrono::milliseconds(10));
    socket.TimeoutConnect = 10;
    ASSERT_TRUE(socket.connectTo("127.0.0.1", listener.port()));
    ASSERT_TRUE(waitUntil([&] { return socket.count("expired") == 1; }));
    pumpEvents(50);
    EXPECT_EQ(socket.count("expired"), 1);
    EXPECT_EQ(socket.count("connect"), 0);
    EXPECT_FALSE(socket.hasSocket());
}

TEST(TimerSocketTest, ResolvesAHostNameAndCancelsAPendingResolution)
{
    ProbeSocket socket;
    socket.setHost("localhost");
    socket.resolve();
    ASSERT_TRUE(socket.resolving());
    socket.close();
    EXPECT_FALSE(socket.resolving());
    pumpEvents(100);
    EXPECT_EQ(socket.count("resolved"), 0);

    socket.resolve();
    ASSERT_TRUE(waitUntil([&] { return socket.count("resolved") == 1; }));
    EXPECT_EQ(socket.errorOf("resolved"), 0);
    EXPECT_EQ(socket.addressText(), "127.0.0.1");
}

TEST(TimerSocketTest, WriteAllWaitsForRoomAndStopsWhenAsked)
{
    ScriptedPeer peer;
    peer.stopReading();
    ASSERT_TRUE(peer.listen());
    ProbeSocket socket;
    ASSERT_TRUE(socket.connectTo(peer.address(), peer.port()));
    ASSERT_TRUE(waitUntil([&] { return socket.connected(); }));
    // The peer reads nothing, so the kernel buffers fill; a stop request must end the wait.
    bool stopRequested = false;
    QTimer::singleShot(100, [&] { stopRequested = true; });
    const QByteArray data(64 * 1024 * 1024, 'a');
    EXPECT_FALSE(socket.writeAll(data, [&] { return stopRequested; }));
    EXPECT_TRUE(stopRequested);
    EXPECT_EQ(socket.lastSocketError(), 0);
}

TEST(TimerSocketTest, WriteAllDeliversEverything)
{
    ScriptedPeer peer;
    ASSERT_TRUE(peer.listen());
    ProbeSocket socket;
    ASSERT_TRUE(socket.connectTo(peer.address(), peer.port()));
    ASSERT_TRUE(waitUntil([&] { return socket.connected(); }));
    QByteArray data(8 * 1024 * 1024, 'b');
    data[123456] = '\0';
    EXPECT_TRUE(socket.writeAll(data, [] { return false; }));
    ASSERT_TRUE(waitUntil([&] { return peer.received(0).size() == data.size(); }));
    EXPECT_EQ(peer.received(0), data);
}

}  // namespace

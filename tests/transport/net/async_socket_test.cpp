// TWSocket against the scripted loopback peer: send queue blocks, event order, refused connect, reset while
// data is queued, send before connect, dotted-address lookup inside the call, cancelled lookup.

#include "transport/net/async_socket.h"

#include "platform/winsock_error.h"
#include "tests/support/closed_port.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>


#include <string>
#include <vector>

using sorvanta::test::closedPort;
using sorvanta::test::pumpEvents;
using sorvanta::test::ScriptedPeer;
using sorvanta::test::waitUntil;

namespace {

// Records every event of a socket as "Name(error)".
struct EventLog {
    std::vector<std::string> events;
    void attach(TWSocket& socket)
    {
        auto record = [this](const char* name) {
            return [this, name](TWSocket*, int error) {
                events.push_back(std::string(name) + "(" + std::to_string(error) + ")");
            };
        };
        socket.OnSessionConnected = record("Connected");
        socket.OnDataSent = record("DataSent");
        socket.OnSessionClosed = record("Closed");
        socket.OnDnsLookupDone = record("DnsLookupDone");
    }
    int count(const std::string& event) const { return int(std::count(events.begin(), events.end(), event)); }
};

void connectTo(TWSocket& socket, quint16 port, const char* proto = "tcp")
{
    socket.setAddr(QStringLiteral("127.0.0.1"));
    socket.setPort(QString::number(port));
    socket.setProto(QString::fromLatin1(proto));
    socket.Connect();
}

TEST(SendQueueTest, FillsTheLastBlockThenAddsBlocksOf1514Bytes)
{
    SendQueue queue;
    queue.append(QByteArray(4000, 'x'));
    EXPECT_EQ(queue.blockSizes(), (QList<int>{1514, 1514, 972}));
    queue.append(QByteArray(600, 'y'));
    EXPECT_EQ(queue.blockSizes(), (QList<int>{1514, 1514, 1514, 58}));
    queue.removeFront(1000);
    queue.removeFront(514);
    EXPECT_EQ(queue.blockSizes(), (QList<int>{1514, 1514, 58}));
    EXPECT_EQ(queue.byteCount(), 3086);
}

// A message of several blocks is handed to the kernel in one piece, not one write (and segment) a block.
TEST(SendQueueTest, FrontBytesSpanBlocksAndRemovingCrossesThem)
{
    SendQueue queue;
    QByteArray message;
    for (int i = 0; i < 2322; ++i)
        message.append(char('a' + i % 26));
    queue.append(message);
    ASSERT_EQ(queue.blockSizes(), (QList<int>{1514, 808}));
    EXPECT_EQ(queue.frontBytes(64 * 1024), message);
    EXPECT_EQ(queue.frontBytes(1600), message.first(1600));
    queue.removeBytes(1600);
    EXPECT_EQ(queue.blockSizes(), (QList<int>{722}));
    EXPECT_EQ(queue.frontBytes(64 * 1024), message.sliced(1600));
    queue.removeBytes(722);
    EXPECT_TRUE(queue.isEmpty());
}

TEST(SendQueueTest, KeepsTheLastBlockForReuse)
{
    SendQueue queue;
    queue.append("abc");
    queue.removeFront(3);
    EXPECT_TRUE(queue.isEmpty());
    EXPECT_EQ(queue.blockSizes(), (QList<int>{0}));
    queue.append("de");
    EXPECT_EQ(queue.front(), "de");
}

TEST(BufferTest, WritesWhatFitsAndResizeKeepsUnreadBytes)
{
    TBuffer buffer(0);
    EXPECT_EQ(buffer.size(), 1514);
    TBuffer small(4);
    EXPECT_EQ(small.write("abcdef"), 4);
    small.remove(1);
    EXPECT_EQ(small.peek(), "bcd");
    small.resize(2);
    EXPECT_EQ(small.peek(), "bc");
    small.remove(99);
    EXPECT_EQ(small.unreadCount(), 0);
    EXPECT_EQ(small.write("xy"), 2);
}

TEST(AsyncSocketTest, ConnectsSendsAndReceivesInWinsockOrder)
{
    ScriptedPeer peer;
    peer.send("hello\r\n").expectBytes(4000).send("bye\r\n").close();
    ASSERT_TRUE(peer.listen());
    TWSocket socket;
    EventLog log;
    log.attach(socket);
    QByteArray received;
    socket.OnDataAvailable = [&](TWSocket* s, int) { received += s->ReceiveStr(); };
    connectTo(socket, peer.port());
    EXPECT_EQ(socket.State(), wsConnecting);
    ASSERT_TRUE(waitUntil([&] { return socket.State() == wsConnected && received == "hello\r\n"; }));
    const QByteArray payload = QByteArray(4000, 'p');
    EXPECT_EQ(socket.Send(payload), 4000);
    EXPECT_EQ(log.count("DataSent(0)"), 1) << "only the one that follows the connection";
    ASSERT_TRUE(waitUntil([&] { return socket.State() == wsClosed; }));
    EXPECT_EQ(received, "hello\r\nbye\r\n");
    EXPECT_EQ(peer.received(0), payload);
    EXPECT_EQ(log.events, (std::vector<std::string>{"Connected(0)", "DataSent(0)", "DataSent(0)", "Closed(0)"}));
}

TEST(AsyncSocketTest, LargeSendIsQueuedAndDeliveredWhole)
{
    ScriptedPeer peer;
    peer.wait(50);   // let the client fill the kernel buffers first
    ASSERT_TRUE(peer.listen());
    TWSocket socket;
    int dataSent = 0;
    socket.OnDataSent = [&](TWSocket*, int) { ++dataSent; };
    connectTo(socket, peer.port());
    ASSERT_TRUE(waitUntil([&] { return socket.State() == wsConnected; }));
    QByteArray payload(20 * 1024 * 1024, Qt::Uninitialized);
    for (int i = 0; i < payload.size(); ++i)
        payload[i] = char(i * 7 + i / 1514);
    socket.Send(payload);
    EXPECT_GT(socket.BufferedByteCount(), 0);
    const int sentBefore = dataSent;
    ASSERT_TRUE(waitUntil([&] { return peer.received(0).size() == payload.size(); }, 20000));
    EXPECT_EQ(peer.received(0), payload);
    EXPECT_EQ(socket.BufferedByteCount(), 0);
    EXPECT_EQ(dataSent, sentBefore + 1);
}

TEST(AsyncSocketTest, DataSentIsPostedNeverInsideSend)
{
    ScriptedPeer peer;
    ASSERT_TRUE(peer.listen());
    TWSocket socket;
    bool insideSend = false;
    int duringSend = 0;
    int dataSent = 0;
    socket.OnDataSent = [&](TWSocket*, int) {
        duringSend += insideSend ? 1 : 0;
        ++dataSent;
    };
    connectTo(socket, peer.port());
    ASSERT_TRUE(waitUntil([&] { return dataSent == 1; }));
    insideSend = true;
    socket.SendStr("one\r\n");
    socket.SendStr("two\r\n");
    insideSend = false;
    EXPECT_EQ(dataSent, 1);
    ASSERT_TRUE(waitUntil([&] { return dataSent == 2; }));
    pumpEvents(20);
    EXPECT_EQ(dataSent, 2) << "two sends that went out at once give one OnDataSent";
    EXPECT_EQ(duringSend, 0);
}

TEST(AsyncSocketTest, RefusedConnectReports10061ThenCloses)
{
    TWSocket socket;
    EventLog log;
    log.attach(socket);
    connectTo(socket, closedPort());
    ASSERT_TRUE(waitUntil([&] { return socket.State() == wsClosed; }));
    EXPECT_EQ(log.events, (std::vector<std::string>{"Connected(10061)", "Closed(10061)"}));
}

TEST(AsyncSocketTest, ResetWhileDataIsQueuedClosesWith10054Once)
{
    ScriptedPeer peer;
    peer.stopReading().wait(100).reset();
    ASSERT_TRUE(peer.listen());
    TWSocket socket;
    EventLog log;
    log.attach(socket);
    connectTo(socket, peer.port());
    ASSERT_TRUE(waitUntil([&] { return socket.State() == wsConnected; }));
    socket.Send(QByteArray(16 * 1024 * 1024, 'q'));
    ASSERT_GT(socket.BufferedByteCount(), 0);
    ASSERT_TRUE(waitUntil([&] { return socket.State() == wsClosed; }));
    pumpEvents(50);
    EXPECT_EQ(log.count("Closed(10054)"), 1);
    EXPECT_EQ(log.count("Closed(0)"), 0);
    EXPECT_EQ(socket.BufferedByteCount(), 0);
}

TEST(AsyncSocketTest, SendBeforeConnectFailsWith10057)
{
    TWSocket socket;
    EventLog log;
    log.attach(socket);
    EXPECT_EQ(socket.SendStr("x"), -1);
    EXPECT_EQ(socket.LastError(), WSAENOTCONN);
    EXPECT_EQ(socket.LastErrorText(), "Error 10057 in function Send\r\nSocket is not connected");
    EXPECT_EQ(socket.State(), wsClosed);
    pumpEvents(10);
    EXPECT_TRUE(log.events.empty());
}

TEST(AsyncSocketTest, PeerCloseDeliversPendingDataBeforeClosed)
{
    ScriptedPeer peer;
    peer.send("last words\r\n").close();
    ASSERT_TRUE(peer.listen());
    TWSocket socket;
    std::vector<std::string> order;
    socket.OnDataAvailable = [&](TWSocket* s, int) { order.push_back(s->ReceiveStr().toStdString()); };
    socket.OnSessionClosed = [&](TWSocket*, int error) { order.push_back("closed " + std::to_string(error)); };
    connectTo(socket, peer.port());
    ASSERT_TRUE(waitUntil([&] { return socket.State() == wsClosed; }));
    EXPECT_EQ(order, (std::vector<std::string>{"last words\r\n", "closed 0"}));
}

TEST(AsyncSocketTest, HandlerMayDeleteTheSocket)
{
    ScriptedPeer peer;
    peer.send("x").close();
    ASSERT_TRUE(peer.listen());
    auto* socket = new TWSocket;
    bool deleted = false;
    QObject::connect(socket, &QObject::destroyed, [&] { deleted = true; });
    socket->OnDataAvailable = [](TWSocket* s, int) { delete s; };
    connectTo(*socket, peer.port());
    ASSERT_TRUE(waitUntil([&] { return deleted; }));
    pumpEvents(20);
}

TEST(AsyncSocketTest, CloseAndAbortFireClosedOnceInsideTheCall)
{
    ScriptedPeer peer;
    ASSERT_TRUE(peer.listen());
    for (const bool abort : {false, true}) {
        TWSocket socket;
        EventLog log;
        log.attach(socket);
        socket.OnSessionConnected = [&](TWSocket* s, int) {
            abort ? s->Abort() : s->Close();
            EXPECT_EQ(log.count("Closed(0)"), 1);
            s->Close();
        };
        connectTo(socket, peer.port());
        ASSERT_TRUE(waitUntil([&] { return socket.State() == wsClosed; }));
        pumpEvents(20);
        EXPECT_EQ(log.count("Closed(0)"), 1);
        EXPECT_EQ(log.count("DataSent(0)"), 0) << "the posted FD_WRITE of a closed socket is dropped";
    }
}

TEST(AsyncSocketTest, ConnectedUdpSendsAndReceivesDatagrams)
{
    ScriptedPeer peer(ScriptedPeer::Protocol::Udp);
    peer.expectData().respond([](const QByteArray& query) { return "re:" + query; });
    ASSERT_TRUE(peer.listen());
    TWSocket socket;
    QByteArray reply;
    socket.OnDataAvailable = [&](TWSocket* s, int) {
        char buffer[512];
        const int got = s->Receive(buffer, sizeof buffer);
        if (got > 0)
            reply = QByteArray(buffer, got);
    };
    connectTo(socket, peer.port(), "udp");
    EXPECT_EQ(socket.State(), wsConnected);
    socket.SendStr("ping");
    ASSERT_TRUE(waitUntil([&] { return !reply.isEmpty(); }));
    EXPECT_EQ(reply, "re:ping");
    EXPECT_EQ(peer.datagrams(), (QList<QByteArray>{"ping"}));
}

TEST(AsyncSocketTest, DottedAddressLookupIsAnsweredInsideTheCall)
{
    TWSocket socket;
    EventLog log;
    log.attach(socket);
    socket.DnsLookup(QStringLiteral("127.000.000.001"));
    EXPECT_EQ(log.events, (std::vector<std::string>{"DnsLookupDone(0)"}));
    EXPECT_EQ(socket.DnsResult(), "127.0.0.1");
    EXPECT_EQ(socket.DnsResultList(), QStringList{"127.0.0.1"});
    socket.DnsLookup(QString());
    EXPECT_EQ(log.events.back(), "DnsLookupDone(10022)");
}

TEST(AsyncSocketTest, NameLookupIsAnsweredLater)
{
    TWSocket socket;
    EventLog log;
    log.attach(socket);
    socket.DnsLookup(QStringLiteral("localhost"));
    EXPECT_TRUE(log.events.empty());
    ASSERT_TRUE(waitUntil([&] { return !log.events.empty(); }));
    EXPECT_EQ(log.events, (std::vector<std::string>{"DnsLookupDone(0)"}));
    EXPECT_TRUE(socket.DnsResult().startsWith("127.")) << socket.DnsResult().toStdString();
}

TEST(AsyncSocketTest, CancelledLookupReports10004AndItsAnswerIsDropped)
{
    TWSocket socket;
    EventLog log;
    log.attach(socket);
    socket.DnsLookup(QStringLiteral("localhost"));
    socket.CancelDnsLookup();
    EXPECT_EQ(log.events, (std::vector<std::string>{"DnsLookupDone(10004)"}));
    socket.CancelDnsLookup();
    pumpEvents(300);
    EXPECT_EQ(log.events.size(), 1u);
    EXPECT_TRUE(socket.DnsResult().isEmpty());
}

TEST(AsyncSocketTest, MisuseThrowsTheComponentTexts)
{
    TWSocket socket;
    socket.setPort(QString());
    socket.setAddr(QStringLiteral("127.0.0.1"));
    EXPECT_THROW(socket.Connect(), SocketException);
    socket.setPort(QStringLiteral("smtp"));
    socket.setAddr(QStringLiteral("mail.example"));
    try {
        socket.Connect();
        FAIL();
    } catch (const SocketException& e) {
        EXPECT_EQ(e.text(), "WSocketResolveHost: Cannot convert host address 'mail.example'");
    }
    socket.setAddr(QStringLiteral("127.0.0.1"));
    socket.setPort(QStringLiteral("70000"));
    EXPECT_THROW(socket.Connect(), SocketException);
    ScriptedPeer peer;
    ASSERT_TRUE(peer.listen());
    connectTo(socket, peer.port());
    try {
        socket.setAddr(QStringLiteral("127.0.0.2"));
        FAIL();
    } catch (const SocketException& e) {
        EXPECT_EQ(e.text(), "Cannot change Addr if not closed");
    }
    EXPECT_THROW(socket.Connect(), SocketException);
}

}  // namespace

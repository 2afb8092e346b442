// Asynchronous IPv4 host-name lookup answered on the GUI thread, in place of WSAAsyncGetHostByName:
// getaddrinfo runs on a small worker pool and its answer is posted back. Starting a new lookup or
// cancelling drops the pending one's late answer; destroying the object drops it too.
#pragma once

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class HostLookup : public QObject {
    Q_OBJECT
public:
    // error: 0, or a Winsock number (11001 host not found, 11002, 11003, 11004, ...). addresses: dotted IPv4
    // addresses in the resolver's order, without repeats; empty on error.
    using Callback = std::function<void(int error, const QStringList& addresses)>;

    explicit HostLookup(QObject* parent = nullptr);
    ~HostLookup() override;
    Q_DISABLE_COPY_MOVE(HostLookup)

    // Starts a lookup of name; a lookup still pending is cancelled first. done runs later, from the event
    // loop, never inside start().
    void start(const QString& name, Callback done);
    // Drops the pending lookup's answer; returns whether one was pending.
    bool cancel();
    bool isPending() const { return m_pending != nullptr; }

    struct Request;

private:
    void finish(const std::shared_ptr<Request>& request, int error, const QStringList& addresses);

    std::shared_ptr<Request> m_pending;
};

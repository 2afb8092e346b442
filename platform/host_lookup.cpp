// Host-name lookup on a worker pool; answers travel back to the GUI thread through the application object.

#include "platform/host_lookup.h"

#include "platform/winsock_error.h"

#include <QCoreApplication>
#include <QRunnable>
#include <QThreadPool>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>

// Shared between the GUI thread and one worker; only the GUI thread reads or writes owner and done.
struct HostLookup::Request {
    HostLookup* owner = nullptr;
    Callback done;
};

namespace {

// Lookups wait on the network; a pool of their own keeps them from starving Qt's global pool.
QThreadPool& lookupPool()
{
    static QThreadPool pool;
    static const bool configured = (pool.setMaxThreadCount(8), pool.setExpiryTimeout(30000), true);
    Q_UNUSED(configured);
    return pool;
}

int resolve(const QByteArray& name, QStringList& addresses)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    errno = 0;
    const int rc = ::getaddrinfo(name.constData(), nullptr, &hints, &found);
    if (rc != 0)
        return winsockErrorFromAddrInfo(rc, errno);
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text);
        const QString dotted = QString::fromLatin1(text);
        if (!addresses.contains(dotted))
            addresses.append(dotted);
    }
    ::freeaddrinfo(found);
    return addresses.isEmpty() ? WSANO_DATA : 0;
}

}  // namespace

HostLookup::HostLookup(QObject* parent) : QObject(parent) {}

HostLookup::~HostLookup()
{
    cancel();
}

void HostLookup::start(const QString& name, Callback done)
{
    cancel();
    auto request = std::make_shared<Request>();
    request->owner = this;
    request->done = std::move(done);
    m_pending = request;
    const QByteArray encoded = name.toUtf8();
    lookupPool().start([request, encoded] {
        QStringList addresses;
        const int error = resolve(encoded, addresses);
        if (auto* app = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                app,
                [request, error, addresses] {
                    if (request->owner)
                        request->owner->finish(request, error, addresses);
                },
                Qt::QueuedConnection);
        }
    });
}

bool HostLookup::cancel()
{
    if (!m_pending)
        return false;
    m_pending->owner = nullptr;
    m_pending->done = nullptr;   // its captures are freed here, on the GUI thread
    m_pending.reset();
    return true;
}

void HostLookup::finish(const std::shared_ptr<Request>& request, int error, const QStringList& addresses)
{
    Q_ASSERT(request == m_pending);
    Callback done = std::move(request->done);
    request->owner = nullptr;
    m_pending.reset();
    if (done)
        done(error, addresses);
}

// A listener with backlog 0 whose queue is filled by connections it never accepts: see stalled_listener.h.

#include "tests/support/stalled_listener.h"

#include "tests/support/wait_until.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sorvanta::test {

StalledListener::StalledListener()
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(m_listener, 0) != 0 || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return;
    for (int& filler : m_fillers) {
        filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    pumpEvents(50);     // let the handshakes that fit complete
    m_port = ntohs(address.sin_port);
}

StalledListener::~StalledListener()
{
    for (int filler : m_fillers)
        if (filler >= 0)
            ::close(filler);
    if (m_listener >= 0)
        ::close(m_listener);
}

}  // namespace sorvanta::test

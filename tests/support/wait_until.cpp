// Event-loop pumping with a deadline.

#include "tests/support/wait_until.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace sorvanta::test {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    if (condition())
        return true;
    const QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition() || deadline.hasExpired())
            loop.quit();
    });
    poll.start();
    loop.exec();
    return condition();
}

void pumpEvents(int ms)
{
    waitUntil([] { return false; }, ms);
}

}  // namespace sorvanta::test

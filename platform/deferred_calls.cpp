// The batch of deferred calls: see deferred_calls.h. One queue per thread, run by one posted event.

#include "platform/deferred_calls.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#include <vector>

namespace {

struct Call {
    QPointer<QObject> context;
    std::function<void()> function;
};

// Rounds of calls one posted event runs at most.
constexpr int kRoundsPerEvent = 8;

class Batch : public QObject {
public:
    void add(QObject* context, std::function<void()> function)
    {
        m_calls.push_back({context, std::move(function)});
        if (m_posted)
            return;
        m_posted = true;
        QCoreApplication::postEvent(this, new BatchEvent(*this, ++m_serial));
    }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        // Calls queued by a batch's calls run in a further round of the same event (after the code that
        // queued them has returned), not in one posted anew: a dialogue step that ends a request and
        // starts the next wakes the loop once. The rounds are bounded so that sockets and timers get
        // their turn; what is left then goes to the next batch.
        for (int round = 0; round < kRoundsPerEvent && !m_calls.empty(); ++round) {
            std::vector<Call> calls;
            calls.swap(m_calls);
            for (Call& call : calls) {
                if (call.context)
                    call.function();
            }
        }
        m_posted = false;
        if (!m_calls.empty()) {
            m_posted = true;
            QCoreApplication::postEvent(this, new BatchEvent(*this, ++m_serial));
        }
        return true;
    }

private:
    // Its destructor also runs when the event is dropped undelivered (the application object went away):
    // the next call then posts anew instead of waiting for it forever.
    class BatchEvent : public QEvent {
    public:
        BatchEvent(Batch& batch, quint64 serial) : QEvent(QEvent::User), m_batch(batch), m_serial(serial) {}
        ~BatchEvent() override
        {
            if (m_serial == m_batch.m_serial)
                m_batch.m_posted = false;
        }

    private:
        Batch& m_batch;
        quint64 m_serial;
    };

    std::vector<Call> m_calls;
    bool m_posted = false;
    quint64 m_serial = 0;                                 // of the event posted last
};

Batch& batchOfThisThread()
{
    // Lives as long as the thread; the event loop of the thread runs it.
    thread_local Batch* batch = new Batch;
    return *batch;
}

}  // namespace

namespace DeferredCalls {

void post(QObject* context, std::function<void()> call)
{
    batchOfThisThread().add(context, std::move(call));
}

}  // namespace DeferredCalls

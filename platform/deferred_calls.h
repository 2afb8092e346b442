// Calls queued for the event loop in batches: the first call queued since the last batch ran posts one
// event and the others ride with it, so a loop round that queues many calls wakes the loop once (Qt's glib
// event dispatcher writes its wake-up descriptor for every posted event). Calls run in the order queued, on
// the thread that queued them; a call whose context object is gone by then is skipped; calls queued while a
// batch runs form the next round of the same event (a few rounds at most, then a new event), so a call
// never runs inside the code that queued it and a chain of steps does not wake the loop once a step.
#pragma once

#include <QObject>

#include <functional>

namespace DeferredCalls {

void post(QObject* context, std::function<void()> call);

}  // namespace DeferredCalls

// Event-loop pumping for tests where the code under test and its peers share the one GUI thread.
#pragma once

#include <functional>

namespace sorvanta::test {

// Runs the event loop (deferred deletes included) until condition() holds or timeoutMs pass; returns
// condition(). The condition is checked before the first event and about every millisecond after. The
// timeout is a bound for a loaded machine, never an expectation: a condition that holds ends the wait at once.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 30000);

// Runs the event loop for ms milliseconds, e.g. to check that no further event arrives.
void pumpEvents(int ms);

}  // namespace sorvanta::test

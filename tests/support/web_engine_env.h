// The web engine's settings for tests: the engine's sandbox refuses to start as root (as CI runs), there is
// no GPU offscreen, and the engine's module is the one of this build (the program finds it beside itself).
// Called before the first page is made; the program itself sets none of them.
#pragma once

namespace sorvanta::test {

void prepareWebEngineForTests();

}  // namespace sorvanta::test

// The web engine's settings for tests: the engine's sandbox refuses to start as root (as CI runs) and there is
// no GPU offscreen. Called before the first page is made; the program itself sets neither.
#pragma once

namespace sorvanta::test {

void prepareWebEngineForTests();

}  // namespace sorvanta::test

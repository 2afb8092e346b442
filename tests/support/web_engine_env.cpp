// Environment for the web engine in tests.

#include "tests/support/web_engine_env.h"

#include <QByteArray>
#include <QtGlobal>

namespace sorvanta::test {

void prepareWebEngineForTests()
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    qputenv("SORVANTA_HTML_ENGINE", SORVANTA_HTML_ENGINE_MODULE);   // the module of this build
}

}  // namespace sorvanta::test

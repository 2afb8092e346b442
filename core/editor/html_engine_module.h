// The HTML page's engine module, "sorvanta_html_engine.so" beside the program (or the file that
// $SORVANTA_HTML_ENGINE names, as the tests' build does). It is loaded the first time a page is needed and kept
// for the run; until then no web engine is mapped. A missing or unusable file leaves the program running
// without the HTML page, and the error says so.
#pragma once

#include <QString>

class HtmlEngineFactory;

namespace HtmlEngineModule {

QString filePath();
// The module's factory, loaded on the first call; null with *error when it cannot be had.
HtmlEngineFactory* factory(QString* error);

}  // namespace HtmlEngineModule

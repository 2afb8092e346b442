// WebEngineFactory: see web_engine_factory.h.

#include "core/editor/html_engine/web_engine_factory.h"

#include "core/editor/html_engine/web_engine_page.h"

HtmlEnginePage* WebEngineFactory::createPage(QWidget* parent, HtmlEngineHooks hooks)
{
    return new WebEnginePage(parent, std::move(hooks));
}

// The HTML engine module's root object: the program loads the module on first need (html_engine_module.h) and
// asks this object for pages.
#pragma once

#include "core/editor/html_engine.h"

#include <QObject>

class WebEngineFactory : public QObject, public HtmlEngineFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID HtmlEngineFactory_iid)
    Q_INTERFACES(HtmlEngineFactory)

public:
    HtmlEnginePage* createPage(QWidget* parent, HtmlEngineHooks hooks) override;
};

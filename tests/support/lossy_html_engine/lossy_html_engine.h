// A web engine module for tests that loses answers, as the engine now and then does on a busy machine: it wraps
// the engine module of this build, and the first run of every script text runs in the page with its answer
// dropped. Later runs of the same text are answered.
#pragma once

#include "core/editor/html_engine.h"

#include <QObject>

class LossyEngineFactory : public QObject, public HtmlEngineFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID HtmlEngineFactory_iid)
    Q_INTERFACES(HtmlEngineFactory)

public:
    HtmlEnginePage* createPage(QWidget* parent, HtmlEngineHooks hooks) override;
};

// The HTML engine module's loader: see html_engine_module.h.

#include "core/editor/html_engine_module.h"

#include "core/editor/html_engine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QOpenGLContext>
#include <QPluginLoader>

// QtGui's setter of the global share context (exported for modules like the web engine, in no public header).
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("HtmlEngineModule", text);
}

// The web engine shares its OpenGL resources through Qt's global share context and expects to find one when it
// starts: linked into the program, it has Qt make one at start-up, before the first window. Made here, just
// before the module loads, no OpenGL is set up before the HTML page is needed. A context that cannot be
// created (no OpenGL) is still set: the engine then draws without OpenGL.
void prepareShareContext()
{
    if (QOpenGLContext::globalShareContext())
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    context->setFormat(QSurfaceFormat::defaultFormat());
    context->create();
    qt_gl_set_global_share_context(context);
}

// Each file is loaded once; a module is never unloaded (the engine's threads outlive any page).
HtmlEngineFactory* load(const QString& path, QString* error)
{
    static QHash<QString, HtmlEngineFactory*> loaded;
    if (HtmlEngineFactory* factory = loaded.value(path))
        return factory;
    if (!QFileInfo(path).isFile()) {
        *error = tr("The HTML editor is not installed: %1 is missing.").arg(path);
        return nullptr;
    }
    prepareShareContext();
    QPluginLoader loader(path);
    QObject* root = loader.instance();
    auto* factory = qobject_cast<HtmlEngineFactory*>(root);
    if (!factory) {
        *error = root ? tr("The HTML editor cannot be started: %1 is not its module.").arg(path)
                      : tr("The HTML editor cannot be started: %1").arg(loader.errorString());
        return nullptr;
    }
    loaded.insert(path, factory);
    return factory;
}

}  // namespace

QString HtmlEngineModule::filePath()
{
    const QString named = qEnvironmentVariable("SORVANTA_HTML_ENGINE");
    if (!named.isEmpty())
        return named;
    return QCoreApplication::applicationDirPath() + u'/' + QLatin1String(SORVANTA_HTML_ENGINE_FILE_NAME);
}

HtmlEngineFactory* HtmlEngineModule::factory(QString* error)
{
    QString reason;
    HtmlEngineFactory* found = load(filePath(), &reason);
    if (error)
        *error = reason;
    return found;
}

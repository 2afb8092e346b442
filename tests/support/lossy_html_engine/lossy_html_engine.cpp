// LossyEngineFactory: see lossy_html_engine.h.

#include "tests/support/lossy_html_engine/lossy_html_engine.h"

#include <QPluginLoader>
#include <QSet>
#include <QWidget>

namespace {

// Lives as a child of the real page's widget, so that deleting the widget deletes it too.
class LossyPage : public QObject, public HtmlEnginePage {
public:
    explicit LossyPage(HtmlEnginePage* page) : QObject(page->widget()), m_page(page) {}

    QWidget* widget() override { return m_page->widget(); }
    void showSource(const QString& source, const QUrl& base) override { m_page->showSource(source, base); }
    void showFile(const QUrl& file) override { m_page->showFile(file); }
    void stop() override { m_page->stop(); }

    void runScript(const QString& script, std::function<void(const QVariant& value)> answer) override
    {
        if (m_sent.contains(script)) {
            m_page->runScript(script, std::move(answer));
            return;
        }
        m_sent.insert(script);
        m_page->runScript(script, [](const QVariant&) {});
    }

private:
    HtmlEnginePage* m_page;
    QSet<QString> m_sent;
};

HtmlEngineFactory* realFactory()
{
    static QPluginLoader loader(QStringLiteral(SORVANTA_HTML_ENGINE_MODULE));
    return qobject_cast<HtmlEngineFactory*>(loader.instance());
}

}  // namespace

HtmlEnginePage* LossyEngineFactory::createPage(QWidget* parent, HtmlEngineHooks hooks)
{
    HtmlEngineFactory* real = realFactory();
    if (!real)
        qFatal("The engine module %s cannot be loaded.", SORVANTA_HTML_ENGINE_MODULE);
    return new LossyPage(real->createPage(parent, std::move(hooks)));
}

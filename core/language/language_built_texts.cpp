// Built texts of translated windows: see language_built_texts.h.

#include "core/language/language_built_texts.h"

#include <QPointer>
#include <QWidget>

#include <cstring>
#include <vector>

namespace {

class BuiltTexts : public QObject {
public:
    explicit BuiltTexts(QObject* window) : QObject(window) {}

    void keep(const LanguageTarget& target)
    {
        for (const Text& text : m_texts)
            if (text.component == target.component && std::strcmp(text.property.name, target.property.name) == 0
                && text.index == target.index)
                return;
        m_texts.push_back({target.component, target.property, target.index, target.value()});
    }

    void restore() const
    {
        for (const Text& text : m_texts) {
            if (!text.component || text.index >= text.property.read(text.component).size())
                continue;
            LanguageTarget{text.component, text.property, text.index}.setValue(text.value);
        }
    }

    static BuiltTexts* of(const QObject* window)
    {
        for (QObject* child : window->children())
            if (auto* texts = dynamic_cast<BuiltTexts*>(child))
                return texts;
        return nullptr;
    }

private:
    struct Text {
        QPointer<QObject> component;   // a component may go before its window
        LanguageProperty property;
        int index;
        QString value;
    };
    std::vector<Text> m_texts;
};

}  // namespace

void keepBuiltText(QWidget* window, const LanguageTarget& target)
{
    BuiltTexts* texts = BuiltTexts::of(window);
    if (!texts)
        texts = new BuiltTexts(window);
    texts->keep(target);
}

void RestoreBuiltTexts(QWidget* window)
{
    if (const BuiltTexts* texts = BuiltTexts::of(window))
        texts->restore();
}

// The property registry of language files: which property names a language file may use on a component
// ("Caption", "Hint", "Text", "Items", "Lines", "Columns", "Panels") and the Qt property each one stands for,
// by the component's class. Only texts a user reads are here: names, values, sizes and flags never are.
// A widget whose lists hold data rather than texts (file lists, drives) is kept out with keepOutOfLanguageFiles.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QObject;

enum class LanguagePropertyKind {
    Text,         // one text: "name.Caption"
    Lines,        // a list of lines by index: "name.Items.3"
    Collection,   // one text of each item of a collection: "name.Columns.3.Caption"
};

struct LanguageProperty {
    LanguagePropertyKind kind;
    const char* name;          // as language files spell it
    const char* subproperty;   // Collection: the item's text ("Caption", "Text"); otherwise nullptr
    // Text: exactly one value; Lines and Collection: one value per line or item.
    QStringList (*read)(const QObject* component);
    // Sets the value of line or item index (Text ignores index); the caller checks index against read().
    void (*write)(QObject* component, int index, const QString& value);
};

// The translatable properties of component in the order a template lists them; none for other classes.
QList<LanguageProperty> languageProperties(const QObject* component);
// The property a language file names, letter case ignored, or nullopt when component has none of that name.
std::optional<LanguageProperty> findLanguageProperty(const QObject* component, const QString& name);
// A window's own caption, the "Self.Caption" of language files.
LanguageProperty windowCaptionProperty();

// One translatable text of one component: a property and, for lines and collections, the line or item.
struct LanguageTarget {
    QObject* component;
    LanguageProperty property;
    int index;   // 0 for a Text property

    QString value() const { return property.read(component).value(index); }
    void setValue(const QString& value) const { property.write(component, index, value); }
};

// Marks component so that language files neither list nor change its properties.
void keepOutOfLanguageFiles(QObject* component);

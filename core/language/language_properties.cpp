// The property registry of language files: see language_properties.h.

#include "core/language/language_properties.h"

#include "core/language/msg_language.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeWidget>

namespace {

constexpr char keptOutProperty[] = "keptOutOfLanguageFiles";

template <class Component, QString (Component::*Get)() const, void (Component::*Set)(const QString&)>
LanguageProperty textProperty(const char* name)
{
    return {LanguagePropertyKind::Text, name, nullptr,
            [](const QObject* component) { return QStringList{(static_cast<const Component*>(component)->*Get)()}; },
            [](QObject* component, int, const QString& value) { (static_cast<Component*>(component)->*Set)(value); }};
}

template <class Component>
const Component* as(const QObject* component)
{
    return static_cast<const Component*>(component);
}

template <class Component>
Component* as(QObject* component)
{
    return static_cast<Component*>(component);
}

// The texts of count lines or items, by number.
template <class TextOf>
QStringList textsOf(int count, TextOf textOf)
{
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts << textOf(i);
    return texts;
}

// ---- lines ----

LanguageProperty messageItems()
{
    return {LanguagePropertyKind::Lines, "Items", nullptr,
            [](const QObject* component) { return as<TMsgLanguage>(component)->items(); },
            [](QObject* component, int index, const QString& value) {
                as<TMsgLanguage>(component)->setText(index, value);
            }};
}

LanguageProperty comboItems()
{
    return {LanguagePropertyKind::Lines, "Items", nullptr,
            [](const QObject* component) {
                const auto* box = as<QComboBox>(component);
                return textsOf(box->count(), [box](int i) { return box->itemText(i); });
            },
            // setItemText keeps the selected index, as the selection must survive a translation.
            [](QObject* component, int index, const QString& value) {
                as<QComboBox>(component)->setItemText(index, value);
            }};
}

LanguageProperty listItems()
{
    return {LanguagePropertyKind::Lines, "Items", nullptr,
            [](const QObject* component) {
                const auto* list = as<QListWidget>(component);
                return textsOf(list->count(), [list](int i) { return list->item(i)->text(); });
            },
            [](QObject* component, int index, const QString& value) {
                as<QListWidget>(component)->item(index)->setText(value);
            }};
}

QTextDocument* documentOf(const QObject* component)
{
    if (const auto* edit = qobject_cast<const QTextEdit*>(component))
        return edit->document();
    return qobject_cast<const QPlainTextEdit*>(component)->document();
}

// A memo's lines are its text blocks; an empty memo has none.
LanguageProperty memoLines()
{
    return {LanguagePropertyKind::Lines, "Lines", nullptr,
            [](const QObject* component) {
                const QTextDocument* document = documentOf(component);
                QStringList lines;
                if (!document->isEmpty())
                    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
                        lines << block.text();
                return lines;
            },
            [](QObject* component, int index, const QString& value) {
                QTextCursor cursor(documentOf(component)->findBlockByNumber(index));
                cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                cursor.insertText(value);
            }};
}

// ---- collections ----

LanguageProperty treeColumns()
{
    return {LanguagePropertyKind::Collection, "Columns", "Caption",
            [](const QObject* component) {
                const QTreeWidgetItem* header = as<QTreeWidget>(component)->headerItem();
                return textsOf(header->columnCount(), [header](int i) { return header->text(i); });
            },
            [](QObject* component, int index, const QString& value) {
                as<QTreeWidget>(component)->headerItem()->setText(index, value);
            }};
}

// A status bar's panels are the labels it holds, in the order they were added.
QList<QLabel*> panelsOf(const QObject* statusBar)
{
    return statusBar->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
}

LanguageProperty statusPanels()
{
    return {LanguagePropertyKind::Collection, "Panels", "Text",
            [](const QObject* component) {
                QStringList texts;
                for (const QLabel* panel : panelsOf(component))
                    texts << panel->text();
                return texts;
            },
            [](QObject* component, int index, const QString& value) { panelsOf(component).at(index)->setText(value); }};
}

// ---- captions ----

QTabWidget* tabWidgetOf(const QWidget* page)
{
    const QWidget* stack = qobject_cast<const QStackedWidget*>(page->parentWidget());
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(page) >= 0 ? tabs : nullptr;
}

LanguageProperty tabCaption()
{
    return {LanguagePropertyKind::Text, "Caption", nullptr,
            [](const QObject* component) {
                const auto* page = as<QWidget>(component);
                const QTabWidget* tabs = tabWidgetOf(page);
                return QStringList{tabs->tabText(tabs->indexOf(page))};
            },
            [](QObject* component, int, const QString& value) {
                auto* page = as<QWidget>(component);
                QTabWidget* tabs = tabWidgetOf(page);
                tabs->setTabText(tabs->indexOf(page), value);
            }};
}

// The one text a widget shows as its caption or content, if it has one.
std::optional<LanguageProperty> widgetText(const QWidget* widget)
{
    if (qobject_cast<const QLabel*>(widget))
        return textProperty<QLabel, &QLabel::text, &QLabel::setText>("Caption");
    if (qobject_cast<const QAbstractButton*>(widget))
        return textProperty<QAbstractButton, &QAbstractButton::text, &QAbstractButton::setText>("Caption");
    if (qobject_cast<const QGroupBox*>(widget))
        return textProperty<QGroupBox, &QGroupBox::title, &QGroupBox::setTitle>("Caption");
    if (qobject_cast<const QLineEdit*>(widget))
        return textProperty<QLineEdit, &QLineEdit::text, &QLineEdit::setText>("Text");
    if (const auto* box = qobject_cast<const QComboBox*>(widget); box && box->isEditable())
        return textProperty<QComboBox, &QComboBox::currentText, &QComboBox::setEditText>("Text");
    if (tabWidgetOf(widget))
        return tabCaption();
    return std::nullopt;
}

std::optional<LanguageProperty> widgetLines(const QWidget* widget)
{
    if (qobject_cast<const QComboBox*>(widget))
        return comboItems();
    if (qobject_cast<const QListWidget*>(widget))
        return listItems();
    if (qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget))
        return memoLines();
    return std::nullopt;
}

std::optional<LanguageProperty> widgetCollection(const QWidget* widget)
{
    if (qobject_cast<const QTreeWidget*>(widget))
        return treeColumns();
    if (qobject_cast<const QStatusBar*>(widget))
        return statusPanels();
    return std::nullopt;
}

QList<LanguageProperty> widgetProperties(const QWidget* widget)
{
    if (qobject_cast<const QMenu*>(widget))
        return {textProperty<QMenu, &QMenu::title, &QMenu::setTitle>("Caption")};
    QList<LanguageProperty> properties;
    if (auto text = widgetText(widget))
        properties << *text;
    properties << textProperty<QWidget, &QWidget::toolTip, &QWidget::setToolTip>("Hint");
    if (auto lines = widgetLines(widget))
        properties << *lines;
    if (auto collection = widgetCollection(widget))
        properties << *collection;
    return properties;
}

}  // namespace

QList<LanguageProperty> languageProperties(const QObject* component)
{
    if (!component || component->property(keptOutProperty).toBool())
        return {};
    if (qobject_cast<const TMsgLanguage*>(component))
        return {messageItems()};
    if (qobject_cast<const QAction*>(component))
        // A menu item's hint is the status-bar text, as the tool tip of an action defaults to its caption.
        return {textProperty<QAction, &QAction::text, &QAction::setText>("Caption"),
                textProperty<QAction, &QAction::statusTip, &QAction::setStatusTip>("Hint")};
    if (const auto* widget = qobject_cast<const QWidget*>(component))
        return widgetProperties(widget);
    return {};
}

std::optional<LanguageProperty> findLanguageProperty(const QObject* component, const QString& name)
{
    for (const LanguageProperty& property : languageProperties(component))
        if (name.compare(QLatin1String(property.name), Qt::CaseInsensitive) == 0)
            return property;
    return std::nullopt;
}

LanguageProperty windowCaptionProperty()
{
    return textProperty<QWidget, &QWidget::windowTitle, &QWidget::setWindowTitle>("Caption");
}

void keepOutOfLanguageFiles(QObject* component)
{
    component->setProperty(keptOutProperty, true);
}

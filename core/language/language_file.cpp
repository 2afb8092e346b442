// Interface language files: see language_file.h.

#include "core/language/language_file.h"

#include "core/settings/ini_info.h"
#include "core/language/language_built_texts.h"
#include "core/language/language_properties.h"
#include "core/base/text_helpers.h"
#include "platform/file_mask.h"
#include "platform/ini_file.h"
#include "platform/text_file.h"

#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

#include <optional>

namespace {

const QString lineBreakMark = QStringLiteral("~~");

QString encodeLineBreaks(QString text)
{
    return text.replace(QLatin1String("\r\n"), lineBreakMark).replace('\n', lineBreakMark);
}

int indexOrMinusOne(const QString& text)
{
    bool ok = false;
    const int index = text.toInt(&ok);
    return ok ? index : -1;
}

// Another window inside this one (a dialog, an MDI child) has its own section; a menu does not.
bool isOtherWindow(const QObject* object)
{
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget
           && (qobject_cast<const QMdiSubWindow*>(widget) || (widget->isWindow() && widget->windowType() != Qt::Popup));
}

// Qt's own parts of composite widgets are named "qt_..."; nameless objects cannot be addressed by a file.
bool hasComponentName(const QObject* object)
{
    const QString name = object->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

void collectComponents(const QObject* parent, QList<QObject*>& components)
{
    for (QObject* child : parent->children()) {
        if (isOtherWindow(child))
            continue;
        if (hasComponentName(child))
            components << child;
        collectComponents(child, components);
    }
}

// The components window owns, in creation order.
QList<QObject*> ownedComponents(const QWidget* window)
{
    QList<QObject*> components;
    collectComponents(window, components);
    return components;
}

QObject* findComponent(const QList<QObject*>& components, const QString& name)
{
    for (QObject* component : components)
        if (component->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return component;
    return nullptr;
}

// Where line points, when it points at a text the file may change: a string only while it is non-empty, a line
// or an item only within the list.
std::optional<LanguageTarget> targetOf(QWidget* window, const QList<QObject*>& components, const LanguageLine& line)
{
    if (line.component == QLatin1String("Self") && line.property == QLatin1String("Caption"))
        return LanguageTarget{window, windowCaptionProperty(), 0};
    QObject* component = findComponent(components, line.component);
    const std::optional<LanguageProperty> property =
        component ? findLanguageProperty(component, line.property) : std::nullopt;
    if (!property)
        return std::nullopt;
    const QStringList values = property->read(component);
    switch (property->kind) {
    case LanguagePropertyKind::Text:
        if (values.value(0).isEmpty())
            return std::nullopt;
        return LanguageTarget{component, *property, 0};
    case LanguagePropertyKind::Collection:
        if (line.subproperty.compare(QLatin1String(property->subproperty), Qt::CaseInsensitive) != 0)
            return std::nullopt;
        [[fallthrough]];
    case LanguagePropertyKind::Lines:
        if (line.index < 0 || line.index >= values.size())
            return std::nullopt;
        return LanguageTarget{component, *property, line.index};
    }
    Q_UNREACHABLE();
}

void writeTemplateEntries(IniFile& file, const QString& section, const QObject* component)
{
    const QString name = component->objectName() + '.';
    for (const LanguageProperty& property : languageProperties(component)) {
        const QString key = name + QLatin1String(property.name);
        const QStringList values = property.read(component);
        switch (property.kind) {
        case LanguagePropertyKind::Text:
            if (!values.value(0).isEmpty() && values.value(0) != QLatin1String("-"))
                file.writeString(section, key, encodeLineBreaks(values.value(0)));
            break;
        case LanguagePropertyKind::Lines:
            for (int i = 0; i < values.size(); ++i)
                if (!values[i].isEmpty())
                    file.writeString(section, key + '.' + QString::number(i), encodeLineBreaks(values[i]));
            break;
        case LanguagePropertyKind::Collection:
            for (int i = 0; i < values.size(); ++i)
                file.writeString(section, key + '.' + QString::number(i) + '.' + QLatin1String(property.subproperty),
                                 encodeLineBreaks(values[i]));
            break;
        }
    }
}

QStringList programFolderFiles()
{
    return QDir(ProgramFolder()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

}  // namespace

LanguageLine ParseLanguageLine(const QString& line)
{
    LanguageLine parsed;
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return parsed;
    const QString key = line.left(equals);
    parsed.value = line.mid(equals + 1).replace(lineBreakMark, QStringLiteral("\n"));
    parsed.component = key.section('.', 0, 0);
    const QString rest = key.section('.', 1);
    if (!rest.contains('.')) {
        parsed.property = rest;
        return parsed;
    }
    parsed.property = rest.section('.', 0, 0);
    const QString tail = rest.section('.', 1);
    parsed.index = indexOrMinusOne(tail.section('.', 0, 0));
    if (tail.contains('.'))
        parsed.subproperty = tail.section('.', 1);
    return parsed;
}

QString languageSection(const QWidget* window)
{
    return QString::fromLatin1(window->metaObject()->className()).toUpper();
}

void LoadLanguage(QWidget* window, const QString& fileName)
{
    if (!QFileInfo::exists(fileName)) {
        writeFileAtomically(fileName, {});
        return;
    }
    const IniFile file(fileName);
    const QList<QObject*> components = ownedComponents(window);
    for (const QString& entry : file.sectionValues(languageSection(window))) {
        const LanguageLine line = ParseLanguageLine(entry);
        if (const std::optional<LanguageTarget> target = targetOf(window, components, line)) {
            keepBuiltText(window, *target);
            target->setValue(line.value);
        }
    }
}

bool WriteLanguageTemplate(QWidget* window, const QString& fileName, QString* error)
{
    IniFile file(fileName);
    const QString section = languageSection(window);
    file.writeString(section, QStringLiteral("Self.Caption"), encodeLineBreaks(window->windowTitle()));
    for (const QObject* component : ownedComponents(window))
        writeTemplateEntries(file, section, component);
    return file.updateFile(error);
}

QStringList ListLanguageFiles()
{
    const QString templateName = QLatin1String(templateLanguage) + QStringLiteral(".lan");
    QStringList names;
    for (const QString& fileName : programFolderFiles()) {
        const QString name = fileName.chopped(4).toLower();
        if (matchesFileMask(fileName, QStringLiteral("*.lan")) && fileName.toLower() != templateName && !name.isEmpty())
            names << name;
    }
    names.sort();
    names.removeDuplicates();
    return names;
}

QString languageFilePath(const QString& language)
{
    const QString wanted = language + QStringLiteral(".lan");
    const QString exact = ProgramFolder() + wanted;
    if (QFileInfo(exact).isFile())
        return exact;
    for (const QString& fileName : programFolderFiles())
        if (fileName.compare(wanted, Qt::CaseInsensitive) == 0)
            return ProgramFolder() + fileName;
    return exact;
}

void TranslateForm(QWidget* window)
{
    if (DefaultIniInfo.LangInit && DefaultIniInfo.LangFile == QLatin1String(templateLanguage)) {
        QString error;
        if (!WriteLanguageTemplate(window, languageFilePath(QLatin1String(templateLanguage)), &error))
            qWarning("language template not written: %s", qUtf8Printable(error));
    }
    if (DefaultIniInfo.LangOn)
        LoadLanguage(window, languageFilePath(DefaultIniInfo.LangFile));
    window->update();
}

// Going back to the built texts first means a language never shows through another one chosen after it.
void TranslateOpenWindows(QWidget* mainWindow, const QMdiArea* area)
{
    QList<QWidget*> windows;
    for (const QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder))
        if (sub->widget())
            windows << sub->widget();
    windows << mainWindow;
    for (QWidget* window : windows) {
        RestoreBuiltTexts(window);
        if (DefaultIniInfo.LangOn)
            LoadLanguage(window, languageFilePath(DefaultIniInfo.LangFile));
        window->update();
    }
}

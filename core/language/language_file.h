// Interface language files: one ini file per language in the program folder ("<language>.lan", found whatever
// the letter case of its name), a section per window class (the class name in upper case) of entries
// "component.property[.index[.subproperty]]=value", "~~" standing for a line break. Loading never fails
// loudly: entries that name nothing translatable (core/language/language_properties.h) are skipped.
//
// How a window registers for translation (every window does, also those added later):
// name each component with setObjectName as language files call it, and give the window an msl (TMsgLanguage)
// when it shows messages; once built, call WindowHost::requestTranslation(window) (core/base/window_host.h) before filling in data.
// Then add the window to the table of tests/core/frame/window_translation_gui_test.cpp.
#pragma once

#include <QString>
#include <QStringList>

class QMdiArea;
class QWidget;

// The language name of the template of English texts, "language.lan", and of "Default (English)".
inline constexpr char templateLanguage[] = "language";

// One entry of a language file, split up.
struct LanguageLine {
    QString component;     // text before the key's first "."; "Self" for the window itself
    QString property;
    int index = -1;        // line or item number; -1 when absent or not a number
    QString subproperty;   // a collection item's property; empty when absent
    QString value;         // "~~" already turned into line breaks
};

// Splits "key=value": the key at its dots, the value with every "~~" made a line break ("\n"). A line
// without "=" gives an empty key and value.
LanguageLine ParseLanguageLine(const QString& line);

// The file section of window: its class name in upper case ("TMAINFORM").
QString languageSection(const QWidget* window);

// Applies the file's section for window in file order. A missing file is created empty. Before its first change
// each text is kept, for RestoreBuiltTexts (core/language/language_built_texts.h).
void LoadLanguage(QWidget* window, const QString& fileName);
// Writes the caption and every non-empty translatable text of window into its section of the file; other
// sections and keys stay. False with *error when the file cannot be written.
bool WriteLanguageTemplate(QWidget* window, const QString& fileName, QString* error = nullptr);

// The language names of the program folder's ".lan" files (any letter case), lower-cased, sorted, without
// duplicates; the template "language.lan" is left out.
QStringList ListLanguageFiles();
// The file of language in the program folder: "<language>.lan" in whatever letter case it exists, else that
// name as it is.
QString languageFilePath(const QString& language);

// A new window's translation: writes its template while the settings ask for one, then applies the chosen
// language when one is on.
void TranslateForm(QWidget* window);
// The language menu's change: every MDI child of area in creation order, then mainWindow, go back to the texts
// they were built with and then take the chosen language when one is on.
void TranslateOpenWindows(QWidget* mainWindow, const QMdiArea* area);

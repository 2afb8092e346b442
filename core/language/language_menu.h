// The main window's Language menu: "Default (English)" (miEnglish, tag -1) and one item per language file of
// the program folder, the language in use checked. A click stores the choice in DefaultIniInfo (LangFile,
// LangOn, LangInit; written with the settings) and sends WM_TRANSLATE (1, 0) to the main window.
#pragma once

class QAction;
class QMenu;
class QWidget;

// Fills miLang (empty) with its items, then SyncLanguageMenu.
void BuildLanguageMenu(QMenu* miLang, QWidget* mainWindow);
// Checks the item of the language in use; when that language is off, is the template or has no file any more,
// falls back to "Default (English)". Then translates mainWindow.
void SyncLanguageMenu(QMenu* miLang, QWidget* mainWindow);
void LanguageItemClick(QMenu* miLang, QAction* item, QWidget* mainWindow);

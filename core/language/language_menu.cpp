// The Language menu: see language_menu.h.

#include "core/language/language_menu.h"

#include "core/settings/ini_info.h"
#include "core/language/language_file.h"
#include "core/base/user_messages.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QWidget>

namespace {

constexpr int englishTag = -1;

bool isEnglishItem(const QAction* item)
{
    return item->data().userType() == QMetaType::Int && item->data().toInt() == englishTag;
}

QAction* addLanguageItem(QMenu* miLang, QWidget* mainWindow, const QString& caption, const QVariant& data)
{
    QAction* item = miLang->addAction(caption);
    item->setCheckable(true);
    item->setData(data);
    QObject::connect(item, &QAction::triggered, mainWindow,
                     [miLang, item, mainWindow] { LanguageItemClick(miLang, item, mainWindow); });
    return item;
}

void checkOnly(const QMenu* miLang, QAction* chosen)
{
    for (QAction* item : miLang->actions())
        item->setChecked(item == chosen);
}

}  // namespace

void BuildLanguageMenu(QMenu* miLang, QWidget* mainWindow)
{
    QAction* english = addLanguageItem(miLang, mainWindow, QObject::tr("Default (English)"), englishTag);
    english->setObjectName(QStringLiteral("miEnglish"));
    for (const QString& language : ListLanguageFiles())
        // The item's data holds the name; the caption shows a "&" in it as it is.
        addLanguageItem(miLang, mainWindow, QString(language).replace('&', QLatin1String("&&")), language);
    SyncLanguageMenu(miLang, mainWindow);
}

void SyncLanguageMenu(QMenu* miLang, QWidget* mainWindow)
{
    QAction* chosen = nullptr;
    const QString& language = DefaultIniInfo.LangFile;
    if (DefaultIniInfo.LangOn && language != QLatin1String(templateLanguage)
        && QFileInfo(languageFilePath(language)).isFile()) {
        for (QAction* item : miLang->actions())
            if (!isEnglishItem(item) && item->data().toString().compare(language, Qt::CaseInsensitive) == 0)
                chosen = item;
    }
    if (!chosen) {
        DefaultIniInfo.LangFile = QLatin1String(templateLanguage);
        DefaultIniInfo.LangOn = false;
        chosen = miLang->actions().value(0);
    }
    checkOnly(miLang, chosen);
    TranslateForm(mainWindow);
}

void LanguageItemClick(QMenu* miLang, QAction* item, QWidget* mainWindow)
{
    checkOnly(miLang, item);
    if (isEnglishItem(item)) {
        DefaultIniInfo.LangOn = false;
        DefaultIniInfo.LangFile = QLatin1String(templateLanguage);
    } else {
        DefaultIniInfo.LangFile = item->data().toString();
        DefaultIniInfo.LangOn = true;
        DefaultIniInfo.LangInit = false;
    }
    WindowMessage::send(mainWindow, WM_TRANSLATE, 1, 0);
}

// The HTML body's modified and save rules.

#include "core/editor/html_body_rules.h"

#include "core/project/project_files.h"
#include "transport/mime/html_meta_charset.h"

#include <QCoreApplication>

bool HtmlBodyModified(HtmlBodyDocument& page, bool fileExists)
{
    return page.documentReady() && (!fileExists || page.dirty());
}

HtmlSaveResult SaveHtmlBody(HtmlBodyDocument& page, const QString& fileName, QString* error)
{
    if (!page.documentReady())
        return HtmlSaveResult::NotLoaded;
    const std::optional<QString> source = page.htmlSource();
    if (!source) {
        if (error)
            *error = QCoreApplication::translate("HtmlBody", "The HTML page did not answer.");
        return HtmlSaveResult::Failed;
    }
    if (!WriteHtmlBody(fileName, withUtf8CharsetMeta(*source), error))
        return HtmlSaveResult::Failed;
    page.markSaved();
    return HtmlSaveResult::Saved;
}

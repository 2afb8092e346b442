// When the HTML body counts as modified and how it is saved, apart from the engine: the editor's page answers
// through HtmlBodyDocument, so the rules are tested with a fake page. The body is modified only while a page
// is ready, and then when its ".htm" file is missing or the page is dirty (every command, drop, typed key
// and DOM change makes it dirty; only a successful save cleans it). A page that never loaded, or whose source
// cannot be had, never overwrites the ".htm".
#pragma once

#include <QString>

#include <optional>

class HtmlBodyDocument {
public:
    virtual ~HtmlBodyDocument() = default;
    virtual bool documentReady() const = 0;   // a page has loaded and is editable
    virtual bool dirty() = 0;                 // changed since it was loaded or saved
    virtual std::optional<QString> htmlSource() = 0;   // nullopt when the page does not answer in time
    virtual void markSaved() = 0;             // the source was written: clean again
};

bool HtmlBodyModified(HtmlBodyDocument& page, bool fileExists);

enum class HtmlSaveResult {
    Saved,        // written; the page is clean
    NotLoaded,    // no page is ready: nothing was written
    Failed,       // the page gave no source or the file could not be written; *error says why
};

// SaveHtmlSource: the page's source written to fileName (atomically, CR LF line ends) as UTF-8, with its
// charset meta tag saying so in place of the one it was loaded with.
HtmlSaveResult SaveHtmlBody(HtmlBodyDocument& page, const QString& fileName, QString* error = nullptr);

// EmbedHtmlImages: the local pictures of an HTML body turned into related parts. Every "<img" tag's src and
// every background= value that names an existing local file (a relative name, an absolute path or a file
// URL) is listed with a new content id and replaced in the HTML by "cid:" and that id. Other addresses
// ("http://...") and files that do not exist are left as they stand. No window, no network.
#pragma once

#include <QString>
#include <QStringList>

struct HtmlImageContext {
    QString projectFolder;    // where relative names are found (PathPro)
    QString baseUrl;          // used instead when it names an existing folder (BaseUrl)
    QString mailDomain;       // the sender's domain; its part after the first "." ends every id
};

// files and ids are refilled in the order the pictures appear: img tags first, then background values.
void EmbedHtmlImages(QString& html, QStringList& files, QStringList& ids, const HtmlImageContext& context);

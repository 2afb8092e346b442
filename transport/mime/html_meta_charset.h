// The charset an HTML body declares for itself: a body converted to the sending charset must not keep a
// <meta charset=...> or <meta http-equiv="Content-Type" content="...; charset=..."> naming the charset it
// was written in, or readers that honour the declaration show the wrong characters; a page saved as UTF-8
// must say so. Text only, no parsing beyond the meta tags and the head tag.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The lines with the charset of every meta tag's declaration replaced by charset; a tag may span lines.
// Lines without such a declaration stay as they are.
QStringList withMetaCharset(const QStringList& lines, const QString& charset);

// The page with its first charset meta tag (either form) replaced whole by <meta charset="utf-8"> and any
// further ones removed; a page without one gets it as the first thing in its <head>. A page without a head
// tag and without a declaration stays as it is.
QString withUtf8CharsetMeta(const QString& html);

// The charset name the first meta tag of the page's first 64 KB declares ("koi8-r"), or empty.
QByteArray declaredCharset(QByteArrayView html);

// The charset an HTML body declares for itself: a body converted to the sending charset must not keep a
// <meta charset=...> or <meta http-equiv="Content-Type" content="...; charset=..."> naming the charset it
// was written in, or readers that honour the declaration show the wrong characters. Text only, no parsing
// beyond the meta tags.
#pragma once

#include <QString>
#include <QStringList>

// The lines with the charset of every meta tag's declaration replaced by charset; a tag may span lines.
// Lines without such a declaration stay as they are.
QStringList withMetaCharset(const QStringList& lines, const QString& charset);

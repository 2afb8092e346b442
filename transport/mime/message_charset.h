// The charset one message is written in: the project's charset when it holds every character of the
// message's texts (subject, names, bodies and file names after the merge), else UTF-8, header words and
// body parts alike, so that no letter ever becomes "_". A charset named "us-ascii" holds ASCII only,
// whatever table its name falls back to.
#pragma once

#include "transport/mime/charsets.h"

#include <QString>
#include <QStringList>

struct MessageCharset {
    TMimeChar charset = TMimeChar::ISO_8859_1;
    QString name;                   // written in the Content-Type lines and the HTML meta tags
    bool utf8Fallback = false;      // UTF-8 in place of the project's charset
};

// The project's charset (charset, named name) when every text fits it, else UTF-8.
MessageCharset messageCharsetFor(TMimeChar charset, const QString& name, const QStringList& texts);

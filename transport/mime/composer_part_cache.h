// What SendMail keeps between its messages so that a part which comes out the same every time is built
// once: a body (its lines in the charset, and the blocks of DATA stream it gave) and a file (the blocks
// it gave). A part is found again only when it is made of the same things: the same lines, charset and
// declared charset for a body; the same path, coding, size and modification time for a file. Merged
// bodies simply miss and are built per message. Files are kept as kept_files.h says.
#pragma once

#include "transport/mime/charsets.h"
#include "transport/mime/kept_files.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

struct ComposedBody {
    QByteArray bytes;               // the lines in the charset, each followed by CR LF
    bool encoded = false;           // goes quoted-printable (BodyNeedsEncoding)
    bool streamed = false;          // blocks holds the whole body, written from the start of a line
    QList<ComposedBlock> blocks;
};

// A body converted to the charset; an HTML body declares charsetName in its <meta> tags.
std::shared_ptr<ComposedBody> composeBody(const QStringList& lines, TMimeChar charset, bool html,
                                          const QString& charsetName);

class ComposerPartCache {
public:
    // The last text or HTML body if it was made of the same, else a new one that replaces it.
    std::shared_ptr<ComposedBody> body(const QStringList& lines, TMimeChar charset, bool html,
                                       const QString& charsetName);
    KeptFiles& files() { return m_files; }

private:
    struct KeptBody {
        QStringList lines;
        TMimeChar charset = TMimeChar::ISO_8859_1;
        QString charsetName;
        std::shared_ptr<ComposedBody> body;
    };
    KeptBody m_bodies[2];           // text, HTML
    KeptFiles m_files;
};

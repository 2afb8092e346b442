// SendMail's kept parts: see composer_part_cache.h.

#include "transport/mime/composer_part_cache.h"

#include "transport/mime/html_meta_charset.h"
#include "transport/mime/quoted_printable.h"

std::shared_ptr<ComposedBody> composeBody(const QStringList& lines, TMimeChar charset, bool html,
                                          const QString& charsetName)
{
    const QStringList text = html ? withMetaCharset(lines, charsetName) : lines;
    QString joined;
    for (const QString& line : text)
        joined += line + QStringLiteral("\r\n");
    auto body = std::make_shared<ComposedBody>();
    body->bytes = encodeInCharset(joined, charset);
    body->encoded = BodyNeedsEncoding(body->bytes);
    return body;
}

std::shared_ptr<ComposedBody> ComposerPartCache::body(const QStringList& lines, TMimeChar charset, bool html,
                                                      const QString& charsetName)
{
    KeptBody& kept = m_bodies[html ? 1 : 0];
    if (!kept.body || kept.charset != charset || (html && kept.charsetName != charsetName) || kept.lines != lines)
        kept = {lines, charset, charsetName, composeBody(lines, charset, html, charsetName)};
    return kept.body;
}

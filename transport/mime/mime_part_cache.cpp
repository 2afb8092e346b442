// The parts a direct-delivery run keeps: see mime_part_cache.h.

#include "transport/mime/mime_part_cache.h"

std::shared_ptr<const WrittenLines> MimePartCache::lines(const QList<QByteArray>& lines, bool html, bool quoted) const
{
    const std::shared_ptr<const WrittenLines>& kept = m_lines[html ? 1 : 0][quoted ? 1 : 0];
    return kept && kept->lines == lines ? kept : nullptr;
}

void MimePartCache::keepLines(bool html, std::shared_ptr<const WrittenLines> written)
{
    const bool quoted = written->quoted;
    m_lines[html ? 1 : 0][quoted ? 1 : 0] = std::move(written);
}

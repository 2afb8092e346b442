// ReopenList: see reopen_list.h.

#include "core/frame/reopen_list.h"

#include "platform/program_folder.h"
#include "platform/text_file.h"

#include <algorithm>

QString ReopenList::filePath()
{
    return programFolderPath() + QStringLiteral("setupprj.ini");
}

void ReopenList::setLines(const QStringList& lines)
{
    m_paths.clear();
    for (int i = int(std::min<qsizetype>(lines.size(), MaxItems)) - 1; i >= 0; --i)
        add(lines[i]);
}

void ReopenList::add(const QString& path)
{
    if (path.isEmpty())
        return;
    const qsizetype existing = m_paths.indexOf(path);
    if (existing >= 0)
        m_paths.removeAt(existing);
    else if (m_paths.size() >= MaxItems)
        m_paths.removeLast();
    m_paths.prepend(path);
}

void ReopenList::load()
{
    const auto text = readTextFile(filePath());
    setLines(text ? splitLines(*text) : QStringList());
}

bool ReopenList::save(QString* error) const
{
    return writeTextLines(filePath(), m_paths, error);
}

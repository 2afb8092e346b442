// Text helpers: see text_helpers.h.

#include "core/base/text_helpers.h"

#include "platform/program_folder.h"
#include "platform/string_list.h"
#include "platform/text_file.h"


namespace {

bool isBlank(QChar c)
{
    return c.unicode() <= ' ';
}

bool isSlash(QChar c)
{
    return c == '\\' || c == '/';
}

}  // namespace

QString trimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && isBlank(text[first]))
        ++first;
    while (end > first && isBlank(text[end - 1]))
        --end;
    return text.mid(first, end - first);
}

QStringList splitTextItems(QChar separator, const QString& text)
{
    QStringList items;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(separator, start);
        if (end < 0)
            end = text.size();
        items.append(trimBlanks(text.mid(start, end - start)));
        start = end + 1;
    }
    return items;
}

void SplitText(QChar separator, const QString& text, StringList& list)
{
    list.clear();
    for (const QString& item : splitTextItems(separator, text))
        list.add(item);
}

QString JoinPath(const QString& folder, const QString& name, QChar separator)
{
    QString result = folder;
    QString rest = name;
    const bool folderEndsInSlash = !folder.isEmpty() && isSlash(folder.back());
    if (!rest.isEmpty() && isSlash(rest.front()))
        rest.remove(0, 1);
    if (!folder.isEmpty() && !name.isEmpty() && !folderEndsInSlash)
        result += separator;
    if (rest != QString(separator))
        result += rest;
    for (QChar& c : result) {
        if (isSlash(c))
            c = separator;
    }
    return result;
}

bool ReadTextFile(const QString& fileName, QString& text)
{
    std::optional<QString> content = readTextFile(fileName);
    if (!content)
        return false;
    if (!content->isEmpty())
        text = *std::move(content);
    return true;
}

QString CharsetPart(const QString& charSet)
{
    const qsizetype comma = charSet.indexOf(',');
    return comma < 0 ? charSet : charSet.mid(comma + 1);
}

QString ProgramFolder()
{
    return programFolderPath();
}

std::optional<int> parseConnectionCount(const QString& text)
{
    bool ok = false;
    const int count = trimBlanks(text).toInt(&ok);
    if (!ok || count < 1)
        return std::nullopt;
    return count;
}

QString ZeroPad(int value, int width)
{
    return QString::number(value).rightJustified(width, '0');
}

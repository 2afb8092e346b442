// Reading a text file for the import wizard: see import_text_file.h.

#include "lists/import_text_file.h"

#include "platform/code_page.h"
#include "platform/text_file.h"

#include <QFile>

#include <cstring>
#include <new>

namespace {

qsizetype longestLineBytes(QByteArrayView bytes)
{
    qsizetype longest = 0;
    qsizetype start = 0;
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        if (bytes[at] == '\n' || bytes[at] == '\r') {
            longest = std::max(longest, at - start);
            start = at + 1;
        }
    }
    return std::max(longest, bytes.size() - start);
}

}  // namespace

ImportTextFile decodeImportText(const QByteArray& bytes, bool dos)
{
    ImportTextFile file;
    const bool utf16 = !dos && bytes.startsWith("\xFF\xFE");
    if (!utf16 && std::memchr(bytes.constData(), '\0', std::size_t(bytes.size()))) {
        file.error = QStringLiteral("This is not a text file.");
        return file;
    }
    if (longestLineBytes(bytes) > MaxLineBytes) {
        file.error = QStringLiteral("A line of this file is longer than %1 bytes; it is not a list.").arg(MaxLineBytes);
        return file;
    }
    try {
        file.lines = splitLines(dos ? codepage::toUnicode(bytes, codepage::oemCodePage()) : decodeText(bytes));
        file.ok = true;
    } catch (const std::bad_alloc&) {
        file.lines.clear();
        file.error = QStringLiteral("Not enough memory to read the file.");
    }
    return file;
}

ImportTextFile readImportTextFile(const QString& fileName, bool dos)
{
    QFile source(fileName);
    if (!source.open(QIODevice::ReadOnly)) {
        ImportTextFile file;
        file.error = source.errorString();
        return file;
    }
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError) {
        ImportTextFile file;
        file.error = source.errorString();
        return file;
    }
    return decodeImportText(bytes, dos);
}

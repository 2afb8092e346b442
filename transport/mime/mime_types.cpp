// The MIME-type registry of mime_types.h: record layout, built-in rows, look-ups and the viewer start.

#include "transport/mime/mime_types.h"

#include "platform/code_page.h"
#include "platform/text_file.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

// Record layout: each text is a length byte followed by room for its characters.
struct Field {
    int offset;
    int capacity;
};
constexpr Field kTypeField{0, 40};
constexpr int kFlagOffset = 41;
constexpr Field kDescriptionField{42, 30};
constexpr Field kViewerField{73, 255};
constexpr Field kExtensionField{329, 3};

const QString kOctetStream = QStringLiteral("application/octet-stream");

struct BuiltInRow {
    const char* mimeType;
    const char* extension;
    const char* description;
};

constexpr BuiltInRow kBuiltInRows[] = {
    {"application/octet-stream", "", "Unknown file format"},
    {"image/gif", "gif", "CIS Graphic Interchange Format"},
    {"image/jpeg", "jpg", "JPEG graphic format"},
    {"image/tiff", "tif", "Tagged Image File Format"},
    {"message/rfc822", "", "RFC 822 Format message"},
    {"message/partial", "", "Partial RFC 822 message"},
    {"message/news", "", "Usenet News message format"},
    {"video/mpeg", "mpg", "MPEG video format"},
    {"video/quicktime", "mov", "Apple QuickTime video"},
    {"audio/basic", "au", "Sun music format"},
    {"application/postscript", "ps", "Postscript document"},
    {"application/rtf", "rtf", "Rich Text Format"},
    {"application/wordperfect5.1", "wpd", "WordPerfect 5.1 Document"},
    {"application/pdf", "pdf", "Adobe Portable Document Format"},
    {"application/msword", "doc", "Microsoft Word Document"},
    {"application/zip", "zip", "ZIP compressed archive"},
    {"text/plain", "txt", "Plain text document"},
    {"text/enriched", "", "Enriched text format"},
    {"text/richtext", "", "Rich Text document"},
    {"text/html", "htm", "HTML document"},
    {"image/x-bitmap", "bmp", "Microsoft Bitmap Image"},
    {"video/x-msvideo", "avi", "Microsoft video format"},
    {"audio/x-wave", "wav", "Microsoft wave sound"},
    {"application/vnd.ms-excel", "xls", "Microsoft Excel"},
    {"application/vnd.ms-excel", "xlt", "Microsoft Excel"},
};

// The text in the ANSI code page, cut by whole characters to the field's capacity.
void writeText(QByteArray& record, Field field, QString text)
{
    QByteArray bytes = codepage::fromUnicode(text, codepage::ansiCodePage());
    while (bytes.size() > field.capacity) {
        text.chop(1);
        bytes = codepage::fromUnicode(text, codepage::ansiCodePage());
    }
    record[field.offset] = char(bytes.size());
    record.replace(field.offset + 1, bytes.size(), bytes);
}

QString readText(QByteArrayView record, Field field)
{
    const int length = std::min(int(static_cast<unsigned char>(record[field.offset])), field.capacity);
    return codepage::toUnicode(record.sliced(field.offset + 1, length).toByteArray(), codepage::ansiCodePage());
}

}  // namespace

TMimeManager::TMimeManager(const QString& fileName) : m_fileName(fileName)
{
    if (QFileInfo::exists(fileName))
        load();
    else
        createWithBuiltInRows();
}

// A file that cannot be read whole keeps its whole records in the table and is left as it is on disk:
// rewriting it would destroy the user's rows.
void TMimeManager::load()
{
    QFile file(m_fileName);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.read(qint64(kRecordSize) * kMaxRecords);
    const qsizetype whole = bytes.size() / kRecordSize;
    for (qsizetype i = 0; i < whole; ++i)
        m_records.append(decodeRecord(QByteArrayView(bytes).sliced(i * kRecordSize, kRecordSize)));
    if (m_records.isEmpty())
        m_records = builtInRecords();
}

void TMimeManager::createWithBuiltInRows()
{
    m_records = builtInRecords();
    QByteArray bytes;
    bytes.reserve(m_records.size() * kRecordSize);
    for (const MimeTypeRecord& record : std::as_const(m_records))
        bytes.append(encodeRecord(record));
    writeFileAtomically(m_fileName, bytes);              // a read-only folder still leaves the table usable
}

QList<MimeTypeRecord> TMimeManager::builtInRecords()
{
    QList<MimeTypeRecord> records;
    for (const BuiltInRow& row : kBuiltInRows)
        records.append({QString::fromLatin1(row.mimeType), 0, QString::fromLatin1(row.description), QString(),
                        QString::fromLatin1(row.extension)});
    return records;
}

QByteArray TMimeManager::encodeRecord(const MimeTypeRecord& record)
{
    QByteArray bytes(kRecordSize, '\0');
    writeText(bytes, kTypeField, record.mimeType);
    bytes[kFlagOffset] = char(record.flag);
    writeText(bytes, kDescriptionField, record.description);
    writeText(bytes, kViewerField, record.viewer);
    writeText(bytes, kExtensionField, record.extension);
    return bytes;
}

MimeTypeRecord TMimeManager::decodeRecord(QByteArrayView bytes)
{
    Q_ASSERT(bytes.size() == kRecordSize);
    return {readText(bytes, kTypeField), static_cast<quint8>(bytes[kFlagOffset]), readText(bytes, kDescriptionField),
            readText(bytes, kViewerField), readText(bytes, kExtensionField)};
}

int TMimeManager::IndexOfType(const QString& mimeType) const
{
    for (int i = 0; i < m_records.size(); ++i)
        if (m_records[i].mimeType.compare(mimeType, Qt::CaseInsensitive) == 0)
            return i + 1;
    return 0;
}

QString TMimeManager::TypeForFile(const QString& fileName) const
{
    const QString listed = ListedTypeForFile(fileName);
    return listed.isEmpty() ? kOctetStream : listed;
}

QString TMimeManager::ListedTypeForFile(const QString& fileName) const
{
    const QString name = fileName.mid(fileName.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : name.mid(dot + 1, 3);
    if (extension.isEmpty())
        return QString();
    for (const MimeTypeRecord& record : m_records)
        if (!record.extension.isEmpty() && record.extension.compare(extension, Qt::CaseInsensitive) == 0)
            return record.mimeType;
    return QString();
}

int TMimeManager::ViewerFlag(const QString& mimeType) const
{
    const int number = IndexOfType(mimeType);
    return number >= 2 ? m_records[number - 1].flag : 0;
}

bool TMimeManager::ViewFile(const QString& fileName, const QString& mimeType) const
{
    const int number = IndexOfType(mimeType);
    if (number == 0)
        return false;
    QString program = m_records[number - 1].viewer;
    if (program.isEmpty())
        program = AssociatedProgram(fileName);
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, {fileName});
}

QString TMimeManager::AssociatedProgram(const QString& fileName)
{
    if (!QFileInfo::exists(fileName))
        return QString();
    return QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
}

// TDbfFile: see dbf_file.h.

#include "dbase/dbf_file.h"

#include "dbase/dbf_error.h"
#include "dbase/dbf_globals.h"
#include "dbase/dbf_header.h"
#include "dbase/file_lookup.h"
#include "dbase/language_drivers.h"
#include "dbase/production_index.h"

void TDbfFile::Open(const QString& fileName, TPagedFileMode mode)
{
    if (isOpen())
        return;
    m_file.open(fileName, mode);
    try {
        readHeader();
        openMemoFile();
        openProductionIndex(m_fields.family() != TableFamily::FoxPro && m_productionIndexFlag != 0);
    } catch (const EDbfError&) {
        Close();
        throw;
    }
}

void TDbfFile::Close()
{
    m_memo.reset();
    m_hasRealMemoFile = false;
    m_file.close();
    m_fields = TDbfFieldDefs();
    m_nullFlagsField = -1;
    m_productionIndexPath.clear();
    m_withoutProductionIndex = false;
}

void TDbfFile::readHeader()
{
    // The header size is a u16, so the header read is never larger than 64 KiB; the file must hold it.
    QByteArray prefixBytes(dbfheader::FixedPartSize, '\0');
    prefixBytes.resize(m_file.readBlock(0, prefixBytes.data(), prefixBytes.size()));
    const auto prefix = dbfheader::parsePrefix(prefixBytes);
    if (const auto* error = std::get_if<QString>(&prefix))
        throw EDbfError(*error);
    const int headerSize = std::get<dbfheader::Prefix>(prefix).headerSize;
    if (headerSize > m_file.fileSize())
        throw EDbfError(QString::fromLatin1(dbftext::InvalidDbfFile));
    QByteArray headerBytes(headerSize, '\0');
    headerBytes.resize(m_file.readBlock(0, headerBytes.data(), headerSize));
    auto parsed = dbfheader::parseHeader(headerBytes);
    if (const auto* error = std::get_if<QString>(&parsed))
        throw EDbfError(*error);
    dbfheader::Header& header = std::get<dbfheader::Header>(parsed);

    m_fields = header.fields;
    m_nullFlagsField = header.nullFlagsField;
    m_versionByte = header.prefix.versionByte;
    m_headerRecordCount = header.prefix.storedRecordCount;
    m_productionIndexFlag = header.prefix.productionIndexFlag;
    m_driverName = header.languageDriverName;
    if (header.prefix.family == TableFamily::DbaseVII) {
        m_tableCodePage = languagedriver::codePageOfDriverName(m_driverName);
        m_languageId = languagedriver::languageIdOfDriverName(m_driverName);
    } else {
        m_languageId = header.prefix.languageId;
        m_tableCodePage = languagedriver::codePageOfId(m_languageId);
    }
    m_useCodePage = m_tableCodePage != 0 ? m_tableCodePage : TDbfGlobals::instance().DefaultCodePage;
    m_file.setRecordLayout(header.prefix.headerSize, header.prefix.recordSize);
}

QString TDbfFile::memoFileExtension() const
{
    return m_fields.family() == TableFamily::FoxPro ? QStringLiteral(".fpt") : QStringLiteral(".dbt");
}

void TDbfFile::openMemoFile()
{
    if (!m_fields.hasMemoFields())
        return;
    const QString memoPath = findCompanionFile(m_file.fileName(), memoFileExtension());
    if (memoPath.isEmpty()) {
        m_memo = std::make_unique<TNullMemoFile>();
        return;
    }
    m_memo = std::make_unique<TPagedMemoFile>(memoPath, m_file.mode(), memoformat::layoutOf(m_fields.family()));
    m_hasRealMemoFile = true;
}

void TDbfFile::openProductionIndex(bool flagged)
{
    if (!flagged)
        return;
    m_productionIndexPath = findCompanionFile(m_file.fileName(), QStringLiteral(".mdx"));
    // A missing index is no error; the link in the file is left as it is, since opening never writes.
    m_withoutProductionIndex = true;
    if (!m_productionIndexPath.isEmpty() && m_indexOpener)
        m_withoutProductionIndex = !m_indexOpener->openProductionIndex(*this, m_productionIndexPath);
}

bool TDbfFile::readRecord(qint64 recordNumber, QByteArray& record)
{
    record.resize(m_file.recordSize());
    return m_file.readRecord(recordNumber, record.data()) == m_file.recordSize();
}

std::optional<FieldValue> TDbfFile::getFieldData(int field, QByteArrayView record) const
{
    return readFieldValue(readContext(), m_fields[field], record);
}

QByteArray TDbfFile::readMemo(int field, QByteArrayView record) const
{
    if (!m_memo)
        return {};
    const auto blockNumber = getFieldData(field, record);
    if (!blockNumber || !std::holds_alternative<qint64>(*blockNumber))
        return {};
    return m_memo->readMemo(std::get<qint64>(*blockNumber));
}

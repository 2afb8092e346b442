// TDbfFile: see dbf_file.h.

#include "dbase/dbf_file.h"

#include "dbase/code_page_file.h"
#include "dbase/dbf_error.h"
#include "dbase/dbf_globals.h"
#include "dbase/dbf_header.h"
#include "dbase/file_lookup.h"
#include "dbase/language_drivers.h"
#include "dbase/production_index.h"
#include "dbase/utf8_probe.h"

namespace {
// How much text the UTF-8 probe reads at most: enough to meet the non-ASCII text of any real table, while a
// huge table still opens at once.
constexpr qint64 ProbeBytes = 16 << 20;
constexpr int Utf8CodePage = 65001;
}  // namespace

void TDbfFile::Open(const QString& fileName, TPagedFileMode mode)
{
    if (isOpen())
        return;
    m_file.open(fileName, mode);
    try {
        readHeader();
        openMemoFile();
        chooseCodePage();
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
    m_file.setRecordLayout(header.prefix.headerSize, header.prefix.recordSize);
}

// A header that names no page (language byte 0, or a dBase VII table without a driver name): the page the
// ".cpg" beside the table names, else UTF-8 when the text is, else the default page.
void TDbfFile::chooseCodePage()
{
    m_useCodePage = m_tableCodePage;
    if (m_useCodePage == 0)
        m_useCodePage = codepagefile::codePageBeside(m_file.fileName());
    if (m_useCodePage == 0 && textIsUtf8())
        m_useCodePage = Utf8CodePage;
    if (m_useCodePage == 0)
        m_useCodePage = TDbfGlobals::instance().DefaultCodePage;
}

// Character fields and text memos of the records from the first, up to ProbeBytes of text. A read that fails
// ends the probe with what it has seen; the read itself reports the fault when the table is walked.
bool TDbfFile::textIsUtf8()
{
    Utf8Probe probe;
    qint64 budget = ProbeBytes;
    QByteArray record;
    try {
        const qint64 count = m_file.recordCount();
        for (qint64 n = 1; n <= count && budget > 0 && !probe.failed() && readRecord(n, record); ++n) {
            for (int i = 0; i < m_fields.count(); ++i) {
                const TDbfFieldDef& def = m_fields[i];
                if (def.FieldType == TFieldType::ftString) {
                    probe.add(QByteArrayView(record).sliced(def.Offset, def.Size));
                    budget -= def.Size;
                } else if (def.FieldType == TFieldType::ftMemo && def.isMemo(m_fields.family())) {
                    const QByteArray memo = readMemo(i, record);
                    probe.add(memo);
                    budget -= memo.size();
                }
            }
        }
    } catch (const EDbfError&) {
    }
    return probe.isUtf8();
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
    const memoformat::Layout layout = memoformat::layoutOf(m_fields.family(), m_versionByte);
    m_memo = std::make_unique<TPagedMemoFile>(memoPath, m_file.mode(), layout);
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

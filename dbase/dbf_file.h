// TDbfFile: an open table file. Reads and checks the header and descriptors, takes the code page from the
// language id or driver name (or, when they name none, from a ".cpg" file or the text itself), opens the memo
// file (or the null memo file when it is missing or not a regular file), and reads records and field
// values. Nothing here writes: a header count that disagrees with the file size is corrected in memory only.
// Errors: EDbfError with "Invalid DBF file.", "Invalid field count: ..." or "Open: file not found: ...".
#pragma once

#include "dbase/dbf_field_def.h"
#include "dbase/field_reader.h"
#include "dbase/memo_file.h"
#include "dbase/paged_file.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class ProductionIndexOpener;

class TDbfFile {
public:
    TDbfFile() = default;
    Q_DISABLE_COPY_MOVE(TDbfFile)

    void Open(const QString& fileName, TPagedFileMode mode);
    void Close();
    bool isOpen() const { return m_file.isOpen(); }
    const QString& fileName() const { return m_file.fileName(); }

    TableFamily family() const { return m_fields.family(); }
    quint8 versionByte() const { return m_versionByte; }
    const TDbfFieldDefs& fieldDefs() const { return m_fields; }
    TDbfFieldDefs& fieldDefs() { return m_fields; }
    int nullFlagsField() const { return m_nullFlagsField; }
    int languageId() const { return m_languageId; }
    const QByteArray& languageDriverName() const { return m_driverName; }
    // The page the header names (0 for none) and the page in use: for none, the page of a ".cpg" file
    // beside the table, else UTF-8 when the text is valid UTF-8 beyond ASCII, else the default page.
    int tableCodePage() const { return m_tableCodePage; }
    int useCodePage() const { return m_useCodePage; }
    QString memoFileExtension() const;
    bool hasMemoFile() const { return m_hasRealMemoFile; }

    // The stored count of the header, and the count the file size gives (which the table uses).
    quint32 headerRecordCount() const { return m_headerRecordCount; }
    qint64 RecordCount() { return m_file.recordCount(); }
    int recordSize() const { return int(m_file.recordSize()); }
    // Record n (1-based) into record; false when the file holds no whole record n.
    bool readRecord(qint64 recordNumber, QByteArray& record);

    TDateTimeHandling dateTimeHandling() const { return m_dateTimeHandling; }
    void setDateTimeHandling(TDateTimeHandling handling) { m_dateTimeHandling = handling; }
    FieldReadContext readContext() const { return {&m_fields, m_nullFlagsField, m_dateTimeHandling}; }
    std::optional<FieldValue> getFieldData(int field, QByteArrayView record) const;
    // The memo of a memo field's record value; empty for none.
    QByteArray readMemo(int field, QByteArrayView record) const;

    // Production index: the flag at byte 28 (dBase families), the file found for it, and whether the table
    // was opened without it.
    void setProductionIndexOpener(ProductionIndexOpener* opener) { m_indexOpener = opener; }
    QString productionIndexPath() const { return m_productionIndexPath; }
    bool openedWithoutProductionIndex() const { return m_withoutProductionIndex; }

private:
    void readHeader();
    void openMemoFile();
    void chooseCodePage();
    bool textIsUtf8();
    void openProductionIndex(bool flagged);

    TPagedFile m_file;
    TDbfFieldDefs m_fields;
    int m_nullFlagsField = -1;
    quint8 m_versionByte = 0;
    quint32 m_headerRecordCount = 0;
    quint8 m_productionIndexFlag = 0;
    int m_languageId = 0;
    QByteArray m_driverName;
    int m_tableCodePage = 0;
    int m_useCodePage = 0;
    std::unique_ptr<TMemoFile> m_memo;
    bool m_hasRealMemoFile = false;
    TDateTimeHandling m_dateTimeHandling = TDateTimeHandling::dtBDETimeStamp;
    ProductionIndexOpener* m_indexOpener = nullptr;
    QString m_productionIndexPath;
    bool m_withoutProductionIndex = false;
};

// TDbf: the table data set as the import wizard uses it. Opens a table (modes from ReadOnly and Exclusive),
// walks it in file order (ShowDeleted, RecordCount, RecNo, Eof), and gives each field's text by AsString,
// decoded from the table's code page by the translation mode. Reading only: create, insert, edit, delete,
// locks, filters, ranges, master/detail, bookmarks, locate and index selection are left out. A production
// index is opened and checked with the table; a damaged one is left out of use and the table still reads.
#pragma once

#include "dbase/dbf_file.h"
#include "dbase/production_index_loader.h"
#include "dbase/text_translation.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class TDbf;

// One field of the open data set, as the data-set base presents it.
class TField {
public:
    TField(TDbf* dataSet, int fieldNo, QString name) : m_dataSet(dataSet), m_fieldNo(fieldNo), m_name(std::move(name)) {}
    const QString& FieldName() const { return m_name; }
    int FieldNo() const { return m_fieldNo; }   // the table field behind it (0-based)
    TFieldType DataType() const;
    int Size() const;
    bool IsNull() const;
    // The text of the active record's value; empty for no value or no active record.
    QString AsString() const;

private:
    TDbf* m_dataSet;
    int m_fieldNo;
    QString m_name;
};

// Answers what to do with a table whose code page is not installed: 0 read it as it is (the ANSI page),
// 1 as the OEM page, 2 as the ANSI page, 3 as the default code page.
using TDbfLanguageWarning = std::function<void(TDbf& sender, int& action)>;

class TDbf {
public:
    TDbf() = default;
    ~TDbf() { Close(); }
    Q_DISABLE_COPY_MOVE(TDbf)

    // TableName takes the file-name part; a folder part goes to FilePath.
    void setTableName(const QString& name);
    const QString& TableName() const { return m_tableName; }
    void setFilePath(const QString& path);
    const QString& FilePath() const { return m_filePath; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool ReadOnly() const { return m_readOnly; }
    void setExclusive(bool exclusive) { m_exclusive = exclusive; }
    bool Exclusive() const { return m_exclusive; }
    // Changed while open, the data set goes back to its first record.
    void setShowDeleted(bool show);
    bool ShowDeleted() const { return m_showDeleted; }
    void setDateTimeHandling(TDateTimeHandling handling) { m_dateTimeHandling = handling; }
    TDateTimeHandling DateTimeHandling() const { return m_dateTimeHandling; }
    // 3, 4, 7 or 25, set from the family read on open; other values are ignored, as is any while open.
    void setTableLevel(int level);
    int TableLevel() const { return m_tableLevel; }
    void setOnLanguageWarning(TDbfLanguageWarning handler) { m_onLanguageWarning = std::move(handler); }
    // Without an opener of its own the data set opens the production index itself.
    void setProductionIndexOpener(ProductionIndexOpener* opener) { m_indexOpener = opener; }
    // The production index in use (null when none) and why one found was left out (empty when none was).
    const TIndexFile* productionIndex() const { return m_indexLoader.index(); }
    const QString& productionIndexError() const { return m_indexLoader.errorString(); }

    // Throws EDbfError; the data set stays closed then.
    void Open();
    void Close();
    bool Active() const { return m_file != nullptr; }

    void First();
    void Next();
    // End of file (named Eof because EOF is a C library macro): set when Next finds no further record (or
    // the table has none), kept until First.
    bool Eof() const { return m_eof; }
    qint64 RecordCount() const;
    qint64 RecNo() const { return Active() && m_hasRecord ? m_recNo : 0; }

    int FieldCount() const { return int(m_fields.size()); }
    TField& Fields(int index) { return m_fields[index]; }
    TField* FindField(const QString& name);

    TTranslationMode translationMode() const { return m_translationMode; }
    int languageId() const { return m_file ? m_file->languageId() : 0; }
    TDbfFile* dbfFile() { return m_file.get(); }

private:
    friend class TField;
    bool fetchNext();
    void buildFields();
    void chooseTranslation();
    QString decode(const QByteArray& bytes) const;
    QString fieldText(int fieldNo) const;
    std::optional<FieldValue> fieldValue(int fieldNo) const;

    QString m_tableName, m_filePath;
    bool m_readOnly = false, m_exclusive = false, m_showDeleted = false;
    TDateTimeHandling m_dateTimeHandling = TDateTimeHandling::dtBDETimeStamp;
    int m_tableLevel = 4;
    TDbfLanguageWarning m_onLanguageWarning;
    ProductionIndexOpener* m_indexOpener = nullptr;
    ProductionIndexLoader m_indexLoader;

    std::unique_ptr<TDbfFile> m_file;
    QList<TField> m_fields;
    TTranslationMode m_translationMode = TTranslationMode::tmNoneNeeded;
    TextDecoder m_decoder;
    qint64 m_position = 0;   // cursor: 0 before the first record, count + 1 after the last
    QByteArray m_record;     // the active record's bytes
    qint64 m_recNo = 0;
    bool m_hasRecord = false;
    bool m_eof = true;
};

// TDbf: see dbf.h.

#include "dbase/dbf.h"

#include "dbase/dbf_error.h"
#include "dbase/dbf_globals.h"
#include "dbase/field_text.h"
#include "platform/code_page.h"

#include <QDir>
#include <QFileInfo>

TFieldType TField::DataType() const
{
    return m_dataSet->m_file->fieldDefs()[m_fieldNo].FieldType;
}

int TField::Size() const
{
    return m_dataSet->m_file->fieldDefs()[m_fieldNo].Size;
}

bool TField::IsNull() const
{
    return !m_dataSet->fieldValue(m_fieldNo).has_value();
}

QString TField::AsString() const
{
    return m_dataSet->fieldText(m_fieldNo);
}

void TDbf::setTableName(const QString& name)
{
    const QFileInfo info(name);
    m_tableName = info.fileName();
    const qsizetype slash = name.lastIndexOf('/');
    if (slash >= 0)
        setFilePath(name.left(slash + 1));
}

void TDbf::setFilePath(const QString& path)
{
    m_filePath = path.isEmpty() || path.endsWith('/') ? path : path + '/';
}

void TDbf::setShowDeleted(bool show)
{
    if (show == m_showDeleted)
        return;
    m_showDeleted = show;
    if (Active())
        First();
}

void TDbf::setTableLevel(int level)
{
    if (!Active() && (level == 3 || level == 4 || level == 7 || level == 25))
        m_tableLevel = level;
}

void TDbf::Open()
{
    if (Active())
        return;
    const TPagedFileMode mode = m_readOnly ? TPagedFileMode::pfReadOnly
                                : m_exclusive ? TPagedFileMode::pfExclusiveOpen
                                              : TPagedFileMode::pfReadWriteOpen;
    auto file = std::make_unique<TDbfFile>();
    file->setDateTimeHandling(m_dateTimeHandling);
    file->setProductionIndexOpener(m_indexOpener ? m_indexOpener : &m_indexLoader);
    try {
        file->Open(m_filePath + m_tableName, mode);
    } catch (const EDbfError&) {
        m_indexLoader.close();   // its key parsers refer to the table that failed
        throw;
    }
    m_file = std::move(file);
    m_tableLevel = tableLevelOf(m_file->family());
    buildFields();
    chooseTranslation();
    First();
}

void TDbf::Close()
{
    m_indexLoader.close();
    m_fields.clear();
    m_file.reset();
    m_record.clear();
    m_hasRecord = false;
    m_eof = true;
    m_position = 0;
}

// One data-set field per table field, _NULLFLAGS left out (it is the table's bookkeeping, not data); a name
// already used gets the smallest number from 2 up appended, in the table's definition too.
void TDbf::buildFields()
{
    TDbfFieldDefs& defs = m_file->fieldDefs();
    QStringList used;
    for (int i = 0; i < defs.count(); ++i) {
        if (i == m_file->nullFlagsField())
            continue;
        QString name = defs[i].FieldName;
        for (int n = 2; used.contains(name, Qt::CaseInsensitive); ++n)
            name = defs[i].FieldName + QString::number(n);
        defs[i].FieldName = name;
        used.append(name);
        m_fields.append(TField(this, i, name));
    }
}

void TDbf::chooseTranslation()
{
    const int ansi = codepage::ansiCodePage();
    const int oem = codepage::oemCodePage();
    int page = m_file->useCodePage();
    m_translationMode = translation::modeFor(page, ansi, oem);
    if (m_translationMode == TTranslationMode::tmNoneAvailable && m_onLanguageWarning) {
        int action = 0;
        m_onLanguageWarning(*this, action);
        if (action == 1)
            m_translationMode = TTranslationMode::tmSimple;
        else if (action == 2)
            m_translationMode = TTranslationMode::tmNoneNeeded;
        else if (action == 3) {
            page = TDbfGlobals::instance().DefaultCodePage;
            m_translationMode = translation::modeFor(page, ansi, oem);
        }
    }
    m_decoder = TextDecoder(translation::decodingPage(m_translationMode, page, ansi, oem));
}

qint64 TDbf::RecordCount() const
{
    return m_file ? m_file->RecordCount() : 0;
}

void TDbf::First()
{
    if (!Active())
        return;
    m_position = 0;
    m_hasRecord = false;
    m_eof = !fetchNext();
}

void TDbf::Next()
{
    if (!Active() || m_eof)
        return;
    const QByteArray current = m_record;
    const qint64 currentRecNo = m_recNo;
    if (!fetchNext()) {
        m_eof = true;   // the last record stays active
        m_record = current;
        m_recNo = currentRecNo;
    }
}

// Steps the cursor to the next record that is shown; false at the end of the file.
bool TDbf::fetchNext()
{
    for (;;) {
        const qint64 count = m_file->RecordCount();
        if (m_position < 0 || m_position >= count) {
            m_position = count + 1;
            return false;
        }
        ++m_position;
        if (!m_file->readRecord(m_position, m_record))
            continue;   // cut short by the end of the file: the loop ends at the count
        if (!m_showDeleted && m_record.startsWith('*'))
            continue;
        m_recNo = m_position;
        m_hasRecord = true;
        return true;
    }
}

TField* TDbf::FindField(const QString& name)
{
    for (TField& field : m_fields)
        if (field.FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return &field;
    return nullptr;
}

QString TDbf::decode(const QByteArray& bytes) const
{
    return m_decoder.decode(bytes);
}

std::optional<FieldValue> TDbf::fieldValue(int fieldNo) const
{
    if (!m_file || !m_hasRecord)
        return std::nullopt;
    return m_file->getFieldData(fieldNo, m_record);
}

QString TDbf::fieldText(int fieldNo) const
{
    const auto value = fieldValue(fieldNo);
    if (!value)
        return {};
    const TDbfFieldDef& def = m_file->fieldDefs()[fieldNo];
    if (def.isMemo(m_file->family())) {
        const QByteArray memo = m_file->readMemo(fieldNo, m_record);
        return def.FieldType == TFieldType::ftMemo ? decode(memo) : QString::fromLatin1(memo);
    }
    if (const auto* text = std::get_if<QByteArray>(&*value))
        return def.FieldType == TFieldType::ftBytes ? QString::fromLatin1(*text) : decode(*text);
    return fieldtext::textOf(*value);
}

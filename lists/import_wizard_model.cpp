// The import wizard's model: see import_wizard_model.h.

#include "lists/import_wizard_model.h"

#include "dbase/dbf_error.h"
#include "lists/import_splitters.h"
#include "lists/import_text_file.h"

#include <QFileInfo>

namespace {

// Indexed by step - 1.
constexpr ImportStepFacts StepTable[] = {
    {ImportPage::File, " 1 / 4", false, true},
    {ImportPage::Source, " 2 / 4", true, true},
    {ImportPage::FixedWidth, " 3 / 4", true, true},
    {ImportPage::Delimited, " 3 / 4", true, true},
    {ImportPage::Import, " 4 / 4", true, false},
};

}  // namespace

bool hasTableExtension(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == QLatin1String("dbf") || suffix == QLatin1String("db");
}

QString tableOpenError(const QString& fileName)
{
    TDbf table;
    table.setTableName(fileName);
    table.setReadOnly(true);
    try {
        table.Open();
    } catch (const EDbfError& failure) {
        return failure.message();
    }
    return QString();
}

bool opensAsTable(const QString& fileName)
{
    return hasTableExtension(fileName) && tableOpenError(fileName).isEmpty();
}

ImportStepFacts ImportWizardModel::facts() const
{
    ImportStepFacts facts = StepTable[m_step - 1];
    facts.backEnabled = facts.backEnabled && !m_imported;
    return facts;
}

void ImportWizardModel::setStep(int step)
{
    Q_ASSERT(step >= 1 && step <= 5);
    m_step = step;
}

bool ImportWizardModel::chooseFile(const QString& typedName)
{
    closeTable();
    if (typedName.isEmpty() || !QFileInfo(typedName).isFile())
        return false;
    if (typedName != m_fileName) {
        m_kind = ImportKind::Undecided;
        m_tableError.clear();
    }
    m_fileName = typedName;
    setStep(2);
    return true;
}

QString ImportWizardModel::enterSource()
{
    if (m_kind == ImportKind::Undecided) {
        m_tableError = hasTableExtension(m_fileName) ? tableOpenError(m_fileName) : QString();
        m_kind = hasTableExtension(m_fileName) && m_tableError.isEmpty() ? ImportKind::Table : ImportKind::Delimited;
    }
    if (!isTable())
        return readText();
    m_text = std::make_shared<ImportText>();
    closeTable();
    m_previewTable.setTableName(m_fileName);
    m_previewTable.setReadOnly(true);
    try {
        m_previewTable.Open();
    } catch (const EDbfError& failure) {
        return failure.message();
    }
    return QString();
}

QString ImportWizardModel::readText()
{
    m_text.reset();   // the old text goes before the new one is read
    ImportTextFile file = readImportTextFile(m_fileName, m_dos);
    m_text = std::move(file.text);
    if (file.ok)
        return QString();
    // A damaged table is no text either: the table layer's reason says more than the text reader's.
    return m_tableError.isEmpty() ? file.error : m_tableError;
}

QString ImportWizardModel::setDos(bool dos)
{
    m_dos = dos;
    return isTable() ? QString() : readText();
}

int ImportWizardModel::startRowMaximum()
{
    if (!isTable())
        return m_text->lineCount();
    return int(std::clamp<qint64>(m_previewTable.RecordCount(), 1, std::numeric_limits<int>::max()));
}

void ImportWizardModel::keepSourceChoices(bool delimited, int startRow)
{
    if (!isTable())
        m_kind = delimited ? ImportKind::Delimited : ImportKind::FixedWidth;
    m_startRow = std::max(startRow, 1);
}

void ImportWizardModel::leaveSource(bool delimited, int startRow)
{
    closeTable();
    keepSourceChoices(delimited, startRow);
    setStep(isTable() ? 5 : m_kind == ImportKind::Delimited ? 4 : 3);
}

int ImportWizardModel::fixedWidth() const
{
    return m_text->longestLine();
}

void ImportWizardModel::enterFixedWidth()
{
    m_mask = fitBreakMask(m_mask, fixedWidth());
}

void ImportWizardModel::toggleBreakAfter(int column)
{
    m_mask = toggleBreak(m_mask, column);
}

void ImportWizardModel::leaveFixedWidth()
{
    setStep(5);
}

int ImportWizardModel::shownDelimiterBits() const
{
    if (m_delimiterBits != 0)
        return m_delimiterBits;
    const bool csv = QFileInfo(m_fileName).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
    return csv ? int(DelimiterComma) : int(DelimiterSemicolon);
}

void ImportWizardModel::keepDelimiters(int bits, const QString& otherText)
{
    m_delimiterBits = bits;
    if (!otherText.isEmpty())
        m_other = otherText.front();
}

void ImportWizardModel::leaveDelimiters(int bits, const QString& otherText)
{
    keepDelimiters(bits, otherText);
    setStep(5);
}

TextCut ImportWizardModel::textCut() const
{
    TextCut cut;
    cut.fixedWidth = m_kind == ImportKind::FixedWidth;
    cut.delimiters = delimiterCharacters(m_delimiterBits, m_other);
    cut.consecutiveAsOne = (m_delimiterBits & DelimiterConsecutiveAsOne) != 0;
    cut.mask = m_mask;
    return cut;
}

ImportResult ImportWizardModel::runImport(StringGrid& grid, const ImportProgress& progress)
{
    if (m_imported)
        return m_result;
    m_imported = true;
    if (isTable())
        m_result = importTable(grid, m_fileName, m_startRow, progress, m_listDelimiter);
    else
        m_result = importText(grid, text(), m_startRow, textCut(), progress, m_listDelimiter);
    return m_result;
}

void ImportWizardModel::back()
{
    if (m_imported)
        return;
    closeTable();
    switch (m_step) {
    case 1: return;
    case 2: setStep(1); return;
    case 3:
    case 4: setStep(2); return;
    case 5: setStep(isTable() ? 2 : m_kind == ImportKind::Delimited ? 4 : 3); return;
    }
    Q_UNREACHABLE();
}

// The import wizard without its window: the step (1 file, 2 source and preview, 3 fixed-width breaks,
// 4 delimiters, 5 import), the source kind, the "Dos" flag, the start row, the text, the break mask and
// the delimiter bits. Each step's page, caption and buttons come from one table. Going back keeps every
// choice, and the import runs once: after it, Back and Next change nothing. Tables are opened read-only
// for the preview and for the import, so the user's file is never written.
#pragma once

#include "dbase/dbf.h"
#include "lists/import_text_file.h"
#include "lists/list_import.h"

#include <QChar>
#include <QString>

#include <memory>

class StringGrid;

enum class ImportKind {
    Undecided = 0,   // the file was just chosen
    Table = 1,       // a dBase table
    Delimited = 2,   // text, fields cut at delimiter characters
    FixedWidth = 3,  // text, fields cut by the break mask
};

// The wizard's pages, in the order the window stacks them.
enum class ImportPage { File, Source, FixedWidth, Delimited, Import };

struct ImportStepFacts {
    ImportPage page;
    const char* captionSuffix;   // after "Import Wizard:  Step"
    bool backEnabled;
    bool nextEnabled;
};

class ImportWizardModel {
public:
    ImportWizardModel() = default;
    Q_DISABLE_COPY_MOVE(ImportWizardModel)

    int step() const { return m_step; }
    ImportStepFacts facts() const;

    // The list's delimiter, which imported cells are flattened for (";" unless set).
    void setListDelimiter(const QString& delimiter) { m_listDelimiter = delimiter; }
    const QString& listDelimiter() const { return m_listDelimiter; }

    // Step 1, Next: an existing file becomes the source and the wizard goes to step 2 (the kind is decided
    // anew for another file, kept for the same one); a missing one keeps it at step 1. Answers whether it moved.
    bool chooseFile(const QString& typedName);
    const QString& fileName() const { return m_fileName; }

    // Step 2 shown: decides the kind when undecided (a ".dbf" or ".db" file that opens as a table is one,
    // anything else delimited text), then opens the table for the preview or reads the text's lines. Answers
    // an error text when the file cannot be imported as text (the wizard goes back to step 1 then): for a
    // ".dbf" or ".db" file that did not open, the table's reason ("Invalid DBF file.").
    QString enterSource();
    ImportKind kind() const { return m_kind; }
    bool isTable() const { return m_kind == ImportKind::Table; }
    // The table the preview shows (open at step 2 for a table).
    TDbf& previewTable() { return m_previewTable; }
    bool dos() const { return m_dos; }
    // Decodes the text again with or without the OEM page; answers an error text as enterSource does.
    QString setDos(bool dos);
    // The text of a text source (empty for a table); previews may keep it beyond the next reading.
    const ImportText& text() const { return *m_text; }
    std::shared_ptr<const ImportText> sharedText() const { return m_text; }
    int startRow() const { return m_startRow; }
    // The start row's range: 1 to the line (or record) count, 0..0 for an empty text.
    int startRowMaximum();

    // Step 2: the kind after the choice and the start row are kept (also when going back); Next then steps
    // to 5 (table), 4 (delimited) or 3.
    void keepSourceChoices(bool delimited, int startRow);
    void leaveSource(bool delimited, int startRow);

    // Step 3: the width of the longest line, the mask fitted to it, a click's toggle; Next steps to 5.
    int fixedWidth() const;
    void enterFixedWidth();
    const QString& breakMask() const { return m_mask; }
    void toggleBreakAfter(int column);
    void leaveFixedWidth();

    // Step 4: the bits as the boxes show them (when none is set, comma for a ".csv" file, else semicolon);
    // the choice is kept (also when going back), and Next steps to 5.
    int shownDelimiterBits() const;
    int delimiterBits() const { return m_delimiterBits; }
    QChar otherDelimiter() const { return m_other; }
    void keepDelimiters(int bits, const QString& otherText);
    void leaveDelimiters(int bits, const QString& otherText);

    // Step 5: how the text is cut for the chosen kind; the import, which runs once (a second call answers the
    // first result and changes nothing).
    TextCut textCut() const;
    ImportResult runImport(StringGrid& grid, const ImportProgress& progress = {});
    bool imported() const { return m_imported; }

    // Back: 2 to 1, 3 and 4 to 2, 5 to 4, 3 or 2 by kind; nothing once the import ran.
    void back();

private:
    void setStep(int step);
    QString readText();
    void closeTable() { m_previewTable.Close(); }

    int m_step = 1;
    QString m_fileName;
    ImportKind m_kind = ImportKind::Undecided;
    bool m_dos = false;
    int m_startRow = 1;
    std::shared_ptr<const ImportText> m_text = std::make_shared<ImportText>();
    QString m_mask;
    int m_delimiterBits = 0;
    QChar m_other;
    QString m_listDelimiter = QStringLiteral(";");
    bool m_imported = false;
    ImportResult m_result;
    QString m_tableError;   // why a file with a table's extension did not open as one
    TDbf m_previewTable;
};

// A ".dbf" or ".db" file (the extension without case).
bool hasTableExtension(const QString& fileName);
// Why the file does not open as a table read-only; empty when it opens.
QString tableOpenError(const QString& fileName);
// A file with a table's extension that opens as a table read-only.
bool opensAsTable(const QString& fileName);

// The import wizard without its window: the step (1 file, 2 source and preview, 3 fixed-width breaks,
// 4 delimiters, 5 import), the source kind, the "Dos" flag, the start row, the text lines, the break mask and
// the delimiter bits. Each step's page, caption and buttons come from one table. Tables are opened read-only
// for the preview and for the import, so the user's file is never written.
#pragma once

#include "dbase/dbf.h"
#include "lists/list_import.h"

#include <QChar>
#include <QString>
#include <QStringList>

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

    // Step 1, Next: an existing file becomes the source (kind undecided) and the wizard goes to step 2; a
    // missing one keeps it at step 1. Answers whether it moved.
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
    const QStringList& lines() const { return m_lines; }
    int startRow() const { return m_startRow; }
    // The start row's range: 1 to the line (or record) count, 0..0 for an empty text.
    int startRowMaximum();

    // Step 2, Next: the kind after the choice, the start row; steps to 5 (table), 4 (delimited) or 3.
    void leaveSource(bool delimited, int startRow);

    // Step 3: the width of the longest line, the mask fitted to it, a click's toggle; Next steps to 5.
    int fixedWidth() const;
    void enterFixedWidth();
    const QString& breakMask() const { return m_mask; }
    void toggleBreakAfter(int column);
    void leaveFixedWidth();

    // Step 4: the bits as the boxes show them (semicolon when none is set), the delimiter set they make.
    int shownDelimiterBits() const;
    int delimiterBits() const { return m_delimiterBits; }
    QChar otherDelimiter() const { return m_other; }
    void leaveDelimiters(int bits, const QString& otherText);

    // Step 5: what cuts a line into fields for the chosen kind.
    LineSplitter lineSplitter() const;
    ImportResult runImport(StringGrid& grid, const ImportProgress& progress = {});

    // Back: 2 to 1, 3 and 4 to 2, 5 to 4, 3 or 2 by kind.
    void back();

private:
    void setStep(int step);
    QString readLines();
    void closeTable() { m_previewTable.Close(); }

    int m_step = 1;
    QString m_fileName;
    ImportKind m_kind = ImportKind::Undecided;
    bool m_dos = false;
    int m_startRow = 1;
    QStringList m_lines;
    QString m_mask;
    int m_delimiterBits = 0;
    QChar m_other;
    QString m_tableError;   // why a file with a table's extension did not open as one
    TDbf m_previewTable;
};

// A ".dbf" or ".db" file (the extension without case).
bool hasTableExtension(const QString& fileName);
// Why the file does not open as a table read-only; empty when it opens.
QString tableOpenError(const QString& fileName);
// A file with a table's extension that opens as a table read-only.
bool opensAsTable(const QString& fileName);

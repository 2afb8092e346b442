// Merge placeholders in the project editor: "[Column#n]" for a list column dragged from the grid, "[" + item
// + "]" for an item of the merge-field chooser, where a drop puts them (the subject by character columns of
// 5 pixels, the plain editor by lines of 14 and columns of 4 pixels) and which control Insert writes into.
#pragma once

#include <QString>
#include <QStringList>

// "[Column#" + column + 1 + "]" for the 0-based list column.
QString ColumnPlaceholder(int column);
// "[" + item + "]": the merge-field chooser's item (a column title) as a placeholder.
QString ChooserPlaceholder(const QString& item);

// The subject's caret for a drop at x pixels: one character per 5 pixels, within the text.
int SubjectDropPosition(int x, int textLength);
// lines with text put at the character position of a drop at (x, y): line y / 14 (empty lines are added until
// it exists), character x / 4 (the line padded with blanks to reach it). Negative coordinates count as 0.
void InsertAtDropPoint(QStringList& lines, int x, int y, const QString& text);

// Where Insert writes the chooser's placeholder: the focused control first, then the page that is shown.
enum class InsertTarget { Subject, PlainEditor, HtmlEditor, None };
struct InsertFocus {
    bool subjectFocused = false;
    bool plainEditorFocused = false;
    bool plainPageShown = false;
    bool htmlEditorFocused = false;
    bool htmlPageShown = false;
};
InsertTarget ChooseInsertTarget(const InsertFocus& focus);

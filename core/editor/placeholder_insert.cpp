// Merge placeholders: see placeholder_insert.h.

#include "core/editor/placeholder_insert.h"

#include <algorithm>

namespace {

constexpr int kSubjectCharacterWidth = 5;
constexpr int kPlainLineHeight = 14;
constexpr int kPlainCharacterWidth = 4;
// A drop far below the text must not add lines without end.
constexpr int kMaximumDropLine = 10000;

}  // namespace

QString ColumnPlaceholder(int column)
{
    return QStringLiteral("[Column#%1]").arg(column + 1);
}

QString ChooserPlaceholder(const QString& item)
{
    return QLatin1Char('[') + item + QLatin1Char(']');
}

int SubjectDropPosition(int x, int textLength)
{
    return std::clamp(x / kSubjectCharacterWidth, 0, std::max(textLength, 0));
}

void InsertAtDropPoint(QStringList& lines, int x, int y, const QString& text)
{
    const int line = std::min(std::max(y, 0) / kPlainLineHeight, kMaximumDropLine);
    const int column = std::max(x, 0) / kPlainCharacterWidth;
    while (lines.size() <= line)
        lines.append(QString());
    QString& target = lines[line];
    if (target.size() < column)
        target = target.leftJustified(column, QLatin1Char(' '));
    target.insert(column, text);
}

InsertTarget ChooseInsertTarget(const InsertFocus& focus)
{
    if (focus.subjectFocused)
        return InsertTarget::Subject;
    if (focus.plainEditorFocused || focus.plainPageShown)
        return InsertTarget::PlainEditor;
    if (focus.htmlEditorFocused || focus.htmlPageShown)
        return InsertTarget::HtmlEditor;
    return InsertTarget::None;
}

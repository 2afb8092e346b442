// T_logs, the log viewer ("Log data"): a send log in a grid of time, address, status and comment, drawn cell
// by cell with texts cut to "..." where they do not fit, and "Export to MS Excel", which hands the four
// columns to the desktop's spreadsheet program (core/dialogs/grid_export.h). ShowLog runs it modally.
#pragma once

#include "controls/explorer_button.h"

#include "core/logs/log_list.h"
#include "platform/string_grid.h"

#include <QDialog>
#include <QStyledItemDelegate>

#include <functional>

class QPushButton;
class StringGridView;
class TMsgLanguage;

// text as a cell of width pixels shows it: whole when measure(text) fits width - 1, else its first
// length - k characters and "..." for the smallest k >= 2 that fits, or "..." alone.
QString shortenedCellText(const QString& text, int width, const std::function<int(const QString&)>& measure);

// Draws the viewer's cells: selected row and focused cell in their colours, time and status centred, one
// pixel in from the top (and from the left when left-aligned), shortened to fit.
class LogCellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class T_logs : public QDialog {
    Q_OBJECT

public:
    T_logs(const QString& fileName, const QString& okText, const QString& noText, QWidget* parent = nullptr);

    TMsgLanguage* msl;
    StringGridView* sg;
    QPushButton* sbXls;             // "Export to MS Excel"
    TExplorerButton* ExplorerButton1;   // "Close"

    const TLogListObj& logList() const { return m_list; }
    const StringGrid& grid() const { return m_grid; }

    void sbXlsClick();
    void ExplorerButton1Click();

private:
    void fillGrid();

    TLogListObj m_list;
    StringGrid m_grid;
};

// Shows the log file modally; the sending window passes the "LogFile" setting and its "Ok" and "No" texts.
void ShowLog(const QString& fileName, const QString& okText, const QString& noText);

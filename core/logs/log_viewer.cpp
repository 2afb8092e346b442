// The log viewer: see log_viewer.h.

#include "core/base/widget_factory.h"
#include "core/logs/log_viewer.h"

#include "core/dialogs/grid_export.h"
#include "core/base/window_host.h"
#include "core/language/msg_language.h"
#include "platform/widgets/colour_contrast.h"
#include "platform/widgets/string_grid_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QStringList& columnTitles()
{
    static const QStringList titles = QStringLiteral("Time;Address;Status;Comment").split(QLatin1Char(';'));
    return titles;
}

QStringList logMessages()
{
    return {QStringLiteral("Attention"), QStringLiteral("MS Excel initialization error"), QStringLiteral("Time"),
            QStringLiteral("Address"),   QStringLiteral("Status"),                        QStringLiteral("Comment")};
}

QStringList itemCells(const TLogDataObj& item)
{
    return {item.timeText(), item.Address, item.statusText(), item.Comment};
}

bool centredColumn(int column)
{
    return column == 0 || column == 2;   // time and status
}

struct CellColours {
    QColor background;
    QColor text;
};

// The focused cell and the selected row have fixed colours under the palette's text while that reads on them;
// on a dark palette they take the palette's own selection colours instead.
CellColours logCellColours(const QStyleOptionViewItem& option)
{
    static const QColor focusedCell(148, 200, 228);
    static const QColor selectedRow(206, 211, 225);
    const QPalette& palette = option.palette;
    const QColor text = palette.color(QPalette::Text);
    const QColor fixed = (option.state & QStyle::State_HasFocus)   ? focusedCell
                         : (option.state & QStyle::State_Selected) ? selectedRow
                                                                   : QColor();
    if (!fixed.isValid())
        return {palette.color(QPalette::Base), text};
    if (contrastRatio(fixed, text) >= readableContrast)
        return {fixed, text};
    return {palette.color(QPalette::Highlight), palette.color(QPalette::HighlightedText)};
}

}  // namespace

QString shortenedCellText(const QString& text, int width, const std::function<int(const QString&)>& measure)
{
    const int room = width - 1;
    if (text.isEmpty() || measure(text) <= room)
        return text;
    const QString ellipsis = QStringLiteral("...");
    for (qsizetype keep = text.size() - 2; keep > 0; --keep) {
        const QString shortened = text.left(keep) + ellipsis;
        if (measure(shortened) <= room)
            return shortened;
    }
    return ellipsis;
}

void LogCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    const CellColours colours = logCellColours(option);
    painter->fillRect(option.rect, colours.background);
    painter->setFont(option.font);
    painter->setPen(colours.text);
    const bool centred = centredColumn(index.column());
    const QFontMetrics metrics(option.font);
    const QString text = shortenedCellText(index.data(Qt::DisplayRole).toString(), option.rect.width(),
                                           [&metrics](const QString& t) { return metrics.horizontalAdvance(t); });
    const QRect textRect = option.rect.adjusted(centred ? 0 : 1, 1, 0, 0);
    painter->drawText(textRect, Qt::TextSingleLine | Qt::AlignTop | (centred ? Qt::AlignHCenter : Qt::AlignLeft),
                      text);
    painter->restore();
}

T_logs::T_logs(const QString& fileName, const QString& okText, const QString& noText, QWidget* parent)
    : QDialog(parent),
      msl(new TMsgLanguage(this, logMessages())),
      sg(new StringGridView(this)),
      sbXls(new QPushButton(QStringLiteral("Export to MS Excel"), this)),
      ExplorerButton1(makeExplorerButton(this, "ExplorerButton1", QStringLiteral("Close"), "close")),
      m_list(fileName, okText, noText),
      m_grid(int(columnTitles().size()), 2)
{
    setObjectName(QStringLiteral("_logs"));
    setWindowTitle(QStringLiteral("Log data"));
    sg->setObjectName(QStringLiteral("sg"));
    sbXls->setObjectName(QStringLiteral("sbXls"));
    connect(sbXls, &QPushButton::clicked, this, &T_logs::sbXlsClick);
    connect(ExplorerButton1, &QAbstractButton::clicked, this, &T_logs::ExplorerButton1Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(sbXls);
    buttons->addStretch();
    buttons->addWidget(ExplorerButton1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sg);
    layout->addLayout(buttons);
    resize(720, 420);

    WindowHost::requestTranslation(this);
    setWindowTitle(windowTitle() + QStringLiteral(" (") + fileName + QLatin1Char(')'));
    m_list.LoadLog();
    fillGrid();
    sg->setRowSelect(true);
    sg->setItemDelegate(new LogCellDelegate(sg));
    sg->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    sg->setGrid(&m_grid);
    sg->setFittedColumns({0, 1, 2}, 3);   // time, address and status fit; the comment takes the rest
}

void T_logs::fillGrid()
{
    m_grid.setRowCount(std::max(m_list.Count() + 1, 2));
    m_grid.setRowCells(0, columnTitles());
    for (int row = 1; row <= m_list.Count(); ++row)
        m_grid.setRowCells(row, itemCells(*m_list.Items[row - 1]));
}

void T_logs::sbXlsClick()
{
    const QStringList titles{msl->text(2), msl->text(3), msl->text(4), msl->text(5)};
    const SheetRows rows{m_list.Count() + 1, [this, &titles](int row) {
                             return row == 0 ? titles : itemCells(*m_list.Items[row - 1]);
                         },
                         QString()};
    ExportToSpreadsheet(rows, msl->text(1), msl->text(0));
}

void T_logs::ExplorerButton1Click()
{
    close();
}

void ShowLog(const QString& fileName, const QString& okText, const QString& noText)
{
    T_logs window(fileName, okText, noText, WindowHost::mainWindow());
    window.exec();
}

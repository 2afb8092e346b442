// GridSizing: lays out a table view as a result list reads on the desktop: chosen columns (or all of them) as
// wide as their texts, one column taking the rest of the width, rows one line of the view's font high, no
// wrapping.
// Widths come from a bounded sample (the title, the first rows and the rows in sight), never from every row,
// so a grid of 100,000 rows fits as fast as one of 100. A column the user resizes keeps the user's width.
#pragma once

#include <QHash>
#include <QList>
#include <QObject>

class QFontMetrics;
class QTableView;

class GridSizing : public QObject {
    Q_OBJECT

public:
    // Rows measured from the top of the grid, beside those in sight.
    static constexpr int sampleRows = 200;

    // Every column of the model fitted, none stretched (previews of files whose columns vary).
    static constexpr int everyColumn = -2;

    // Sizes view (which owns the object) from now on; fitted columns (or {everyColumn}), then the stretch
    // column (-1 for none).
    GridSizing(QTableView* view, const QList<int>& fittedColumns, int stretchColumn);

    // The view shows another model: follow its changes.
    void watchModel();
    // The widest text of column among the title and the sample, in pixels, with the cell margins.
    int sampledWidth(int column) const;
    // One line of the view's font with a pixel above and below.
    int lineHeight() const;
    static int lineHeight(const QFontMetrics& metrics);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scheduleFit();
    void fitColumns();
    void applyLineHeight();
    QList<int> sampledRows() const;
    QList<int> fittedColumns() const;
    void sectionResized(int column);

    QTableView* m_view;
    QList<int> m_fitted;
    int m_stretch;
    QHash<int, int> m_widths;                // the widest sample seen per fitted column since the reset
    QList<int> m_userSized;                  // columns the user resized by hand
    QList<QMetaObject::Connection> m_modelConnections;
    bool m_fitPending = false;
    bool m_fitting = false;                  // our own resizes are not the user's
    bool m_userResizing = false;             // a mouse button is down on the header
};

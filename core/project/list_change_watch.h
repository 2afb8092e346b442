// ListChangeWatch: follows a list grid and remembers whether it changed (cells, rows, columns) since the
// last reset(), and whether it is gone. The sending window uses it to rebuild its result rows before a run,
// so a row's result never stands beside another row's data.
#pragma once

#include "platform/string_grid.h"

class ListChangeWatch : private StringGridObserver {
public:
    explicit ListChangeWatch(StringGrid* grid) : m_grid(grid)
    {
        if (m_grid)
            m_grid->addObserver(this);
    }
    ~ListChangeWatch() override
    {
        if (m_grid)
            m_grid->removeObserver(this);
    }
    Q_DISABLE_COPY_MOVE(ListChangeWatch)

    StringGrid* grid() const { return m_grid; }     // null once the grid was destroyed
    bool changed() const { return m_changed; }
    void reset() { m_changed = false; }

private:
    void gridAboutToReset() override {}
    void gridReset() override { m_changed = true; }
    void rowsAboutToInsert(int, int) override {}
    void rowsInserted() override { m_changed = true; }
    void rowsAboutToRemove(int, int) override {}
    void rowsRemoved() override { m_changed = true; }
    void rowAboutToMove(int, int) override {}
    void rowMoved() override { m_changed = true; }
    void columnsAboutToChange(int, int) override {}
    void columnsChanged(int, int) override { m_changed = true; }
    void cellsChanged(int, int, int, int) override { m_changed = true; }
    void gridDestroyed() override { m_grid = nullptr; }

    StringGrid* m_grid;
    bool m_changed = false;
};

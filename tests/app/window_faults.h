// Everything the window walk finds wrong with what a window shows now: its layout, its grids' columns and rows,
// its fields' names for screen readers and the contrast of its texts, one line per fault.
#pragma once

#include "tests/app/access_faults.h"
#include "tests/app/contrast_faults.h"
#include "tests/app/grid_faults.h"
#include "tests/app/layout_faults.h"

namespace sorvanta::test {

inline QStringList shownWindowFaults(QWidget* window)
{
    return layoutFaults(window) + gridFaults(window) + accessibleNameFaults(window) + contrastFaults(window);
}

}  // namespace sorvanta::test

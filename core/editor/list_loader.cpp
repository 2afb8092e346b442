// The editor's list load with the progress window: see list_loader.h.

#include "core/editor/list_loader.h"

#include "core/base/window_host.h"
#include "core/dialogs/progress_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressBar>

#include <algorithm>

namespace {

// How often the load lets the window answer (Stop, repaint); pumping after every line would cost more than
// the reading itself.
constexpr qint64 kPumpIntervalMilliseconds = 5;

}  // namespace

ListLoadResult ListLoader::load(StringGrid& grid, const QString& fileName, const QString& delimiter,
                                const QString& progressCaption)
{
    if (m_loading)
        return {};
    m_loading = true;
    const ListFileBytes file = ReadListBytes(fileName);
    TProgAddress* window = nullptr;
    if (file.bytes) {
        window = CreateProgressWindow();
        window->setWindowTitle(progressCaption + QStringLiteral(".. ") + fileName);
        window->Gauge1->setRange(0, std::max(file.lineCount, 1));
        QCoreApplication::processEvents();
    }
    QElapsedTimer sincePump;
    sincePump.start();
    const ReadProgress progress = [&](int linesRead) {
        window->Gauge1->setValue(std::min(linesRead, window->Gauge1->maximum()));
        if (sincePump.elapsed() >= kPumpIntervalMilliseconds) {
            QCoreApplication::processEvents();
            sincePump.restart();
        }
        return !window->Stopped;
    };
    const ListLoadResult result = FillListGrid(grid, file, delimiter, window ? progress : ReadProgress());
    CloseProgressWindow(window);
    m_loading = false;
    if (!result.readError.isEmpty())   // the empty list must not pass unnoticed: a save would overwrite the file
        ShowMessageBox(fileName + QStringLiteral(" : ") + result.readError, progressCaption, MB_ICONWARNING);
    return result;
}

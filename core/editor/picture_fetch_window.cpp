// Web pictures fetched under the progress window: see picture_fetch_window.h.

#include "core/editor/picture_fetch_window.h"

#include "core/dialogs/progress_window.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProgressBar>
#include <QTimer>

namespace {

constexpr int kStopPollMs = 50;

QString pictureName(const QUrl& address)
{
    const QString name = address.fileName();
    return name.isEmpty() ? address.toDisplayString() : name;
}

}  // namespace

QList<PictureFetcher::Result> FetchPicturesWithProgress(const QList<QUrl>& addresses, const QString& folder,
                                                        int timeoutMs)
{
    if (addresses.isEmpty())
        return {};
    PictureFetcher fetcher;
    fetcher.setTimeout(timeoutMs);
    TProgAddress* window = CreateProgressWindow();
    window->hide();   // modality takes effect only when the window is shown again
    window->setWindowModality(Qt::ApplicationModal);
    window->Gauge1->setRange(0, int(addresses.size()));
    window->show();
    QObject::connect(&fetcher, &PictureFetcher::fetching, window, [window](int index, int count, const QUrl& address) {
        window->setWindowTitle(QCoreApplication::translate("PictureFetch", "Fetching %1 (%2 of %3)")
                                   .arg(pictureName(address)).arg(index + 1).arg(count));
        window->Gauge1->setValue(index);
    });
    // Stop, Escape and the close button all only set Stopped.
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, &fetcher, [&fetcher, window] {
        if (window->Stopped)
            fetcher.stop();
    });
    stopWatch.start(kStopPollMs);
    QEventLoop loop;
    QObject::connect(&fetcher, &PictureFetcher::finished, &loop, &QEventLoop::quit);
    fetcher.start(addresses, folder);
    if (fetcher.isRunning())
        loop.exec();
    CloseProgressWindow(window);
    return fetcher.results();
}

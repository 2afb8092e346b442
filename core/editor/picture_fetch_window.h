// Fetching web pictures under the progress window: its caption names the picture being fetched and counts
// them, its gauge advances per picture, and Stop (or closing it) ends the fetching. The window is modal for
// the whole program while it runs, so the page cannot change under the import.
#pragma once

#include "core/editor/picture_fetcher.h"

#include <QList>
#include <QString>
#include <QUrl>

// Every address fetched into folder, each within timeoutMs; the results once all are done or stopped.
QList<PictureFetcher::Result> FetchPicturesWithProgress(const QList<QUrl>& addresses, const QString& folder,
                                                        int timeoutMs);

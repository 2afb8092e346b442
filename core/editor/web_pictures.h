// The web pictures of an imported page, apart from fetching them: which addresses to fetch (http and https,
// each once however often the page shows it), the page's sources with the fetched ones pointing at their
// files, and the words that tell the user which could not be fetched and why. No window, no network.
#pragma once

#include "core/editor/picture_fetcher.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

bool IsWebPictureAddress(const QString& address);
QList<QUrl> WebPictureAddresses(const QStringList& sources);
// sources with every web address that was fetched replaced by its file's address; failures keep theirs.
QStringList WithFetchedPictures(const QStringList& sources, const QList<PictureFetcher::Result>& results);
// One line per failed picture, "address: reason", under a heading; empty when every picture came.
QString FetchFailureText(const QList<PictureFetcher::Result>& results);

// The web pictures of an imported page: see web_pictures.h.

#include "core/editor/web_pictures.h"

#include <QCoreApplication>
#include <QHash>

namespace {

// A page of a hundred broken pictures would otherwise make a message box taller than the screen.
constexpr int kMostListedFailures = 15;

QString tr(const char* text, int n = -1)
{
    return QCoreApplication::translate("WebPictures", text, nullptr, n);
}

}  // namespace

bool IsWebPictureAddress(const QString& address)
{
    return address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

QList<QUrl> WebPictureAddresses(const QStringList& sources)
{
    QList<QUrl> addresses;
    for (const QString& source : sources) {
        const QUrl address(source);
        if (IsWebPictureAddress(source) && address.isValid() && !addresses.contains(address))
            addresses << address;
    }
    return addresses;
}

QStringList WithFetchedPictures(const QStringList& sources, const QList<PictureFetcher::Result>& results)
{
    QHash<QUrl, QString> fetched;
    for (const PictureFetcher::Result& result : results)
        if (!result.path.isEmpty())
            fetched.insert(result.address, QUrl::fromLocalFile(result.path).toString(QUrl::FullyEncoded));
    QStringList rewritten;
    for (const QString& source : sources)
        rewritten << (IsWebPictureAddress(source) ? fetched.value(QUrl(source), source) : source);
    return rewritten;
}

QString FetchFailureText(const QList<PictureFetcher::Result>& results)
{
    QStringList lines;
    int failed = 0;
    for (const PictureFetcher::Result& result : results) {
        if (result.error == PictureFetcher::Error::None)
            continue;
        if (++failed <= kMostListedFailures)
            lines << result.address.toDisplayString() + QStringLiteral(": ") + result.errorString;
    }
    if (failed == 0)
        return {};
    if (failed > kMostListedFailures)
        lines << tr("... and %n more", failed - kMostListedFailures);
    return tr("%n picture(s) could not be fetched and keep their web address:", failed) + u'\n' + lines.join(u'\n');
}

// The web pictures' fetcher: see picture_fetcher.h.

#include "core/editor/picture_fetcher.h"

#include "core/editor/picture_paths.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

bool isWebScheme(const QUrl& address)
{
    return address.scheme() == QLatin1String("http") || address.scheme() == QLatin1String("https");
}

QString megabytes(qsizetype bytes)
{
    return QString::number(double(bytes) / (1024 * 1024), 'f', bytes % (1024 * 1024) ? 1 : 0);
}

}  // namespace

PictureFetcher::PictureFetcher(QObject* parent) : QObject(parent), m_network(new QNetworkAccessManager(this))
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        fail(Error::TimedOut, tr("not fetched within %n second(s)", nullptr, qMax(1, m_timeoutMs / 1000)));
    });
}

PictureFetcher::~PictureFetcher()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void PictureFetcher::start(const QList<QUrl>& addresses, const QString& folder)
{
    Q_ASSERT(!m_running);
    m_addresses = addresses;
    m_folder = folder;
    m_results.clear();
    m_running = true;
    m_stopping = false;
    fetchNext();
}

void PictureFetcher::stop()
{
    m_stopping = true;
    if (m_reply)
        fail(Error::Stopped, tr("stopped"));
}

void PictureFetcher::fetchNext()
{
    if (!m_running)
        return;
    const int index = int(m_results.size());
    if (index == m_addresses.size()) {
        m_running = false;
        emit finished();
        return;
    }
    const QUrl address = m_addresses[index];
    if (m_stopping) {
        complete(Error::Stopped, tr("stopped"));
        return;
    }
    emit fetching(index, int(m_addresses.size()), address);
    if (!isWebScheme(address)) {
        complete(Error::Network, tr("not a web address"));
        return;
    }
    m_redirects = 0;
    m_deadline.start(m_timeoutMs);   // for the picture, redirects included
    request(address);
}

// Redirects are followed here, not by Qt, so that each one is counted and its target checked.
void PictureFetcher::request(const QUrl& address)
{
    m_body.clear();
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setRawHeader("Accept", "image/*, */*;q=0.5");
    m_reply = m_network->get(request);
    // The network thread reads no further ahead than this: a fast server waits on the connection instead of
    // piling the picture up in memory a second time beside m_body.
    m_reply->setReadBufferSize(ReadAheadBytes);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &PictureFetcher::checkHeaders);
    connect(m_reply, &QNetworkReply::readyRead, this, &PictureFetcher::readBody);
    connect(m_reply, &QNetworkReply::finished, this, &PictureFetcher::replyFinished);
}

// A redirect answer: the next request, unless it is one too many or leaves the web.
void PictureFetcher::followRedirect(const QUrl& target)
{
    if (++m_redirects > MaxRedirects) {
        fail(Error::TooManyRedirects, tr("more than %1 redirects").arg(MaxRedirects));
        return;
    }
    if (!isWebScheme(target)) {
        fail(Error::RedirectNotWeb, tr("redirected to %1, which is not a web address").arg(target.toDisplayString()));
        return;
    }
    m_reply->disconnect(this);
    m_reply->deleteLater();
    request(target);
}

// The announced length and type, before any of the body is taken.
void PictureFetcher::checkHeaders()
{
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status >= 300)
        return;   // a redirect or an error: replyFinished tells
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > m_maxBytes) {
        fail(Error::TooLarge, tr("%1 MB, more than %2 MB").arg(megabytes(length.toLongLong()), megabytes(m_maxBytes)));
        return;
    }
    const QString type = m_reply->header(QNetworkRequest::ContentTypeHeader).toString();
    if (type.startsWith(QLatin1String("text/"), Qt::CaseInsensitive))
        fail(Error::NotAPicture, tr("the server sent a page (%1), not a picture").arg(type.section(u';', 0, 0)));
}

void PictureFetcher::readBody()
{
    m_body += m_reply->readAll();
    if (m_body.size() > m_maxBytes)
        fail(Error::TooLarge, tr("more than %1 MB").arg(megabytes(m_maxBytes)));
}

void PictureFetcher::replyFinished()
{
    readBody();
    if (!m_reply)
        return;   // too large
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QNetworkReply::NetworkError error = m_reply->error();
    const QUrl target = m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (status >= 300 && status < 400 && target.isValid()) {
        followRedirect(m_reply->url().resolved(target));
    } else if (status >= 300) {
        const QString reason = m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        fail(Error::HttpStatus, tr("HTTP %1 %2").arg(status).arg(reason).trimmed());
    } else if (error != QNetworkReply::NoError) {
        fail(Error::Network, m_reply->errorString());
    } else if (status < 200) {
        fail(Error::Network, tr("the server closed the connection without an answer"));
    } else if (m_body.isEmpty()) {
        fail(Error::NotAPicture, tr("the server sent nothing"));
    } else {
        save();
    }
}

void PictureFetcher::save()
{
    const QString type = m_reply->header(QNetworkRequest::ContentTypeHeader).toString();
    const QString name = PictureNameOfWebAddress(m_addresses[m_results.size()], type);
    m_reply->disconnect(this);
    m_reply->deleteLater();
    m_reply = nullptr;
    QString error;
    const std::optional<QString> path = WritePictureBytes(m_body, m_folder, name, &error);
    m_body.clear();
    if (path)
        complete(Error::None, QString(), *path);
    else
        complete(Error::WriteFailed, error);
}

// Ends the fetch under way, if any, with that error.
void PictureFetcher::fail(Error error, const QString& text)
{
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    m_body.clear();
    complete(error, text);
}

// The result of the current address; the next one starts from the event loop, never inside a reply's signal.
void PictureFetcher::complete(Error error, const QString& text, const QString& path)
{
    m_deadline.stop();
    m_results.append({m_addresses[m_results.size()], path, error, text});
    QTimer::singleShot(0, this, &PictureFetcher::fetchNext);
}

// Fetching the HTML page's web pictures (http and https only) into the project's picture folder, one after
// the other, through QNetworkAccessManager. Each fetch is bounded: a time-out for the whole picture, a size
// cap (the announced length and the bytes received), at most five redirects and only to http or https; an
// answer that is a text page is no picture. stop() ends the fetch under way and every one after it. A picture
// that fails keeps no file and reports why. No window and no web engine: the window that runs the fetcher
// shows the progress and offers Stop.
#pragma once

#include "core/editor/picture_copy.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

class PictureFetcher : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureFetcher)

public:
    enum class Error {
        None,
        TimedOut,
        TooLarge,
        TooManyRedirects,
        RedirectNotWeb,   // a redirect to another scheme (file:, ftp:, ...)
        NotAPicture,      // the answer is a text page
        HttpStatus,       // the server answered 4xx or 5xx
        Network,          // refused, reset, no such host, TLS ...
        Stopped,
        WriteFailed,
    };

    struct Result {
        QUrl address;
        QString path;       // the saved picture, empty on failure
        Error error = Error::None;
        QString errorString;
    };

    static constexpr int MaxRedirects = 5;
    static constexpr qint64 ReadAheadBytes = 256 * 1024;   // received, not yet taken into the picture

    explicit PictureFetcher(QObject* parent = nullptr);
    ~PictureFetcher() override;

    void setTimeout(int ms) { m_timeoutMs = ms; }
    void setMaxBytes(qsizetype bytes) { m_maxBytes = bytes; }

    // Fetches every address into folder (each under its own file name); finished() when all are done.
    void start(const QList<QUrl>& addresses, const QString& folder);
    void stop();
    bool isRunning() const { return m_running; }
    // One per address, in order, once finished() fired.
    const QList<Result>& results() const { return m_results; }

signals:
    void fetching(int index, int count, const QUrl& address);
    void finished();

private:
    void fetchNext();
    void request(const QUrl& address);
    void followRedirect(const QUrl& target);
    void checkHeaders();
    void readBody();
    void replyFinished();
    void fail(Error error, const QString& text);
    void save();
    void complete(Error error, const QString& text, const QString& path = QString());

    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    QList<QUrl> m_addresses;
    QList<Result> m_results;
    QString m_folder;
    QByteArray m_body;
    int m_redirects = 0;
    int m_timeoutMs = 10000;
    qsizetype m_maxBytes = kLargestPicture;
    bool m_running = false;
    bool m_stopping = false;
};

// MailClientSocket: what SendMail and GetMail share on top of TStarSocket: one run at a time for the owner
// (busy and cancel flags), the road from the host text to a connection with its progress infos, socket
// errors mapped to codes and texts and reported through OnMailError, and exactly one OnDone per run,
// raised later from the event loop, however often the run's end is posted. Once connected, every wait
// for the server (a reply, the socket taking the message) is bounded by TimeoutReply.
#pragma once

#include "transport/net/send_mail_errors.h"
#include "transport/net/timer_socket.h"

#include <QString>
#include <QTimer>

class MailClientSocket : public TStarSocket {
    Q_OBJECT

public:
    ~MailClientSocket() override;
    Q_DISABLE_COPY_MOVE(MailClientSocket)

    // Seconds the server may take to answer (or to take our bytes) once connected; 0 = no bound. Its
    // end is error 8 "timeout" and cancels the run, or only closes once the session is complete.
    int TimeoutReply = 0;
    // The account has used TLS with this server before: credentials go only over a secured connection,
    // and a server that no longer offers one (a man in the middle may have stripped it) ends the run.
    bool RequireTls = false;
    // The connection of the run (the current one, or the last) was secured.
    bool TlsUsed() const { return m_secured; }

    int lastErrorCode() const { return m_lastErrorCode; }
    const QString& lastErrorText() const { return m_lastErrorText; }

signals:
    void OnMailInfo(int info, const QString& addinfo);
    void OnMailError(int error, const QString& addinfo);
    void OnDone();

protected:
    // The info codes a component gives the steps every run takes.
    struct ProgressInfo {
        int connected;          // [the server's dotted address]
        int disconnected;       // the server closed the connection [empty]
        int resolving;          // [host name]
        int resolved;           // [dotted address]
        int busy;               // a start while a run is busy [empty]
    };

    MailClientSocket(const ProgressInfo& info, QObject* parent);

    bool busy() const { return m_busy; }
    bool cancelled() const { return m_cancelled; }

    // Starts a run; false, after the busy info, when one is going on (it is left alone).
    bool beginRun();
    // Creates the socket and connects to the host text's address, or resolves the name first. With
    // implicitTls the connection is secured before the first byte of the dialogue (ports 465 and 995).
    void connectToHost(quint16 port, bool implicitTls = false);
    // Ends the run now: the descendant's onCancel(), then everything closed and the end posted. Once per run.
    void cancel();
    // Posts the end of the run; the first one handled for the run raises OnDone.
    void postDone();
    void reportError(int code, const QString& text);
    void setLastErrorCode(int code) { m_lastErrorCode = code; }
    // The check after every socket operation and notification: a socket error is reported and cancels
    // the run. True when the run is over (also when it was cancelled before).
    bool socketFailed();
    // (Re)starts the bound on the wait for the server: after each command and each block of the message.
    void awaitReply();
    void stopReplyWait() { m_replyTimer.stop(); }
    // True when credentials may be sent now; else, with RequireTls on a connection in clear, reports error
    // 20 (the server no longer offers a secure connection) and cancels the run.
    bool credentialsMayGo();

    // The code and text of a socket error; GetMail numbers "Host Unreachable" its own way.
    virtual MailErrorText socketErrorText(int winsockError) const { return mailErrorForSocketError(winsockError); }
    // True when the server may close now without "Prematurely Disconnected".
    virtual bool sessionComplete() const = 0;
    virtual void onCancel() {}
    // Runs before OnDone.
    virtual void onRunFinished() {}
    // The connection is secured: implicit TLS at connection, or the handshake after STARTTLS or STLS.
    virtual void onSecured() {}

    void onConnect() override;
    void onDisconnect() override;
    void onResolved() override;
    void onCountdownExpired() override;
    // A failed handshake ends the run before any credential is sent, naming the host and the reason.
    void onTlsFinished(const QString& error) override;
    void onMessage(const WindowMessage& message) override;

private:
    void replyTimedOut();

    ProgressInfo m_info;
    QTimer m_replyTimer;
    bool m_busy = false;
    bool m_cancelled = false;
    quint64 m_run = 0;                  // number of the current run; the end message carries it
    quint16 m_port = 0;
    bool m_implicitTls = false;
    bool m_secured = false;             // the handshake of the current connection succeeded
    int m_lastErrorCode = 0;
    QString m_lastErrorText;
};

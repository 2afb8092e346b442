// GetMail: the POP3 login before sending (POP-before-SMTP). It connects (MailClientSocket), answers the
// greeting with USER and PASS and reports "Access Granted" (info 10) or "Access Denied" (error 19); when
// the owner does not end the run there, it sends QUIT. Message retrieval is not built. Never blocks; OnDone
// fires exactly once per run, later, from the event loop. Only "+OK" counts as a yes; every wait for the
// server is bounded by TimeoutReply (a time-out is error 8, so the login fails). Before USER the greeting
// is answered with CAPA; when it lists STLS the login runs over TLS (RFC 2595), and port 995 is TLS from
// the first byte (RFC 8314). A refused STLS or a failed handshake ends the run before USER (error 20), and
// so does a server without STLS when RequireTls is set.
#pragma once

#include "transport/net/mail_client_socket.h"

#include <QByteArray>
#include <QString>

enum class TGetMailAction { None, Get_Mail, Cancel_GetMail };

class GetMail : public MailClientSocket {
    Q_OBJECT

public:
    explicit GetMail(QObject* parent = nullptr);
    ~GetMail() override;
    Q_DISABLE_COPY_MOVE(GetMail)

    // Server host: a dotted IPv4 address, or a name resolved first (see TStarSocket::setHost).
    void setMail_Server(const QString& server) { setHost(server); }
    const QString& Mail_Server() const { return host(); }
    quint16 Mail_Port = 110;
    QString User_ID;
    QString User_Password;

    // Get_Mail starts a run (info 9 when one is busy); Cancel_GetMail ends it. Reading gives None.
    void setMail_Action(TGetMailAction action);
    TGetMailAction Mail_Action() const { return TGetMailAction::None; }
    // Ends the run from the owner's info-10 handler (no retrieval runs, so this cancels at once).
    void Abort() { setMail_Action(TGetMailAction::Cancel_GetMail); }
    QString Version() const { return QStringLiteral("GetMail 1.3.13"); }

protected:
    void onConnect() override;
    void onRead() override;
    // "Host Unreachable" (10065) is error 18 here; the rest of the table is SendMail's.
    MailErrorText socketErrorText(int winsockError) const override;
    bool sessionComplete() const override { return m_complete; }

private:
    // Where the login stands; each state names the reply awaited.
    enum class State {
        Greeting,       // the server's banner
        CapaSent,       // the status of CAPA: "+OK" starts the list, "-ERR" means none (USER follows)
        CapaList,       // capability lines up to "."
        StlsSent,       // "+OK" to STLS starts the handshake; USER follows on the secured connection
        UserSent,       // the reply to USER
        PassSent,       // the reply to PASS
        QuitSent,       // logged in; waiting for the server to close
        Failed,         // refused; the run is being cancelled
    };

    void startRun();
    void accessDenied();
    void greetingLine(bool positive);
    void capaStatusLine(const QByteArray& line, bool positive);
    void capabilityLine(const QByteArray& line);
    void stlsReplyLine(const QByteArray& line, bool positive);
    void sendUser();
    void onSecured() override;
    bool handleLine(const QByteArray& line);
    void loginLine(const QByteArray& line);
    void sendCommand(const QString& command);
    void setState(State state) { m_state = state; }

    bool m_complete = false;            // QUIT was sent after a full login: a close then is no error
    bool m_offersStls = false;          // the CAPA list holds STLS
    int m_capabilityLines = 0;
    State m_state = State::Greeting;
};

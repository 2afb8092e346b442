// TCustomSmtpClient: the asynchronous SMTP client dialogue over one TWSocket. Each operation (connect,
// HELO, MAIL FROM, RCPT TO, DATA, QUIT, RSET, VRFY, and Open / Mail, which chain several) sends one command,
// reads the reply lines through SmtpReplyParser and ends with OnRequestDone, always posted (a deferred call,
// platform/deferred_calls.h), never fired inside the socket event that ended the request. It has no timer: the owner detects
// a silent server. The message text after DATA comes from the derived class (TSmtpCli, smtp_cli.h).
//
// Programming errors raise SmtpException (not ready, not connected, no recipient, CR / LF / NUL inside a
// command argument, white space, a control character or a bracket inside an address). Network and
// protocol failures never raise: the request ends with an error code, the refusing reply code, a Winsock
// number, 10004 when the connection closed, or 500 for a failure that LastResponse() describes
// (unreadable reply, unreadable file, exception while connecting).
#pragma once

#include "transport/net/transport_exception.h"

#include "transport/mime/smtp_data_stream.h"
#include "transport/smtp/smtp_reply_parser.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <stdexcept>

class TWSocket;

// The request an OnRequestDone reports, by the values the owner sees.
enum TSmtpRequest {
    smtpConnect = 0,
    smtpHelo = 1,
    smtpMailFrom = 2,
    smtpVrfy = 3,
    smtpRcptTo = 4,
    smtpData = 5,
    smtpQuit = 6,
    smtpRset = 7,
    smtpOpen = 8,   // connect and HELO; a successful Open reports smtpConnect, as the connect step sets it
    smtpMail = 9,   // MAIL FROM, RCPT TO and DATA
};

class TCustomSmtpClient : public QObject {
    Q_OBJECT
public:
    using TSmtpDisplay = std::function<void(TCustomSmtpClient* sender, const QString& msg)>;
    using TSmtpRequestDone = std::function<void(TCustomSmtpClient* sender, TSmtpRequest rqType, int error)>;
    using TSmtpProgress = std::function<void(TCustomSmtpClient* sender)>;

    explicit TCustomSmtpClient(QObject* parent = nullptr);
    ~TCustomSmtpClient() override;
    Q_DISABLE_COPY_MOVE(TCustomSmtpClient)

    // ---- properties, read when an operation starts
    QString Host;                          // server name or dotted address
    QString Port = QStringLiteral("smtp"); // service name or number
    QString SignOn;                        // HELO argument; empty: defaultHeloName (helo_name.h)
    QString LocalHostName;                 // this machine's name for that default; empty: asked each time
    QString MailDomain;                    // that default when the host name has no dot (helo_name.h)
    bool Esmtp = false;                    // Helo sends EHLO, and HELO when the server refuses it with 5xx
    // With Esmtp: when the EHLO reply offers STARTTLS, secure the connection without checking the
    // certificate (opportunistic, RFC 7435) and send EHLO again; a refused STARTTLS, a failed
    // handshake or a close before the reply to that EHLO reconnects once to the same address in clear
    // and greets without STARTTLS.
    bool OpportunisticTls = false;
    QString FromName;                      // envelope sender, trimmed into MAIL FROM
    QStringList RcptName;                  // envelope recipients, one RCPT TO each
    QByteArray HdrTo;                      // VRFY argument (and the To header of TSmtpCli)
    int Tag = 0;                           // free for the owner

    // ---- events
    TSmtpDisplay OnDisplay;          // "> " + each command sent, "< " + each reply line
    TSmtpDisplay OnCommand;          // each command before it is sent
    TSmtpDisplay OnResponse;         // each reply line as received
    TSmtpRequestDone OnRequestDone;  // the end of a request: error 0 is success
    TSmtpProgress OnMessageProgress; // a batch of the message text was taken by the socket (no reply is due)

    // The final "." of the message has been handed to the socket and no reply to it has come: the server may
    // have the message (RFC 1047), so it must not be abandoned, nor sent again as if it had failed. Stays
    // set after Abort() and after a request that ended without that reply, until the next command.
    bool EndOfDataUnanswered() const { return m_endOfDataUnanswered; }

    // The first failing reply line of the current request.
    QString ErrorMessage() const { return m_errorMessage; }
    // The last reply line without CR LF, or the text of a failure that ended the request with 500.
    QString LastResponse() const { return m_lastResponse; }
    bool Connected() const { return m_connected; }
    // The EHLO reply of the connection listed 8BITMIME (RFC 6152).
    bool Offers8BitMime() const { return m_offers8BitMime; }
    // The connection is secured with TLS.
    bool Secured() const;

    // ---- operations; each needs the client to be ready (idle or between the steps of Open / Mail)
    void Connect();        // resolve Host, connect to Port, wait for the 220 banner
    void Helo();
    void Vrfy();
    void MailFrom();
    void RcptTo();         // every RcptName item in turn; a refusal ends the request with the first one
    virtual void Data();   // DATA, the message text, "."
    void Quit();           // when not connected: nothing is sent, smtpQuit is reported with 0
    void Rset();
    void Open();           // connect, then HELO
    void Mail();           // MAIL FROM, RCPT TO, DATA
    // Closes the connection at once; no OnRequestDone follows, and one already posted is dropped.
    void Abort();

protected:
    enum class MessageText { More, Finished, Failed };

    // Appends the next part of the message text (header and body, CR LF line ends, dot-stuffed) until out
    // holds at least budget bytes; on Failed, failure says why (the message is then not sent).
    virtual MessageText writeMessageText(SmtpDataStream& out, qsizetype budget, QString& failure) = 0;

    // SmtpException "SMTP component not ready" / "SMTP component not connected".
    void requireReadyAndConnected() const;
    // ESMTP parameters after "MAIL FROM:<sender>" (" BODY=8BITMIME"); asked once per MAIL FROM.
    virtual QByteArray mailFromParameters() { return {}; }

private:
    // Dialogue state; the values are the component's.
    enum class State {
        Ready = 0,            // idle
        DnsLookup = 1,        // resolving Host
        Connecting = 2,       // TCP connect in progress
        Connected = 3,        // banner received
        InternalReady = 4,    // between the steps of Open / Mail
        WaitingBanner = 5,    // connected, waiting for 220
        WaitingResponse = 6,  // a command is out
        Aborting = 7,         // inside Abort()
    };
    enum class Step { Connect, Helo, MailFrom, RcptTo, Data };
    using Continuation = void (TCustomSmtpClient::*)();

    void setState(State state) { m_state = state; }
    void requireReady() const;
    // The command texts, checked for CR, LF and NUL (SmtpException).
    QByteArray heloName() const;
    QByteArray heloCommand() const { return "HELO " + heloName(); }
    QByteArray mailFromCommand() const;
    void requireRecipients() const;
    void startHighLevel(TSmtpRequest request, QList<Step> steps);
    void runNextStep();
    void executeCommand(TSmtpRequest request, const QByteArray& command, std::initializer_list<int> accepted,
                        Continuation next = nullptr);
    void sendCommand(const QByteArray& command, std::initializer_list<int> accepted, Continuation next);
    // Everything of sending a command but the write itself.
    void expectReply(const QByteArray& command, std::initializer_list<int> accepted, Continuation next);
    void display(const QString& text);
    void storeErrorMessage();
    void failRequest(int error, const QString& lastResponse);
    void triggerRequestDone(int error);

    void onDnsLookupDone(int error);
    void onSessionConnected(int error);
    void onDataAvailable();
    void handleBufferedLines();
    void onDataSent();
    void onSessionClosed();
    void handleLine(const SmtpReplyLine& line);
    void handleBanner(const SmtpReplyLine& line);
    void handleReply(const SmtpReplyLine& line);
    void handleReplyFault();

    void ehloAnswered();
    void sendEhlo();
    bool mayStartTls() const;
    void startTlsAnswered();
    void onTlsDone(int error);
    void reconnectInClear();
    void noteCapability(const QByteArray& line);
    void sendNextRecipient();
    void recipientAnswered();
    void dataAccepted();
    void sendMessageBatch();
    bool serverSpokeDuringMessage();
    void abortMessage(const QString& failure);

    TWSocket* m_socket;
    SmtpReplyParser m_parser;
    SmtpDataStream m_dataStream;
    State m_state = State::Ready;
    TSmtpRequest m_requestType = smtpConnect;
    bool m_requestDone = true;
    int m_requestResult = 0;
    std::array<int, 2> m_acceptedCodes{};
    Continuation m_next = nullptr;
    bool m_connected = false;
    bool m_readingCapabilities = false;   // the EHLO reply is coming in
    bool m_offers8BitMime = false;
    bool m_offersStartTls = false;
    bool m_clearOnly = false;             // this Connect's TLS failed once: the reconnection stays in clear
    bool m_securedEhloDue = false;        // the handshake completed and the EHLO inside TLS has no reply yet
    bool m_highLevel = false;
    QList<Step> m_steps;
    bool m_sendingMessage = false;
    bool m_endOfDataUnanswered = false;
    bool m_handlingLines = false;  // inside handleBufferedLines: it hands on what is added to the parser
    int m_recipientIndex = 0;
    int m_refusalCode = 0;         // first refused recipient of the current RCPT TO chain
    QString m_refusalLine;
    QString m_errorMessage;
    QString m_lastResponse;
    quint32 m_generation = 0;      // advanced by Abort(): posted notifications of older requests are dropped
};

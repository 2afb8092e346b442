// SendMail: hands one message at a time to the user's SMTP server. It connects (TStarSocket), greets with
// HELO or EHLO, authenticates when SmtpAuth is set with the first mechanism the server offers of CRAM-MD5,
// DIGEST-MD5, LOGIN and PLAIN (LOGIN when it names none), sends MAIL FROM, one RCPT TO per recipient,
// DATA, the composed message and ".", then QUIT, or with KeepConnectionOpen keeps the connection so the
// next message starts with MAIL FROM. Never blocks; progress and errors arrive as signals, and OnDone fires
// exactly once per run, later, from the event loop. Each step goes on only on the reply code RFC 5321
// gives it; any other reply, a line that is no SMTP reply or one over the parser's limits is error 13
// with the server's text, and the run sends nothing more. Replies are bounded by TimeoutReply. Addresses
// holding white space, control characters or brackets are refused before anything is sent.
#pragma once

#include "transport/mime/attachment_record.h"
#include "transport/mime/charsets.h"
#include "transport/mime/external_composer.h"
#include "transport/mime/sasl_digest.h"
#include "transport/net/mail_client_socket.h"
#include "transport/smtp/smtp_reply_parser.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <functional>
#include <initializer_list>
#include <vector>

enum class TMailAction { None, Send_Mail, Cancel_SendMail };

class SendMail : public MailClientSocket {
    Q_OBJECT

public:
    explicit SendMail(QObject* parent = nullptr);
    ~SendMail() override;
    Q_DISABLE_COPY_MOVE(SendMail)

    // Server host: a dotted IPv4 address, or a name resolved first (see TStarSocket::setHost).
    void setSMTP_Server(const QString& server) { setHost(server); }
    const QString& SMTP_Server() const { return host(); }
    quint16 SMTP_Port = 25;

    QString FROM_Address;
    QString FROM_Name;                  // display name in "From:" (the sending window quotes it)
    QString TO_Address;
    QString TO_Name;
    QStringList ListTo;              // items "address" or "address|name"
    QStringList Listcc;
    QStringList ListBcc;             // RCPT TO only, never in a header

    QString Subject;
    QStringList MailText;
    QStringList HtmlText;
    QStringList HtmlFiles;           // inline pictures, parallel to HtmlCids
    QStringList HtmlCids;
    TTypeContent TypeContent = TTypeContent::tcPlain;
    QString Content_Type;
    QString Charset;
    TMimeChar MimeChar = TMimeChar::ISO_8859_1;
    THdrCoding HdrCoding = THdrCoding::hcQuotedPrn;
    QStringList Headers;             // extra header lines, after "MIME-Version: 1.0"
    QStringList Attachments;         // attachment file paths; item k-1 pairs with slot k
    // Optional body source: called until it returns nothing; replaces the MIME body.
    std::function<QByteArray()> OnFeedData;

    bool SmtpAuth = false;
    QString SmtpUser;
    QString SmtpPsw;
    bool HeloDef = true;                // greet with defaultHeloName (helo_name.h)
    QString HeloTxt;                    // greeting argument when HeloDef is off
    QString MailDomain;                 // the account's domain: the default greeting when the host name has no dot
    bool KeepConnectionOpen = false;

    // Keeps a copy of the record in the next slot and appends its path to Attachments (at most 256).
    void AddAttachment(const AttachmentRecord& record) { m_attachmentSlots.AddAttachment(record, Attachments); }
    // Empties Attachments and every slot: the start of a message's attachments, before AddAttachment.
    void ClearAttachments()
    {
        Attachments.clear();
        m_attachmentSlots.clear();
    }

    // Send_Mail starts a run (info 13 when one is busy); Cancel_SendMail ends it. Reading gives None.
    void setAction(TMailAction action);
    TMailAction Action() const { return TMailAction::None; }
    QString Version() const { return QStringLiteral("SendMail 1.3.9"); }

    // Ends a connection kept open between runs with QUIT (RFC 5321 section 4.1.1.10): the connection
    // closes at the server's reply, when the server closes it, or after kQuitReplyBound at the latest.
    // Does nothing during a run or without a kept connection; never waits.
    void QuitKeptConnection();

    // True once the server has accepted the end of data of the current message.
    bool MessageAccepted() const { return m_messageAccepted; }
    // The final "." of the current message has been written and the server has not answered it: it may have
    // the message (RFC 1047). Cancel_SendMail should not abandon it then; its reply is bounded by
    // TimeoutReply. Stays set when the run ends without that reply (time-out, closed connection).
    bool EndOfDataUnanswered() const { return m_endOfDataUnanswered; }
    // The server's reply when it refused the authentication of the current run (534, 535, 538); empty
    // otherwise. Every further message of the account would be refused alike.
    const QString& LoginRefusal() const { return m_loginRefusal; }
    // True when the current message went in UTF-8 because Charset lacks characters of its texts.
    bool Utf8Fallback() const { return m_utf8Fallback; }

protected:
    void onDisconnect() override;
    void onRead() override;
    bool sessionComplete() const override { return m_messageAccepted; }
    void onCancel() override;
    void onRunFinished() override;

private:
    // Where the dialogue stands; each state names what the next reply line triggers.
    enum class State {
        Greeting,       // banner, EHLO reply and AUTH exchange (see GreetingStep)
        MailFromDue,    // the next reply sends MAIL FROM
        FirstRcptDue,   // the next reply sends the first RCPT TO
        FurtherRcpt,    // each reply sends the next RCPT TO, then DATA
        DataDue,        // the reply to DATA: compose and send the message and "."
        EndOfDataSent,  // the reply to ".": the message is accepted
        QuitSent,       // waiting for the server to close
        KeptOpen,       // accepted; the connection waits for the next run
        Quitting,       // QUIT went out on the kept connection; it closes at the reply or the bound
        Reconnecting,   // the kept connection ended before the data: a new one is being made for the message
        Failed,         // an unexpected reply was reported; nothing more is sent, the owner ends the run
    };
    enum class GreetingStep {
        Banner,         // the server's banner decides HELO or EHLO
        EhloReply,      // collecting the AUTH mechanisms offered and whether STARTTLS is
        StartTlsReply,  // the 220 to STARTTLS starts the handshake; EHLO follows on the secured connection
        FirstChallenge, // the first 334 of the AUTH exchange
        SecondChallenge,// LOGIN: the 334 asking for the password
        DigestProof,    // DIGEST-MD5: the server's rspauth, answered with an empty line
    };
    enum class GreetingMode { None, Esmtp, Helo };
    enum class Mechanism { Login, CramMd5, DigestMd5 };

    void startRun();
    void connectAndGreet();
    bool retryOnNewConnection();
    void takeFirstRecipient();
    void restoreRecipients();
    void dropIdleConnection();
    void quitReplyOverdue();

    QString unsafeAddress() const;

    bool handleReplyLine(const QByteArray& line);
    void dialogueStep(const QByteArray& line);
    bool isExpected(int code) const;
    void failReply(const QByteArray& line, int code);
    void greetingStep(const SmtpReplyLine& reply);
    void bannerLine(const SmtpReplyLine& reply);
    void ehloReplyLine(const SmtpReplyLine& reply);
    void sendEhlo();
    QString heloName() const;
    void startTlsReply();
    void onSecured() override;
    void startAuth();
    void firstChallenge(const SmtpReplyLine& reply);
    void answerDigestChallenge(const QByteArray& challenge);
    sasl::DigestCredentials digestCredentials(const sasl::DigestChallenge& challenge) const;
    void secondChallenge(const SmtpReplyLine& reply);
    void digestProof(const SmtpReplyLine& reply);
    void sendMailFrom();
    void sendFirstRecipient();
    void sendNextRecipient();
    void sendMessage();
    bool sendData(const QByteArray& block);
    void messageAccepted(const QByteArray& line);

    ExternalMessage composerInput() const;
    // Sends a command whose reply must carry one of the expected codes (none: the reply is not examined).
    bool sendCommand(const QByteArray& line, std::initializer_list<int> expected);
    bool sendLine(const QByteArray& line);
    bool writeAndCheck(const QByteArray& bytes);
    void setState(State state) { m_state = state; }

    bool m_messageAccepted = false;
    bool m_utf8Fallback = false;
    bool m_endOfDataUnanswered = false;
    bool m_mayReconnect = false;        // the run began on a kept connection and has not reconnected yet
    bool m_authenticating = false;      // from AUTH to its 235
    QString m_loginRefusal;
    State m_state = State::Greeting;
    GreetingStep m_greetingStep = GreetingStep::Banner;
    GreetingMode m_greetingMode = GreetingMode::None;
    unsigned m_offered = 0;             // Mechanism bits offered by the EHLO reply
    bool m_offersStartTls = false;      // the EHLO reply lists STARTTLS
    Mechanism m_mechanism = Mechanism::Login;
    SmtpReplyParser m_replies;          // the rules and limits every reply line is held to
    std::array<int, 2> m_expected{};    // reply codes the step in progress goes on with
    bool m_writingMessage = false;      // sendMessage is under way
    bool m_spokeDuringData = false;     // the server sent something before the end of data was written
    sasl::DigestChallenge m_digestChallenge;        // DIGEST-MD5: kept to check the server's proof
    sasl::DigestCredentials m_digestCredentials;
    std::vector<QString> m_recipients;  // RCPT TO addresses of this run, in order
    size_t m_nextRecipient = 0;
    QString m_insertedTo;               // the item put in front of ListTo for this run, if any
    bool m_toTakenFromList = false;
    AttachmentSlots m_attachmentSlots;  // kept across runs until ClearAttachments
    ComposerPartCache m_partCache;      // bodies and files that the next message may send again
    QTimer m_quitBound;                 // the wait for the reply to QUIT on a kept connection
};

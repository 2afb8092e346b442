// SendMail throughput: 20,000 messages of about 2 KB, one after another on one kept-open connection, to
// postfix's smtp-sink on loopback; then smtp-source sends the same number and size over one connection to
// the same sink. Prints both rates, both CPU times per message (SendMail's own process; smtp-source as a
// reaped child) and the ratios. Run as root (smtp-sink then needs "-u nobody").

#include "transport/smtp/send_mail.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {

int g_messages = 20000;                  // a first argument overrides it (for quick runs)
constexpr int kMessageBytes = 2048;

// CPU seconds, user and system, of this process or of its reaped children.
double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// A body of about kMessageBytes in lines of 72 characters, as a newsletter's text would be.
QStringList bodyLines()
{
    QStringList lines;
    qsizetype size = 0;
    for (int i = 0; size < kMessageBytes - 300; ++i) {
        QString line = QStringLiteral("Line %1 of the benchmark message, ").arg(i, 3, 10, QChar('0'));
        line += QString(72 - line.size(), QChar('x'));
        size += line.size() + 2;
        lines << line;
    }
    return lines;
}

bool startSink(QProcess& sink, quint16 port)
{
    sink.setProcessChannelMode(QProcess::ForwardedChannels);
    sink.start("smtp-sink", {"-u", "nobody", QStringLiteral("127.0.0.1:%1").arg(port), "100"});
    if (!sink.waitForStarted(5000))
        return false;
    for (int attempt = 0; attempt < 100; ++attempt) {     // wait until it listens
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(100))
            return true;
        QThread::msleep(20);
    }
    return false;
}

// Sends g_messages with SendMail; returns the seconds taken, or a negative value on failure.
double runSendMail(quint16 port)
{
    SendMail mail;
    mail.setSMTP_Server("127.0.0.1");
    mail.SMTP_Port = port;
    mail.KeepConnectionOpen = true;
    mail.TimeoutConnect = 10;
    mail.FROM_Address = "bench@example.test";
    mail.FROM_Name = "\"Bench\"";
    mail.Subject = "Benchmark message";
    mail.Content_Type = "text/plain";
    mail.Charset = "us-ascii";
    mail.MailText = bodyLines();

    int sent = 0;
    bool failed = false;
    QElapsedTimer elapsed;
    const auto next = [&] {
        if (sent == g_messages || failed) {
            QCoreApplication::exit();
            return;
        }
        mail.TO_Address = QStringLiteral("reader%1@example.test").arg(sent);
        mail.setAction(TMailAction::Send_Mail);
    };
    QObject::connect(&mail, &SendMail::OnMailError, [&](int code, const QString& text) {
        std::fprintf(stderr, "SendMail error %d: %s\n", code, qPrintable(text));
        failed = true;
        mail.setAction(TMailAction::Cancel_SendMail);
    });
    QObject::connect(&mail, &SendMail::OnDone, [&] {
        sent += mail.MessageAccepted();
        next();
    });
    elapsed.start();
    QTimer::singleShot(0, next);
    QCoreApplication::exec();
    return failed ? -1 : elapsed.nsecsElapsed() / 1e9;
}

double runSmtpSource(quint16 port)
{
    QProcess source;
    source.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer elapsed;
    elapsed.start();
    source.start("smtp-source", {"-d", "-s", "1", "-m", QString::number(g_messages), "-l",
                                 QString::number(kMessageBytes), QStringLiteral("127.0.0.1:%1").arg(port)});
    if (!source.waitForFinished(600000) || source.exitCode() != 0)
        return -1;
    return elapsed.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1)
        g_messages = std::max(1, std::atoi(argv[1]));
    const quint16 port = freePort();
    QProcess sink;
    if (!startSink(sink, port)) {
        std::fprintf(stderr, "smtp-sink does not start (postfix installed? run as root)\n");
        return 1;
    }
    const double selfBefore = cpuSeconds(RUSAGE_SELF);
    const double sendMailSeconds = runSendMail(port);
    const double sendMailCpu = cpuSeconds(RUSAGE_SELF) - selfBefore;
    const double childrenBefore = cpuSeconds(RUSAGE_CHILDREN);   // smtp-sink is not reaped yet
    const double sourceSeconds = runSmtpSource(port);
    const double sourceCpu = cpuSeconds(RUSAGE_CHILDREN) - childrenBefore;
    sink.kill();
    sink.waitForFinished(2000);
    if (sendMailSeconds < 0 || sourceSeconds < 0) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    const double sendMailRate = g_messages / sendMailSeconds;
    const double sourceRate = g_messages / sourceSeconds;
    std::printf("SendMail (kept-open connection): %d messages of ~%d bytes in %.2f s = %.0f messages/s\n",
                g_messages, kMessageBytes, sendMailSeconds, sendMailRate);
    std::printf("smtp-source -d:                  %d messages of %d bytes in %.2f s = %.0f messages/s\n",
                g_messages, kMessageBytes, sourceSeconds, sourceRate);
    const double sendMailMicroseconds = sendMailCpu * 1e6 / g_messages;
    const double sourceMicroseconds = sourceCpu * 1e6 / g_messages;
    std::printf("CPU per message: SendMail %.0f us, smtp-source %.0f us\n", sendMailMicroseconds, sourceMicroseconds);
    std::printf("ratio SendMail / smtp-source: rate %.2f, CPU per message %.2f\n", sendMailRate / sourceRate,
                sendMailMicroseconds / sourceMicroseconds);
    return 0;
}

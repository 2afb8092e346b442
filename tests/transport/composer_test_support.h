// Helpers for composer tests: Python's view of a message (tests/transport/tools/mime_tree.py and, under
// policy strict, strict_read.py, on Debian's /usr/bin/python3, an independent MIME parser), the messages of
// an SMTP session, files in the test's home, and a TZ setting for the lifetime of a guard.
#pragma once

#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>

#include <cstdlib>
#include <ctime>
#include <string>

namespace sorvanta::test {

// The JSON one of the tools (tests/transport/tools/) prints for the bytes on its input.
inline QJsonObject pythonToolView(const char* tool, const QByteArray& input)
{
    QProcess python;
    python.start("/usr/bin/python3", {sourcePath(QStringLiteral("transport/tools/") + tool)});
    EXPECT_TRUE(python.waitForStarted());
    python.write(input);
    python.closeWriteChannel();
    EXPECT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

// The DATA stream (dot-stuffed, CR LF) as Python's email package reads it: tree, defects, leaves.
inline QJsonObject pythonMimeView(const QByteArray& stream)
{
    return pythonToolView("mime_tree.py", stream);
}

// A message as Python's email package reads it under policy strict (as an MTA would store it: no
// dot-stuffing); a defect fails the test.
inline QJsonObject pythonStrictView(const QByteArray& message)
{
    return pythonToolView("strict_read.py", message);
}

// A DATA stream (dot-stuffed, CR LF, without the "." line) as the server stores the message.
inline QByteArray unstuffedData(const QByteArray& stream)
{
    QByteArrayList lines = stream.split('\n');
    for (QByteArray& line : lines)
        if (line.startsWith('.'))
            line.remove(0, 1);
    return lines.join('\n');
}

// The messages a client sent in one SMTP session: what follows each "DATA" line up to its "." line, as
// the server stores them.
inline QList<QByteArray> messagesOfSession(const QByteArray& session)
{
    QList<QByteArray> messages;
    qsizetype position = 0;
    while ((position = session.indexOf("DATA\r\n", position)) >= 0) {
        position += 6;
        const qsizetype end = session.indexOf("\r\n.\r\n", position);
        if (end < 0)
            break;
        messages << unstuffedData(session.mid(position, end + 2 - position));
        position = end;
    }
    return messages;
}

// size bytes of every value, in an order that depends on seed.
inline QByteArray patternBytes(int size, int seed = 0)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + seed * 7 + 3) & 0xff);
    return bytes;
}

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ")) {
            m_hadOld = true;
            m_old = old;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_hadOld)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    bool m_hadOld = false;
    std::string m_old;
};

}  // namespace sorvanta::test

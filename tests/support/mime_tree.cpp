// Runs the Python MIME oracle: see mime_tree.h.

#include "tests/support/mime_tree.h"

#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace sorvanta::test {

QJsonObject pythonMimeView(const QByteArray& stream)
{
    QProcess python;
    python.start("/usr/bin/python3", {sourcePath("transport/tools/mime_tree.py")});
    EXPECT_TRUE(python.waitForStarted());
    python.write(stream);
    python.closeWriteChannel();
    EXPECT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QByteArray leafPayload(const QJsonObject& view, int index)
{
    return QByteArray::fromHex(leafField(view, index, "payload").toLatin1());
}

QString leafField(const QJsonObject& view, int index, const char* field)
{
    return view["leaves"].toArray()[index].toObject()[field].toString();
}

}  // namespace sorvanta::test

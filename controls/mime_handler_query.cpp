// Default MIME handler query: see mime_handler_query.h.

#include "controls/mime_handler_query.h"

#include "controls/desktop_entry.h"

#include <QProcess>

namespace {

constexpr int queryTimeoutMs = 5000;
constexpr qsizetype maximumAnswer = 4096;

}  // namespace

QString queryDefaultMimeHandler(const QString& mimeType)
{
    QProcess query;
    query.setProcessChannelMode(QProcess::SeparateChannels);
    query.setStandardInputFile(QProcess::nullDevice());
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(queryTimeoutMs)) {
        query.kill();
        query.waitForFinished(queryTimeoutMs);
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    // xdg-mime answers one line; a list separated by ";" starts with the preferred entry.
    const QByteArray answer = query.readAllStandardOutput().left(maximumAnswer);
    const QString id = QString::fromUtf8(answer.split('\n').first()).section(QLatin1Char(';'), 0, 0).trimmed();
    return isDesktopFileId(id) ? id : QString();
}

// Typed and pasted paths: see typed_path.h.

#include "core/dialogs/typed_path.h"

#include <QDir>
#include <QUrl>

namespace {

QString withoutQuotes(const QString& text)
{
    const QString trimmed = text.trimmed();
    for (const QChar quote : {QLatin1Char('"'), QLatin1Char('\'')}) {
        if (trimmed.size() >= 2 && trimmed.startsWith(quote) && trimmed.endsWith(quote))
            return trimmed.mid(1, trimmed.size() - 2);
    }
    return trimmed;
}

}  // namespace

QString typedPath(const QString& text, const QString& folder)
{
    QString path = withoutQuotes(text);
    if (path.startsWith(QLatin1String("file://"), Qt::CaseInsensitive))
        path = QUrl(path).toLocalFile();
    else if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    if (path.isEmpty())
        return {};
    return QDir::cleanPath(QDir(folder).absoluteFilePath(path));
}

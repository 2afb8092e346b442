// EmbedHtmlImages: local pictures of an HTML body become related parts with content ids (html_images.h).

#include "core/sending/html_images.h"

#include "core/base/text_helpers.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QUrl>

namespace {

enum class AttributeKind { ImageSource, Background };

// Where an attribute's value lies in the text.
struct ValueSpan {
    qsizetype start = 0;
    qsizetype length = 0;
};

// Lower case one character at a time, so every position in the copy matches the original.
QString lowerCopy(const QString& text)
{
    QString lower = text;
    for (QChar& c : lower)
        c = c.toLower();
    return lower;
}

// The value after "name=" at position: quoted, or cut at the first blank, ",", ">", "<" or ";".
ValueSpan valueAt(const QString& text, qsizetype position)
{
    while (position < text.size() && text[position] == u' ')
        ++position;
    if (position < text.size() && text[position] == u'"') {
        const qsizetype end = text.indexOf(u'"', position + 1);
        return {position + 1, (end < 0 ? text.size() : end) - position - 1};
    }
    qsizetype end = position;
    while (end < text.size() && !QStringView(u" ,><;").contains(text[end]))
        ++end;
    return {position, end - position};
}

QString relativeFolder(const HtmlImageContext& context)
{
    if (!context.baseUrl.isEmpty() && QFileInfo(context.baseUrl).isDir())
        return context.baseUrl;
    return context.projectFolder;
}

// The file an attribute value names, or an empty text for an address that is not a local file.
QString fileForValue(QString value, AttributeKind kind, const HtmlImageContext& context)
{
    if (value.contains(QStringLiteral("://"))) {
        if (!value.startsWith(QStringLiteral("file:///"), Qt::CaseInsensitive))
            return {};
        return QUrl(value).toLocalFile();
    }
    // A background value may start with a separator of the old platform before a relative name.
    if (kind == AttributeKind::Background && value.startsWith(u'\\'))
        value.remove(0, 1);
    const bool absolute = value.startsWith(u'/') || value.startsWith(u'\\') || (value.size() > 1 && value[1] == u':');
    const bool inProject = !context.projectFolder.isEmpty()
                           && value.toLower().startsWith(context.projectFolder.toLower());
    if (absolute || inProject || value.size() < 3)
        return value;
    // Bodies written on the old platform name sub-folders with "\".
    return JoinPath(relativeFolder(context), value, u'/');
}

QString randomHexRun()
{
    QString run;
    for (int i = 0; i < 4; ++i)
        run += QString::number(QRandomGenerator::global()->bounded(255), 16).toUpper();
    return run;
}

QString contentId(int number, const HtmlImageContext& context)
{
    QString id = QStringLiteral("part%1.").arg(number) + randomHexRun() + u'.' + randomHexRun();
    if (!context.mailDomain.trimmed().isEmpty())
        id += u'@' + context.mailDomain.mid(context.mailDomain.indexOf(u'.') + 1);
    return id;
}

class ImageEmbedder {
public:
    ImageEmbedder(QString& html, QStringList& files, QStringList& ids, const HtmlImageContext& context)
        : m_html(html), m_lower(lowerCopy(html)), m_files(files), m_ids(ids), m_context(context)
    {
        m_files.clear();
        m_ids.clear();
    }

    void embedImageTags()
    {
        qsizetype position = 0;
        while ((position = m_lower.indexOf(QStringLiteral("<img"), position)) >= 0) {
            const qsizetype tagEnd = m_lower.indexOf(u'>', position);
            if (tagEnd < 0)
                return;
            const qsizetype source = m_lower.indexOf(QStringLiteral("src="), position);
            qsizetype next = tagEnd + 1;
            if (source >= 0 && source < tagEnd)
                next += embed(valueAt(m_html, source + 4), AttributeKind::ImageSource);
            position = next;
        }
    }

    void embedBackgrounds()
    {
        const QString attribute = QStringLiteral("background=");
        qsizetype position = 0;
        while ((position = m_lower.indexOf(attribute, position)) >= 0) {
            const ValueSpan span = valueAt(m_html, position + attribute.size());
            position = span.start + span.length + embed(span, AttributeKind::Background);
        }
    }

private:
    // Replaces the value by a content id when it names an existing file; answers the change of length.
    qsizetype embed(ValueSpan span, AttributeKind kind)
    {
        const QString file = fileForValue(m_html.mid(span.start, span.length), kind, m_context);
        if (file.isEmpty() || !QFileInfo(file).isFile())
            return 0;
        const QString id = contentId(int(m_files.size()) + 1, m_context);
        m_files << file;
        m_ids << id;
        const QString reference = QStringLiteral("cid:") + id;
        m_html.replace(span.start, span.length, reference);
        m_lower.replace(span.start, span.length, lowerCopy(reference));
        return reference.size() - span.length;
    }

    QString& m_html;
    QString m_lower;
    QStringList& m_files;
    QStringList& m_ids;
    const HtmlImageContext& m_context;
};

}  // namespace

void EmbedHtmlImages(QString& html, QStringList& files, QStringList& ids, const HtmlImageContext& context)
{
    ImageEmbedder embedder(html, files, ids, context);
    embedder.embedImageTags();
    embedder.embedBackgrounds();
}

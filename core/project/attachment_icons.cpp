// Attachment icons: see attachment_icons.h.

#include "core/project/attachment_icons.h"

#include <QApplication>
#include <QStyle>

#include <array>

AttachmentIconKind attachmentIconKind(const QString& contentType)
{
    const QString major = contentType.section(QLatin1Char('/'), 0, 0).toLower();
    if (major == QLatin1String("image"))
        return AttachmentIconKind::Image;
    if (major == QLatin1String("audio"))
        return AttachmentIconKind::Audio;
    if (major == QLatin1String("video"))
        return AttachmentIconKind::Video;
    if (major == QLatin1String("message"))
        return AttachmentIconKind::Message;
    if (major == QLatin1String("application"))
        return AttachmentIconKind::Application;
    return AttachmentIconKind::Default;   // "text" too
}

namespace {

QIcon makeAttachmentIcon(AttachmentIconKind kind)
{
    const QIcon fallback = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    switch (kind) {
    case AttachmentIconKind::Image: return QIcon::fromTheme(QStringLiteral("image-x-generic"), fallback);
    case AttachmentIconKind::Audio: return QIcon::fromTheme(QStringLiteral("audio-x-generic"), fallback);
    case AttachmentIconKind::Video: return QIcon::fromTheme(QStringLiteral("video-x-generic"), fallback);
    case AttachmentIconKind::Message: return QIcon::fromTheme(QStringLiteral("mail-message"), fallback);
    case AttachmentIconKind::Application:
        return QIcon::fromTheme(QStringLiteral("application-x-executable"), fallback);
    case AttachmentIconKind::Default: return QIcon::fromTheme(QStringLiteral("text-x-generic"), fallback);
    }
    Q_UNREACHABLE();
}

}  // namespace

QIcon attachmentIcon(const QString& contentType)
{
    // One icon per kind, shared by every item (a QIcon copy shares its data): an icon made per attachment
    // costs tens of kilobytes each. The icons go with the application object.
    static std::array<QIcon, kAttachmentIconKinds> icons;
    static const QMetaObject::Connection releaseWithApplication =
        QObject::connect(qApp, &QObject::destroyed, [] { icons = {}; });
    Q_UNUSED(releaseWithApplication);
    const AttachmentIconKind kind = attachmentIconKind(contentType);
    QIcon& icon = icons[std::size_t(kind)];
    if (icon.isNull())
        icon = makeAttachmentIcon(kind);
    return icon;
}

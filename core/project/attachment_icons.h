// The icon of an attachment by the major part of its MIME type ("image/gif" -> image): image, audio, video,
// message and application have their own; text and every other or empty type share the default one. The
// chooser and the project editor draw it at the item's left. Icons come from the desktop's icon theme, with
// the style's file icon where the theme has none. Every attachment of a kind shares one icon.
#pragma once

#include <QIcon>
#include <QString>

enum class AttachmentIconKind { Default, Image, Audio, Video, Message, Application };
constexpr int kAttachmentIconKinds = 6;

AttachmentIconKind attachmentIconKind(const QString& contentType);
QIcon attachmentIcon(const QString& contentType);

// The picture dialog's preview pane: see picture_preview_pane.h.

#include "core/editor/picture_preview_pane.h"

#include "core/editor/picture_preview.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

PicturePreviewPane::PicturePreviewPane(QWidget* parent)
    : QWidget(parent), m_picture(new QLabel(this)), m_caption(new QLabel(this))
{
    setObjectName(QStringLiteral("pictPreview"));
    m_picture->setObjectName(QStringLiteral("pictImage"));
    m_caption->setObjectName(QStringLiteral("pictSize"));
    m_picture->setFixedSize(BoxSide, BoxSide);
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setFrameShape(QFrame::StyledPanel);
    m_caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_caption->setWordWrap(true);
    m_caption->setFixedWidth(BoxSide);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_picture);
    layout->addWidget(m_caption, 1);
}

void PicturePreviewPane::showFile(const QString& path)
{
    const int inside = BoxSide - 2 * m_picture->frameWidth();
    const PicturePreview preview = PreviewPicture(path, QSize(inside, inside));
    m_picture->setPixmap(preview.image.isNull() ? QPixmap() : QPixmap::fromImage(preview.image));
    m_caption->setText(preview.text);
}

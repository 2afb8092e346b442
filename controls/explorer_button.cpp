// TExplorerButton: see explorer_button.h. Placement, glyph choice and shading are window-free functions;
// this file holds the events and the painting.

#include "controls/explorer_button.h"

#include "controls/explorer_button_layout.h"

#include <QCursor>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>

namespace {

constexpr int defaultWidth = 50;
constexpr int defaultHeight = 40;
constexpr int contentMargin = 8;   // room around glyph and caption in the size hint

}  // namespace

TExplorerButton::TExplorerButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    resize(defaultWidth, defaultHeight);
}

void TExplorerButton::setCaption(const QString& caption)
{
    setText(caption);  // also makes the "&" letter the accelerator
    updateGeometry();
}

void TExplorerButton::setBitmap(const QImage& bitmap)
{
    m_bitmap = bitmap;
    makeGreyGlyph();
    updateGeometry();
    update();
}

void TExplorerButton::setDisabledBitmap(const QImage& bitmap)
{
    m_disabledBitmap = bitmap;
    update();
}

void TExplorerButton::setNoFocusBitmap(const QImage& bitmap)
{
    m_noFocusBitmap = bitmap;
    update();
}

void TExplorerButton::setOptions(TExplorerButtonOptions options)
{
    if (options == m_options)
        return;
    m_options = options;
    update();
}

void TExplorerButton::setShadingType(TExplorerButtonShadingType type)
{
    if (type == m_shadingType)
        return;
    m_shadingType = type;
    makeGreyGlyph();
    update();
}

ExplorerButtonLook TExplorerButton::look() const
{
    ExplorerButtonState state;
    state.enabled = isEnabled();
    state.pressed = isDown();
    state.hot = m_hot;
    state.options = m_options;
    state.hasNoFocusBitmap = !m_noFocusBitmap.isNull();
    state.hasDisabledBitmap = !m_disabledBitmap.isNull();
    return explorerButtonLook(state);
}

QSize TExplorerButton::sizeHint() const
{
    const QSize caption = text().isEmpty() ? QSize() : QFontMetrics(font()).size(explorerCaptionFlags, text());
    const int gap = caption.isEmpty() || m_bitmap.isNull() ? 0 : 2;
    const int width = std::max(caption.width(), m_bitmap.width()) + contentMargin;
    const int height = caption.height() + gap + m_bitmap.height() + contentMargin;
    return {std::max(width, defaultWidth), std::max(height, defaultHeight)};
}

QSize TExplorerButton::minimumSizeHint() const
{
    return {m_bitmap.width() + contentMargin, m_bitmap.height() + contentMargin};
}

// ---- events ----

bool TExplorerButton::event(QEvent* event)
{
    // The accelerator presses and releases the button as a click of the left button would, so the
    // pressed look shows while it is handled.
    if (event->type() == QEvent::Shortcut && isEnabled() && isVisible())
        setHot(true);
    return QAbstractButton::event(event);
}

void TExplorerButton::timerEvent(QTimerEvent* event)
{
    // The base class ends an accelerator's click here; the handler may close the window.
    const QPointer<TExplorerButton> guard(this);
    QAbstractButton::timerEvent(event);
    if (guard && !isDown())
        updateHotFromCursor();
}

void TExplorerButton::enterEvent(QEnterEvent* event)
{
    setHot(true);
    QAbstractButton::enterEvent(event);
}

void TExplorerButton::leaveEvent(QEvent* event)
{
    setHot(false);
    QAbstractButton::leaveEvent(event);
}

void TExplorerButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (!window()->isActiveWindow())
            window()->activateWindow();
        setHot(true);
    }
    QAbstractButton::mousePressEvent(event);  // presses; a release inside then clicks, outside does not
}

void TExplorerButton::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointer<TExplorerButton> guard(this);
    const bool inside = rect().contains(event->position().toPoint());
    QAbstractButton::mouseReleaseEvent(event);  // the click handler may close the window
    if (guard && event->button() == Qt::LeftButton)
        setHot(inside);
}

void TExplorerButton::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::EnabledChange:
        setHot(false);
        break;
    case QEvent::PaletteChange:
        makeGreyGlyph();
        break;
    case QEvent::FontChange:
        updateGeometry();
        break;
    default:
        break;
    }
    QAbstractButton::changeEvent(event);
}

void TExplorerButton::setHot(bool hot)
{
    if (hot == m_hot)
        return;
    m_hot = hot;
    update();
}

void TExplorerButton::updateHotFromCursor()
{
    setHot(isVisible() && rect().contains(mapFromGlobal(QCursor::pos())));
}

// ---- pictures and painting ----

void TExplorerButton::makeGreyGlyph()
{
    m_iBitmap = shadedGlyph(m_bitmap, m_shadingType, palette().color(QPalette::Light),
                            palette().color(QPalette::Dark));
}

QImage TExplorerButton::glyphFor(ExplorerGlyph glyph) const
{
    switch (glyph) {
    case ExplorerGlyph::Bitmap:
        return transparentGlyph(m_bitmap);
    case ExplorerGlyph::NoFocusBitmap:
        return transparentGlyph(m_noFocusBitmap);
    case ExplorerGlyph::IBitmap:
        return m_iBitmap;
    case ExplorerGlyph::DisabledBitmap:
        return transparentGlyph(m_disabledBitmap);
    case ExplorerGlyph::EmbossedBitmap:
        return embossedGlyph(m_bitmap, palette().color(QPalette::Light), palette().color(QPalette::Dark));
    }
    Q_UNREACHABLE();
}

void TExplorerButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const ExplorerButtonLook shown = look();
    const QString caption = fittedCaption(text(), font(), width());
    const QSize captionSize = caption.isEmpty() ? QSize() : QFontMetrics(font()).size(explorerCaptionFlags, caption);
    const ExplorerButtonRects rects = explorerButtonRects(size(), captionSize, m_bitmap.size());
    const QPoint offset(shown.contentOffset, shown.contentOffset);

    paintBevel(painter, shown.bevel);
    if (!rects.glyph.isEmpty())
        painter.drawImage(rects.glyph.topLeft() + offset, glyphFor(shown.glyph));
    if (!rects.caption.isEmpty())
        paintCaption(painter, rects.caption.translated(offset), caption, shown.disabledCaption);
}

// A one-pixel frame: bottom-left up to top-left and on to top-right in the first colour, then down to
// bottom-right and back to bottom-left in the second. Raised while hot, sunken while pressed.
void TExplorerButton::paintBevel(QPainter& painter, ExplorerBevel bevel) const
{
    if (bevel == ExplorerBevel::None)
        return;
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    const bool raised = bevel == ExplorerBevel::Hover;
    const int right = width() - 1;
    const int bottom = height() - 1;
    // Each run leaves out its last pixel, as a line of the old platform does: the top-right corner takes
    // the second colour and the bottom-left corner keeps the first.
    painter.setPen(raised ? light : dark);
    painter.drawPolyline(QPolygon({QPoint(0, bottom), QPoint(0, 0), QPoint(right - 1, 0)}));
    painter.setPen(raised ? dark : light);
    painter.drawPolyline(QPolygon({QPoint(right, 0), QPoint(right, bottom), QPoint(1, bottom)}));
}

void TExplorerButton::paintCaption(QPainter& painter, const QRect& rect, const QString& caption,
                                   bool disabled) const
{
    const int flags = explorerCaptionFlags | Qt::AlignHCenter | Qt::AlignTop;
    painter.setFont(font());
    if (disabled) {
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(rect.translated(1, 1), flags, caption);
        painter.setPen(palette().color(QPalette::Dark));
    } else {
        painter.setPen(palette().color(QPalette::WindowText));
    }
    painter.drawText(rect, flags, caption);
}

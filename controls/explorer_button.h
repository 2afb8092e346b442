// TExplorerButton: a flat button that paints its glyph above its caption, shows a bevel only while the
// pointer is over it or it is pressed, and shows its glyph in grey while the pointer is away. It clicks on a
// release inside it and on its caption's accelerator (Alt and the "&" letter); it takes no keyboard focus.
// Grouping, drop-down menus, other layouts and word wrap are not offered: no window of the program uses them.
#pragma once

#include "controls/explorer_button_look.h"
#include "controls/glyph_shading.h"

#include <QAbstractButton>
#include <QImage>

class TExplorerButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit TExplorerButton(QWidget* parent = nullptr);

    // The caption, "&" marking the accelerator and "&&" showing one "&" (the button's text).
    QString Caption() const { return text(); }
    void setCaption(const QString& caption);

    // Glyphs; the colour of each picture's top-left pixel is transparent. Bitmap also gives the size of the
    // glyph's place. A null image removes the picture.
    QImage Bitmap() const { return m_bitmap; }
    void setBitmap(const QImage& bitmap);
    QImage DisabledBitmap() const { return m_disabledBitmap; }
    void setDisabledBitmap(const QImage& bitmap);
    QImage NoFocusBitmap() const { return m_noFocusBitmap; }
    void setNoFocusBitmap(const QImage& bitmap);
    // The grey glyph, shaded from Bitmap by ShadingType in the palette's Light and Dark colours.
    QImage IBitmap() const { return m_iBitmap; }

    TExplorerButtonOptions Options() const { return m_options; }
    void setOptions(TExplorerButtonOptions options);
    TExplorerButtonShadingType ShadingType() const { return m_shadingType; }
    void setShadingType(TExplorerButtonShadingType type);

    // The pointer is over the button (or its accelerator is being handled).
    bool isHot() const { return m_hot; }
    // The look the button paints now.
    ExplorerButtonLook look() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setHot(bool hot);
    void updateHotFromCursor();
    void makeGreyGlyph();
    QImage glyphFor(ExplorerGlyph glyph) const;
    void paintBevel(QPainter& painter, ExplorerBevel bevel) const;
    void paintCaption(QPainter& painter, const QRect& rect, const QString& caption, bool disabled) const;

    QImage m_bitmap;
    QImage m_disabledBitmap;
    QImage m_noFocusBitmap;
    QImage m_iBitmap;
    TExplorerButtonOptions m_options = boMonoDisplay | boShowBevel;
    TExplorerButtonShadingType m_shadingType = stMedium;
    bool m_hot = false;
};

// The explorer button as a widget: clicks, the accelerator, and what it paints on the offscreen platform
// while the pointer is over it, away from it, pressed and disabled.

#include "controls/explorer_button.h"

#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

namespace {

using sorvanta::test::waitUntil;

const QColor background(200, 200, 200);
const QColor light(0, 220, 0);
const QColor dark(0, 0, 180);
const QColor red(255, 0, 0);       // 255: the highlight class under stMedium, the shadow class under stDark
const QColor yellow(250, 250, 0);

// A 12 x 12 glyph: a white key colour around an 8 x 8 red square.
QImage redSquare(QColor colour = red)
{
    QImage image(12, 12, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 2; y < 10; ++y)
        for (int x = 2; x < 10; ++x)
            image.setPixel(x, y, colour.rgb());
    return image;
}

class ExplorerButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QPalette palette;
        palette.setColor(QPalette::Window, background);
        palette.setColor(QPalette::Light, light);
        palette.setColor(QPalette::Dark, dark);
        palette.setColor(QPalette::WindowText, Qt::black);
        window.setPalette(palette);
        window.resize(200, 120);
        button = new TExplorerButton(&window);
        button->move(20, 20);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void hover(bool over)
    {
        if (over) {
            QEnterEvent enter(QPointF(5, 5), QPointF(25, 25), QPointF(25, 25));
            QApplication::sendEvent(button, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(button, &leave);
        }
    }

    QImage grab() const { return button->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // The middle of the glyph in a button of 50 x 40 without a caption: the glyph lies at (19, 14).
    static constexpr QPoint glyphMiddle{25, 20};

    QWidget window;
    TExplorerButton* button = nullptr;
};

TEST_F(ExplorerButtonTest, DefaultsSuitEveryCloseButton)
{
    EXPECT_EQ(button->size(), QSize(50, 40));
    EXPECT_EQ(button->Options(), boMonoDisplay | boShowBevel);
    EXPECT_EQ(button->ShadingType(), stMedium);
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
}

TEST_F(ExplorerButtonTest, ClicksOnlyOnAReleaseInsideAnEnabledButton)
{
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(button->isHot());

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10), 300);
    EXPECT_TRUE(button->isDown());
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(120, 10));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(button->isDown());
    EXPECT_FALSE(button->isHot());

    button->setEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10), 300);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(button->isHot());
}

TEST_F(ExplorerButtonTest, AcceleratorClicksOnceAndDoubledAmpersandIsNoAccelerator)
{
    button->setCaption("Save && &Exit");
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
    sorvanta::test::pumpEvents(150);
    EXPECT_EQ(clicks.count(), 0);

    QTest::keyClick(&window, Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(waitUntil([&] { return clicks.count() == 1; }));
    sorvanta::test::pumpEvents(150);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(button->isDown());

    button->setEnabled(false);
    QTest::keyClick(&window, Qt::Key_E, Qt::AltModifier);
    sorvanta::test::pumpEvents(150);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(ExplorerButtonTest, GreyGlyphIsShadedFromBitmapInThePalettesColours)
{
    button->setBitmap(redSquare());
    EXPECT_EQ(button->IBitmap(), shadedGlyph(redSquare(), stMedium, light, dark));
    EXPECT_EQ(button->IBitmap().pixelColor(5, 5), light);
    button->setShadingType(stDark);
    EXPECT_EQ(button->IBitmap().pixelColor(5, 5), dark);
}

TEST_F(ExplorerButtonTest, BevelAndColouredGlyphOnlyWhileHot)
{
    button->setBitmap(redSquare());

    QImage away = grab();
    EXPECT_EQ(away.pixelColor(glyphMiddle), light) << "the grey glyph while the pointer is away";
    EXPECT_EQ(away.pixelColor(0, 0), background);
    EXPECT_EQ(away.pixelColor(49, 39), background);
    EXPECT_EQ(away.pixelColor(19, 14), background) << "the key colour is transparent";

    hover(true);
    const QImage hot = grab();
    EXPECT_EQ(hot.pixelColor(glyphMiddle), red);
    for (const QPoint lit : {QPoint(0, 20), QPoint(25, 0), QPoint(0, 0), QPoint(0, 39)})
        EXPECT_EQ(hot.pixelColor(lit), light) << "raised: light on the left and top, at " << lit.x() << "," << lit.y();
    for (const QPoint shaded : {QPoint(49, 20), QPoint(25, 39), QPoint(49, 39), QPoint(49, 0)})
        EXPECT_EQ(hot.pixelColor(shaded), dark) << "raised: dark on the right and bottom, at " << shaded.x() << ","
                                                << shaded.y();
    EXPECT_EQ(hot.pixelColor(1, 1), background) << "a one-pixel frame";
    EXPECT_EQ(hot.pixelColor(19, 14), background);

    hover(false);
    away = grab();
    EXPECT_EQ(away.pixelColor(glyphMiddle), light);
    EXPECT_EQ(away.pixelColor(0, 0), background);
}

TEST_F(ExplorerButtonTest, PressedBevelIsSunkenAndPushesTheGlyphIn)
{
    button->setBitmap(redSquare());
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    const QImage pressed = grab();
    EXPECT_EQ(pressed.pixelColor(0, 20), dark);
    EXPECT_EQ(pressed.pixelColor(25, 0), dark);
    EXPECT_EQ(pressed.pixelColor(49, 20), light);
    EXPECT_EQ(pressed.pixelColor(25, 39), light);
    EXPECT_EQ(pressed.pixelColor(22, 17), red) << "the glyph's first red pixel moved one right and down";
    EXPECT_EQ(pressed.pixelColor(21, 16), background);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
}

TEST_F(ExplorerButtonTest, WithoutMonoDisplayOrWithNoFocusBitmapTheGreyGlyphIsNotShown)
{
    button->setBitmap(redSquare());
    button->setNoFocusBitmap(redSquare(yellow));
    EXPECT_EQ(grab().pixelColor(glyphMiddle), yellow);

    button->setOptions(boShowBevel);  // the About box's button, in colour at all times
    button->setShadingType(stDark);
    EXPECT_EQ(grab().pixelColor(glyphMiddle), red);
    EXPECT_EQ(grab().pixelColor(0, 0), background);

    button->setOptions(boMonoDisplay);  // no bevel even while hot
    hover(true);
    EXPECT_EQ(grab().pixelColor(0, 0), background);
    EXPECT_EQ(grab().pixelColor(glyphMiddle), red);
}

TEST_F(ExplorerButtonTest, DisabledLookIsEmbossedOrTheDisabledBitmap)
{
    button->setBitmap(redSquare());
    hover(true);
    button->setEnabled(false);
    EXPECT_FALSE(button->isHot());
    QImage disabled = grab();
    EXPECT_EQ(disabled.pixelColor(glyphMiddle), dark);
    EXPECT_EQ(disabled.pixelColor(21, 16), dark);
    EXPECT_EQ(disabled.pixelColor(29, 24), light) << "the highlight shows one pixel right and down";
    EXPECT_EQ(disabled.pixelColor(0, 0), background);

    button->setDisabledBitmap(redSquare(yellow));
    EXPECT_EQ(grab().pixelColor(glyphMiddle), yellow);
}

TEST_F(ExplorerButtonTest, CaptionIsDrawnBelowTheGlyphAndOddBitmapsAreHarmless)
{
    button->setCaption("&Close");
    button->setBitmap(QImage());
    const QImage captionOnly = grab();
    bool inked = false;
    for (int y = 0; y < 40 && !inked; ++y)
        for (int x = 0; x < 50 && !inked; ++x)
            inked = captionOnly.pixelColor(x, y) == QColor(Qt::black);
    EXPECT_TRUE(inked);

    QImage single(1, 1, QImage::Format_RGB32);
    single.fill(Qt::blue);
    button->setBitmap(single);
    EXPECT_FALSE(grab().isNull());
    button->setBitmap(QImage(4000, 3, QImage::Format_Mono));
    hover(true);
    EXPECT_FALSE(grab().isNull());
    EXPECT_GE(button->sizeHint().width(), 50);
}

}  // namespace

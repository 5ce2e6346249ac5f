// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ArrowStatic.h"
#include "ui/LampStatic.h"
#include "res/Resources.h"

#include <QEvent>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor kRed(255, 0, 0), kDarkRed(128, 0, 0), kGreen(0, 255, 0), kGrey(128, 128, 128);
const QColor kRim(192, 192, 192), kMagenta(255, 0, 255);

QColor PixelAt(QWidget& widget, int x, int y)
{
    return widget.grab().toImage().pixelColor(x, y);
}

bool ContainsColour(const QImage& image, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The lamp's background as it lands on the screen (8 bits per channel).
QColor Background(const QWidget& lamp)
{
    return QColor(lamp.palette().color(QPalette::Midlight).rgb());
}

template <class Control>
void ShowAndSettle(Control& control)
{
    control.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
}

} // namespace

TEST(Resources, BitmapsHaveTheirGridSizesAndIconLoads)
{
    const QSize sizes[][2] = {{{139, 0}, {48, 128}}, {{140, 0}, {16, 16}}, {{143, 0}, {32, 21}}, {{144, 0}, {112, 21}}};
    for (const auto& [id, size] : sizes)
        EXPECT_EQ(LoadBitmapResource(id.width()).size(), size) << id.width();
    EXPECT_TRUE(LoadBitmapResource(141).isNull());

    const QImage sheet = LoadBitmapResource(139);
    EXPECT_EQ(sheet.pixelColor(0, 0), kMagenta) << "the sheet's key colour";
    EXPECT_EQ(sheet.pixelColor(2 * 16 + 8, 7 * 16 + 8), kGrey) << "grey blue square";
    EXPECT_EQ(LoadBitmapResource(144).pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(LoadIconResource(128).availableSizes(), QList<QSize>({{32, 32}, {48, 48}, {128, 128}, {256, 256}}));
    EXPECT_TRUE(LoadIconResource(129).isNull());
}

TEST(LampStatic, EachStateShowsItsCellWithMagentaTransparent)
{
    CLampStatic lamp;
    lamp.resize(16, 16);
    ShowAndSettle(lamp);
    const QColor background = Background(lamp);

    EXPECT_EQ(PixelAt(lamp, 8, 8), kRed) << "a new lamp shows lit red";

    struct { int top, column; QColor centre; } states[] = {
        {0, 2, kGrey}, {0, 0, kRed}, {0, 1, kDarkRed}, {16, 0, kGreen}, {16, 1, QColor(0, 128, 0)},
    };
    for (const auto& state : states) {
        lamp.SetLamp(state.top, state.column, 0);
        const QImage image = lamp.grab().toImage();
        EXPECT_EQ(image.pixelColor(8, 8), state.centre) << state.top << "," << state.column;
        EXPECT_EQ(image.pixelColor(8, 1), kRim) << "rim at the top of the lamp";
        EXPECT_EQ(image.pixelColor(0, 0), background) << "corner outside the lamp is transparent";
        EXPECT_FALSE(ContainsColour(image, kMagenta));
    }

    lamp.SetLamp(0, 0, 16);  // the shift moves down the sheet like the top does
    EXPECT_EQ(PixelAt(lamp, 8, 8), kGreen);
}

TEST(LampStatic, LargerControlCentresTheCellSmallerOneClipsAtTheCorner)
{
    CLampStatic large;
    large.resize(30, 21);
    ShowAndSettle(large);
    large.SetLamp(64, 0, 0);  // red square: rim at 2..13, colour at 3..12 of the cell
    const QImage image = large.grab().toImage();
    const int left = (30 - 16) / 2, top = (21 - 16) / 2;
    EXPECT_EQ(image.pixelColor(left + 3, top + 3), kRed);
    EXPECT_EQ(image.pixelColor(left + 12, top + 12), kRed);
    EXPECT_EQ(image.pixelColor(left + 2, top + 2), kRim);
    EXPECT_EQ(image.pixelColor(left + 1, top + 1), Background(large));

    CLampStatic small;
    small.resize(10, 20);  // too narrow: the cell sits at the origin
    ShowAndSettle(small);
    small.SetLamp(64, 0, 0);
    EXPECT_EQ(PixelAt(small, 3, 3), kRed);
    EXPECT_EQ(PixelAt(small, 2, 2), kRim);
}

TEST(LampStatic, EverySetLampDrawsAtOnceAndPaintsRepeatTheLastState)
{
    CLampStatic lamp;
    lamp.resize(16, 16);
    ShowAndSettle(lamp);
    PaintCounter counter(&lamp);

    lamp.SetLamp(0, 1, 0);
    EXPECT_EQ(counter.paints, 1) << "drawn before any event processing";
    lamp.SetLamp(0, 1, 0);
    EXPECT_EQ(counter.paints, 2) << "the same state is drawn again";
    EXPECT_EQ(lamp.DrawCount(), 2);
    EXPECT_EQ(lamp.GetColumn(), 1);

    lamp.hide();
    lamp.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&lamp));
    lamp.update();
    QCoreApplication::processEvents();
    EXPECT_EQ(lamp.DrawCount(), 2) << "exposure paints are not counted as draws";
    EXPECT_EQ(PixelAt(lamp, 8, 8), kDarkRed) << "re-exposed lamp keeps its last state";
}

TEST(ArrowStatic, FramesShowTheirArrowOrBlack)
{
    CArrowStatic arrow;
    arrow.resize(arrow.sizeHint());
    ASSERT_EQ(arrow.size(), QSize(32, 21));
    ShowAndSettle(arrow);
    PaintCounter counter(&arrow);

    // (17, 3) lies in the tip of an up arrow's head, (9, 8) in its wide end;
    // a down arrow has them mirrored at rows 17 and 12.
    struct { unsigned char frame; QColor colour; bool up; } arrows[] = {
        {1, kRed, true}, {2, kRed, false}, {5, kGreen, true}, {6, kGreen, false},
    };
    for (const auto& a : arrows) {
        arrow.SetFrame(a.frame);
        const QImage image = arrow.grab().toImage();
        const int tipRow = a.up ? 3 : 17, wideRow = a.up ? 8 : 12, otherWideRow = a.up ? 12 : 8;
        EXPECT_EQ(image.pixelColor(15, tipRow), a.colour) << int(a.frame);
        EXPECT_EQ(image.pixelColor(9, wideRow), a.colour) << int(a.frame);
        EXPECT_EQ(image.pixelColor(9, otherWideRow), QColor(Qt::black)) << int(a.frame);
        EXPECT_EQ(image.pixelColor(4, 10), QColor(Qt::black)) << "left margin";
    }

    for (unsigned char blank : {0, 3, 4, 7, 255}) {
        arrow.SetFrame(blank);
        const QImage image = arrow.grab().toImage();
        EXPECT_FALSE(ContainsColour(image, kRed) || ContainsColour(image, kGreen)) << int(blank);
        EXPECT_EQ(image.pixelColor(16, 10), QColor(Qt::black)) << int(blank);
    }
    EXPECT_EQ(arrow.DrawCount(), 9);
    EXPECT_EQ(counter.paints, 9 + 9) << "each SetFrame paints at once (plus one grab each)";
}

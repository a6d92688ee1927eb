// The painter's pixel conventions, read back from images.
#include "editor/toolkit/offscreen_painter.h"
#include "editor/toolkit/skin_image.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace quorvix;

constexpr CColor kPaper {10, 20, 30};
constexpr CColor kInk {200, 100, 50};

// Draws on a 60 × 40 image of paper colour and returns which pixels changed.
class CCanvas {
public:
    explicit CCanvas(const std::function<void(CPainter&)>& drawing, int width = 60, int height = 40)
        : m_painter(nullptr, width, height, kPaper)
    {
        m_painter.setLineColor(kInk);
        m_painter.setFillColor(kInk);
        m_painter.setTextColor(kInk);
        drawing(m_painter);
    }
    CColor at(int x, int y) const { return m_painter.image()->pixel(x, y); }
    bool inked(int x, int y) const { return at(x, y) != kPaper; }
    // The bounding box of the changed pixels.
    CRect inkBox() const
    {
        CRect box {1000, 1000, -1, -1};
        for (int y = 0; y < m_painter.height(); ++y)
            for (int x = 0; x < m_painter.width(); ++x)
                if (inked(x, y))
                    box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
        return box;
    }
    int inkCount() const
    {
        int n = 0;
        for (int y = 0; y < m_painter.height(); ++y)
            for (int x = 0; x < m_painter.width(); ++x)
                n += inked(x, y);
        return n;
    }
    COffscreenPainter& painter() { return m_painter; }

private:
    COffscreenPainter m_painter;
};

TEST(Painter, FillRectColoursOnlyTheInnerPixels)
{
    CCanvas canvas([](CPainter& p) { p.fillRect({10, 10, 20, 20}); });
    EXPECT_EQ(canvas.inkBox(), (CRect {11, 11, 19, 19}));
    EXPECT_EQ(canvas.inkCount(), 81);
    EXPECT_EQ(canvas.at(11, 11), kInk);
    EXPECT_EQ(canvas.at(19, 19), kInk);
}

TEST(Painter, DrawRectOutlinesAllFourCorners)
{
    CCanvas canvas([](CPainter& p) { p.drawRect({10, 10, 20, 20}); });
    EXPECT_EQ(canvas.inkBox(), (CRect {10, 10, 20, 20}));
    EXPECT_EQ(canvas.inkCount(), 40); // an 11 × 11 outline
    for (const CPoint corner : {CPoint {10, 10}, CPoint {20, 10}, CPoint {20, 20}, CPoint {10, 20}})
        EXPECT_EQ(canvas.at(corner.x, corner.y), kInk) << corner.x << "," << corner.y;
    EXPECT_FALSE(canvas.inked(15, 15));
}

TEST(Painter, OriginShiftsEveryCoordinate)
{
    CCanvas canvas([](CPainter& p) {
        p.setOrigin({5, 3});
        p.fillRect({10, 10, 20, 20});
    });
    EXPECT_EQ(canvas.inkBox(), (CRect {16, 14, 24, 22}));
}

// Lines cover their start pixel and not their end pixel, in every direction.
TEST(Painter, LinesStopBeforeTheirEndPixel)
{
    struct Case {
        CPoint from, to;
        CRect box;
    };
    const Case cases[] = {
        {{2, 5}, {12, 5}, {2, 5, 11, 5}},
        {{12, 5}, {2, 5}, {3, 5, 12, 5}},
        {{4, 2}, {4, 12}, {4, 2, 4, 11}},
        {{4, 12}, {4, 2}, {4, 3, 4, 12}},
    };
    for (const Case& c : cases) {
        CCanvas canvas([&](CPainter& p) {
            p.moveTo(c.from);
            p.lineTo(c.to);
        });
        EXPECT_EQ(canvas.inkBox(), c.box) << c.from.x << "," << c.from.y << " to " << c.to.x << "," << c.to.y;
        EXPECT_EQ(canvas.inkCount(), 10);
    }
}

// The bevel of a display: (left, bottom) → (left, top) → (right + 1, top) covers the top row and
// the left column up to and including the corners.
TEST(Painter, BevelLinesMeetInTheCorner)
{
    CCanvas canvas([](CPainter& p) {
        p.moveTo({10, 30});
        p.lineTo({10, 10});
        p.lineTo({41, 10});
    });
    EXPECT_EQ(canvas.inkBox(), (CRect {10, 10, 40, 30}));
    EXPECT_TRUE(canvas.inked(40, 10));
    EXPECT_TRUE(canvas.inked(10, 30));
    EXPECT_FALSE(canvas.inked(41, 10));
}

TEST(Painter, WideLinesAreCentredOnThePixels)
{
    CCanvas canvas([](CPainter& p) {
        p.setLineWidth(3);
        p.moveTo({5, 20});
        p.lineTo({25, 20});
    });
    EXPECT_EQ(canvas.inkBox(), (CRect {5, 19, 24, 21}));
}

TEST(Painter, DottedLinesAlternateFromTheStartPixel)
{
    CCanvas canvas([](CPainter& p) {
        p.setLineStyle(ELineStyle::Dotted);
        p.moveTo({10, 5});
        p.lineTo({20, 5});
    });
    for (int x = 10; x < 20; ++x)
        EXPECT_EQ(canvas.inked(x, 5), (x - 10) % 2 == 0) << x;
}

TEST(Painter, EllipseFillsTheBoxMovedByOnePixel)
{
    CCanvas canvas([](CPainter& p) { p.fillEllipse({10, 10, 30, 30}); });
    const CRect box = canvas.inkBox();
    EXPECT_EQ(box, (CRect {11, 11, 30, 30}));
    EXPECT_EQ(canvas.at(20, 20), kInk);
    EXPECT_FALSE(canvas.inked(11, 11)); // corners of the box stay outside the ellipse
}

TEST(Painter, ArcRunsCounterClockwiseInsideItsBox)
{
    // From the right end to the left end counter-clockwise is the upper half.
    CCanvas canvas([](CPainter& p) { p.drawArc({10, 10, 30, 30}, {40, 20}, {0, 20}); });
    const CRect box = canvas.inkBox();
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.right, 30);
    EXPECT_EQ(box.top, 10);
    EXPECT_LE(box.bottom, 21);
    EXPECT_TRUE(canvas.inked(20, 10));
    EXPECT_FALSE(canvas.inked(20, 30));
}

TEST(Painter, FontIdsOutsideTheTableAreBoldFontZero)
{
    auto sample = [](int id) {
        return CCanvas([id](CPainter& p) {
            p.setFont(id);
            p.drawString("Quorvix 42", {0, 0, 100, 40}, false, kAlignLeft);
        }, 100, 40);
    };
    const CCanvas zero = sample(0);
    const CCanvas nine = sample(9);
    const CCanvas regular = sample(3);
    int differences = 0, boldDifferences = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) {
            differences += zero.at(x, y) != nine.at(x, y);
            boldDifferences += zero.at(x, y) != regular.at(x, y);
        }
    EXPECT_EQ(differences, 0);
    EXPECT_GT(boldDifferences, 0); // font 0 is bold, font 3 the same size regular
    EXPECT_GT(zero.inkCount(), regular.inkCount());

    COffscreenPainter p(nullptr);
    p.setFont(9);
    EXPECT_EQ(p.fontId(), 0);
    EXPECT_EQ(p.fontSize(), 12);
    const int width0 = p.textWidth("Quorvix");
    p.setFont(3);
    EXPECT_LT(p.textWidth("Quorvix"), width0);
    p.setFont(1, 0);
    EXPECT_EQ(p.fontSize(), 18);
    p.setFont(1, 7);
    EXPECT_EQ(p.fontSize(), 7);
}

TEST(Painter, TextAlignsLeftCentreAndRightAndCentresVertically)
{
    const CRect rect {10, 4, 90, 36};
    auto box = [&](int align) {
        return CCanvas([&](CPainter& p) {
            p.setFont(3);
            p.drawString("IHI", rect, false, align);
        }, 100, 40).inkBox();
    };
    int width = 0;
    {
        COffscreenPainter p(nullptr);
        p.setFont(3);
        width = p.textWidth("IHI");
    }
    const CRect left = box(kAlignLeft), centre = box(kAlignCenter), right = box(kAlignRight);
    // "I" has a small side bearing: the ink starts at most two pixels after the pen.
    EXPECT_GE(left.left, rect.left + 1);
    EXPECT_LE(left.left, rect.left + 3);
    EXPECT_GE(right.right, rect.right - 3);
    EXPECT_LT(right.right, rect.right);
    EXPECT_NEAR((centre.left + centre.right) / 2.0, (rect.left + rect.right) / 2.0, 1.5);
    EXPECT_NEAR(right.left - left.left, rect.width() - width - 1, 0.5);
    // Capitals sit in the upper part of the line's cell; their middle is near the rectangle's.
    EXPECT_NEAR((centre.top + centre.bottom) / 2.0, (rect.top + rect.bottom) / 2.0, 2.5);
}

TEST(Painter, OpaqueTextFillsItsCellWithTheFillColour)
{
    CCanvas canvas([](CPainter& p) {
        p.setFillColor({1, 2, 3});
        p.setFont(3);
        p.drawString("aa", {0, 0, 60, 40}, true, kAlignLeft);
    });
    // Above the small letters, inside the line's cell.
    EXPECT_EQ(canvas.at(3, 15), (CColor {1, 2, 3}));
    EXPECT_EQ(canvas.at(1, 2), kPaper);
    EXPECT_EQ(canvas.at(50, 20), kPaper);
}

TEST(Painter, KeyedImagesLeaveTheKeyColourOut)
{
    // Two pixels wide: red (the key) on the left, green on the right.
    auto* image = new CSkinImage(2, 1, {0xFF0000, 0x00FF00});
    image->setKeyColor(kRed);
    CCanvas opaque([&](CPainter& p) { image->draw(p, {5, 5, 7, 6}); });
    CCanvas keyed([&](CPainter& p) { image->drawKeyed(p, {5, 5, 7, 6}); });
    EXPECT_EQ(opaque.at(5, 5), kRed);
    EXPECT_EQ(keyed.at(5, 5), kPaper);
    EXPECT_EQ(keyed.at(6, 5), kGreen);
    // The offset picks the area of the image.
    CCanvas shifted([&](CPainter& p) { image->draw(p, {5, 5, 6, 6}, {1, 0}); });
    EXPECT_EQ(shifted.at(5, 5), kGreen);
    image->release();
}

TEST(Painter, EmptyImagesDrawNothing)
{
    auto* image = new CSkinImage(0, 0);
    CCanvas canvas([&](CPainter& p) {
        image->draw(p, {0, 0, 10, 10});
        image->drawKeyed(p, {0, 0, 10, 10});
    });
    EXPECT_EQ(canvas.inkCount(), 0);
    EXPECT_TRUE(image->isEmpty());
    image->release();
}

TEST(Painter, OffscreenImagesCopyToAnotherPainter)
{
    COffscreenPainter source(nullptr, 20, 20, kBlue);
    source.setFillColor(kYellow);
    source.fillRect({-1, -1, 5, 5}); // pixels 0..4
    CCanvas canvas([&](CPainter& p) { source.copyTo(p, {30, 10, 36, 16}, {2, 2}); });
    EXPECT_EQ(canvas.at(30, 10), kYellow);
    EXPECT_EQ(canvas.at(32, 12), kYellow);
    EXPECT_EQ(canvas.at(33, 13), kBlue);
    EXPECT_FALSE(canvas.inked(36, 16));

    // Drawing into a copy leaves the original alone.
    auto* original = new CSkinImage(4, 4);
    {
        COffscreenPainter copy(source, original, true);
        copy.setFillColor(kWhite);
        copy.fillRect({-1, -1, 4, 4});
        EXPECT_EQ(copy.image()->pixel(0, 0), kWhite);
    }
    EXPECT_EQ(original->pixel(0, 0), kBlack);
    {
        COffscreenPainter into(source, original, false);
        into.setFillColor(kWhite);
        into.fillRect({-1, -1, 4, 4});
    }
    EXPECT_EQ(original->pixel(0, 0), kWhite);
    EXPECT_EQ(original->referenceCount(), 1);
    original->release();
}

TEST(Painter, ImagesAreFreedWithTheirLastReference)
{
    auto* image = new CSkinImage(3, 3);
    image->addReference();
    EXPECT_EQ(image->referenceCount(), 2);
    image->release();
    EXPECT_EQ(image->referenceCount(), 1);
    image->release(); // freed; the sanitizer build sees a leak or a double free otherwise
}

} // namespace

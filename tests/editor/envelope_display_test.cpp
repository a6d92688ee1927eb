// The envelope editor driven as a user drives it: XTest presses with modifier keys into the
// frame's window, drags whose idle polls move the pointer, typed levels and the switches.
#include "gui_fixture.h"

#include "editor/envelope_display.h"
#include "editor/skin/skin.h"
#include "editor/toolkit/skin_image.h"

#include <X11/keysym.h>

#include <cmath>

namespace qtest {
namespace {

// Where the pages put the first modulation envelope's graph.
constexpr CPoint kGraph {19, 150};
constexpr CPoint kSecondGraph {19, 247};
constexpr int kBottom = 85;

// Graph pixels of a time in sixteenths and a level in thousandths.
int xOf(int t16) { return 9 + 2 * t16; }
int yOf(int level) { return kBottom - (76 * level + 500) / 1000; }

class CEnvelopeRecorder : public CEnvelopeListener {
public:
    void envelopeEditBegin(CEnvelopeDisplay*) override { events.push_back("begin"); }
    void envelopeChanged(CEnvelopeDisplay*, const CEnvelopeShape& shape) override
    {
        events.push_back("change");
        last = shape;
    }
    void envelopeEditEnd(CEnvelopeDisplay*) override { events.push_back("end"); }
    std::vector<std::string> events;
    CEnvelopeShape last;
};

CEnvelopeShape defaultShape() { return CLoopEnvelope(EEnvelopeKind::Modulation).storedShape(); }

// The default with a point inserted at 0.75 beats, level 0.25: four points, sustain at point 1.
CEnvelopeShape fourPoints()
{
    CLoopEnvelope envelope;
    envelope.insertPoint(0.75f, 0.25f);
    return envelope.storedShape();
}

int levelOf(const CEnvelopeShape& shape, int point) { return static_cast<int>(std::lround(shape.points[size_t(point)].value * 1000)); }

class EnvelopeDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_frame = std::make_unique<CEditorFrame>(CRect {0, 0, 640, 510}, m_host.window(), &m_owner);
        m_frame->setBackground(m_skin.bitmap(ESkinBitmap::Background));
        m_display = add(kGraph, &m_recorder);
        XSync(m_host.display(), False);
        pumpFrame(*m_frame);
    }
    CEnvelopeDisplay* add(CPoint graph, CEnvelopeListener* listener)
    {
        auto* display = new CEnvelopeDisplay(graph, m_skin, listener, 1001, EEnvelopeKind::Modulation);
        m_frame->addView(display);
        m_frame->idle();
        return display;
    }
    // A window position from graph pixels.
    static CPoint at(int x, int y, CPoint graph = kGraph) { return {graph.x + x, graph.y + y}; }
    static CPoint atPoint(int t16, int level, CPoint graph = kGraph) { return at(xOf(t16), yOf(level), graph); }
    // The window position of a control at the graph's right, from its offset there.
    static CPoint right(int dx, int dy) { return {kGraph.x + CEnvelopeDisplay::kGraphWidth + dx, kGraph.y + dy}; }

    // A press with modifier keys held; a left press may drag through the steps and ends with
    // the button up.
    void press(CPoint p, int button, std::initializer_list<unsigned long> keys = {},
               std::vector<std::function<void()>> steps = {})
    {
        for (const unsigned long key : keys)
            m_input.key(key, true);
        steps.push_back([this, button] { m_input.release(button); });
        m_owner.script(std::move(steps));
        m_input.move(p);
        m_input.press(button);
        pumpFrame(*m_frame, 2);
        // No drag took the steps: the button is let go here.
        if (m_frame->buttonState() & (kLeftButton | kRightButton | kMiddleButton))
            m_input.release(button);
        m_owner.script({});
        for (const unsigned long key : keys)
            m_input.key(key, false);
        pumpFrame(*m_frame);
    }
    std::function<void()> moveTo(CPoint p)
    {
        return [this, p] { m_input.move(p); };
    }
    CColor pixel(CPoint graphPixel, CPoint graph = kGraph)
    {
        m_frame->idle();
        return backBufferPixel(*m_frame, graph.x + graphPixel.x, graph.y + graphPixel.y);
    }
    void typeLevel(const std::string& text)
    {
        press(right(60, 8), 1);
        ASSERT_TRUE(m_display->isEditingLevel());
        m_input.type(text);
        m_input.tap(XK_Return);
        pumpFrame(*m_frame);
        ASSERT_FALSE(m_display->isEditingLevel());
    }

    const CSkin m_skin;
    CHostWindow m_host;
    CInput m_input {m_host};
    CTestOwner m_owner;
    CEnvelopeRecorder m_recorder;
    std::unique_ptr<CEditorFrame> m_frame;
    CEnvelopeDisplay* m_display = nullptr;
};

// On the default modulation envelope (points at 0, 8 and 16 sixteenths) a click at x = 33
// inserts point 2 at 12 sixteenths and drags it until the button is up.
TEST_F(EnvelopeDisplayTest, ALeftClickInsertsAPointAndDragsIt)
{
    press(at(33, yOf(500)), 1, {}, {moveTo(at(35, 30))});
    const CEnvelopeShape shape = m_display->shape();
    ASSERT_EQ(shape.lastPoint, 3);
    EXPECT_FLOAT_EQ(shape.points[1].time, 13.0f / 16 - 0.5f); // moved on to 13 sixteenths
    EXPECT_FLOAT_EQ(shape.points[2].time, 0.25f);             // the later point moved along
    EXPECT_EQ(levelOf(shape, 2), 724);
    EXPECT_EQ(m_display->selectedIndex(), 2);
    EXPECT_EQ(m_display->levelText(), "0.724");
    ASSERT_GE(m_recorder.events.size(), 3u);
    EXPECT_EQ(m_recorder.events.front(), "begin");
    EXPECT_EQ(m_recorder.events.back(), "end");
    EXPECT_EQ(m_recorder.last, shape);

    // Beyond the last point nothing is inserted and nobody hears of anything.
    m_recorder.events.clear();
    press(at(xOf(20), yOf(500)), 1);
    EXPECT_EQ(m_display->shape(), shape);
    EXPECT_EQ(m_display->selectedIndex(), -1);
    EXPECT_TRUE(m_recorder.events.empty());
}

TEST_F(EnvelopeDisplayTest, DragsStopAtTheirLimitsAndSnapWithAlt)
{
    struct Case {
        const char* what;
        int point;
        std::initializer_list<unsigned long> keys;
        CPoint to;                 // graph pixels
        float time0, time1;        // the first two segment times afterwards
        int level;                 // the dragged point's level afterwards
    };
    const Case cases[] = {
        {"left stops at point 1", 2, {}, {0, 85}, 0.5f, 0.0f, 0},
        {"alt snaps 13 down to 12", 2, {XK_Alt_L}, {xOf(13), 85}, 0.5f, 0.25f, 0},
        {"alt snaps 14 up to 16", 2, {XK_Alt_L}, {xOf(14), 85}, 0.5f, 0.5f, 0},
        {"shift keeps the level", 2, {XK_Shift_L}, {xOf(12), 20}, 0.5f, 0.25f, 0},
        {"the last point stays inside", 1, {}, {600, 47}, 15.5f, 0.5f, 500},
        {"point 0 only changes level", 0, {}, {100, 9}, 0.5f, 0.5f, 1000},
        {"levels stop at the bottom", 1, {}, {xOf(8), 200}, 0.5f, 0.5f, 0},
    };
    const int starts[] = {0, 8, 16};
    const int levels[] = {500, 500, 0};
    for (const Case& c : cases) {
        m_display->setShape(defaultShape());
        m_frame->idle();
        press(atPoint(starts[c.point], levels[c.point]), 1, c.keys, {moveTo(at(c.to.x, c.to.y))});
        const CEnvelopeShape shape = m_display->shape();
        EXPECT_FLOAT_EQ(shape.points[0].time, c.time0) << c.what;
        EXPECT_FLOAT_EQ(shape.points[1].time, c.time1) << c.what;
        EXPECT_EQ(levelOf(shape, c.point), c.level) << c.what;
        EXPECT_EQ(m_display->selectedIndex(), c.point) << c.what;
    }
}

TEST_F(EnvelopeDisplayTest, RightClickDeletesOnlyWhatDeletePointAllows)
{
    struct Case {
        const char* what;
        CEnvelopeShape shape;
        int t16, level; // the point clicked
        bool deleted;
    };
    const Case cases[] = {
        {"the sustain point of the default", defaultShape(), 8, 500, false},
        {"the last point of the default", defaultShape(), 16, 0, false},
        {"point 0", fourPoints(), 0, 500, false},
        {"a release point of four", fourPoints(), 12, 250, true},
    };
    for (const Case& c : cases) {
        m_display->setShape(c.shape);
        m_recorder.events.clear();
        press(atPoint(c.t16, c.level), 3);
        const CEnvelopeShape shape = m_display->shape();
        EXPECT_EQ(shape.lastPoint, c.shape.lastPoint - (c.deleted ? 1 : 0)) << c.what;
        if (!c.deleted) {
            EXPECT_EQ(shape, c.shape) << c.what;
            EXPECT_TRUE(m_recorder.events.empty()) << c.what;
        } else {
            EXPECT_FLOAT_EQ(shape.points[1].time, 0.5f) << c.what; // the segments joined
            EXPECT_EQ(m_recorder.events, (std::vector<std::string> {"begin", "change", "end"})) << c.what;
        }
        EXPECT_EQ(m_display->selectedIndex(), -1) << c.what;
    }
}

TEST_F(EnvelopeDisplayTest, ControlClicksSetTheLoopStartAndEnd)
{
    struct Step {
        const char* what;
        int button;
        int point;
        bool loopOn;
        int loopStart, loopEnd;
    };
    // The default: loop off, sustain at point 1.
    const Step steps[] = {
        {"left on the sustain point leaves the loop off", 1, 1, false, 1, 1},
        {"left on an earlier point loops up to the sustain point", 1, 0, true, 0, 1},
        {"left after the loop end is ignored", 1, 2, true, 0, 1},
        {"right on a later point moves the loop end", 3, 2, true, 0, 2},
        {"right on the loop start switches it off there", 3, 0, false, 0, 0},
    };
    const int starts[] = {0, 8, 16};
    const int levels[] = {500, 500, 0};
    for (const Step& s : steps) {
        press(atPoint(starts[s.point], levels[s.point]), s.button, {XK_Control_L});
        const CEnvelopeShape shape = m_display->shape();
        EXPECT_EQ(shape.loopOn, s.loopOn) << s.what;
        EXPECT_EQ(shape.loopStart, s.loopStart) << s.what;
        EXPECT_EQ(shape.loopEnd, s.loopEnd) << s.what;
        EXPECT_EQ(shape.lastPoint, 2) << s.what;
    }
}

TEST_F(EnvelopeDisplayTest, TypedLevelsTakeCommasArithmeticAndTheBipolarScale)
{
    struct Case {
        bool bipolar;
        int level;
        const char* typed;
        const char* shown; // before typing
        int after;
    };
    const Case cases[] = {
        {true, 750, "-1", "0.500", 0},
        {false, 250, "1,5/3", "0.250", 500},
        {false, 250, "2*3", "0.250", 1000},
        {true, 500, "0,5", "0.000", 750},
        {false, 250, "abc", "0.250", 250},
    };
    for (const Case& c : cases) {
        CEnvelopeShape shape = defaultShape();
        shape.points[1].value = static_cast<float>(c.level) / 1000;
        shape.bipolar = c.bipolar;
        m_display->setShape(shape);
        press(atPoint(8, c.level), 1); // selects point 1
        ASSERT_EQ(m_display->selectedIndex(), 1) << c.typed;
        EXPECT_EQ(m_display->levelText(), c.shown) << c.typed;
        typeLevel(c.typed);
        EXPECT_EQ(levelOf(m_display->shape(), 1), c.after) << c.typed;
        if (c.after != c.level) {
            EXPECT_EQ(m_recorder.last, m_display->shape()) << c.typed;
        }
    }

    // Without a selected point the box takes no text.
    press(at(300, 20), 2);
    EXPECT_EQ(m_display->levelText(), "---");
    press(right(60, 8), 1);
    EXPECT_FALSE(m_display->isEditingLevel());
}

TEST_F(EnvelopeDisplayTest, CopyAndPasteGoThroughTheClipboardBetweenDisplays)
{
    CEnvelopeRecorder second;
    CEnvelopeDisplay* other = add(kSecondGraph, &second);
    CEnvelopeShape shape = fourPoints();
    shape.bipolar = true;
    shape.clockKind = 9;
    m_display->setShape(shape);
    other->setShape(defaultShape());

    press(at(300, 30), 1, {XK_Shift_L, XK_Control_L});
    EXPECT_EQ(envelopeClipboard().storedShape(), shape);
    EXPECT_TRUE(m_recorder.events.empty()); // a copy changes nothing

    press(at(300, 30, kSecondGraph), 3, {XK_Shift_L, XK_Control_L});
    EXPECT_EQ(other->shape(), shape);
    EXPECT_EQ(second.events, (std::vector<std::string> {"begin", "change", "end"}));
    EXPECT_EQ(second.last, shape);
}

// Right + Shift curves the segment under the pointer with handles on the straight line; its
// handle ends can be dragged, and a right click on one makes the segment straight again.
TEST_F(EnvelopeDisplayTest, CurvesTheirHandlesAndBackToStraight)
{
    press(at(17, 20), 3, {XK_Shift_L});
    CEnvelopeShape shape = m_display->shape();
    ASSERT_TRUE(shape.points[0].curved);
    EXPECT_FLOAT_EQ(shape.points[0].startDx, 0.5f / 3);
    EXPECT_FLOAT_EQ(shape.points[0].startDy, 0.0f);
    EXPECT_FLOAT_EQ(shape.points[0].endDx, -0.5f / 3);
    EXPECT_FALSE(shape.points[1].curved);

    // The start handle ends 3 sixteenths after point 0, at its level.
    const CPoint handle {xOf(3), yOf(500)};
    EXPECT_EQ(pixel(handle), m_skin.color(ESkinColor::EnvPointOutside));
    press(at(handle.x, handle.y), 1, {}, {moveTo(at(xOf(6), 30))});
    shape = m_display->shape();
    EXPECT_EQ(m_display->selectedIndex(), 0);
    EXPECT_EQ(m_display->selectedPart(), 1);
    EXPECT_EQ(m_display->levelText(), "---");
    EXPECT_FLOAT_EQ(shape.points[0].startDx, 6.0f / 16);
    EXPECT_FLOAT_EQ(shape.points[0].startDy, 0.224f);
    EXPECT_FLOAT_EQ(shape.points[0].endDx, -3.0f / 16); // written back in whole sixteenths
    EXPECT_EQ(levelOf(shape, 0), 500);

    // With Shift only the handle's time moves.
    press(at(xOf(6), 30), 1, {XK_Shift_L}, {moveTo(at(xOf(4), 70))});
    shape = m_display->shape();
    EXPECT_FLOAT_EQ(shape.points[0].startDx, 4.0f / 16);
    EXPECT_FLOAT_EQ(shape.points[0].startDy, 0.224f);

    press(at(xOf(4), 30), 3);
    EXPECT_FALSE(m_display->shape().points[0].curved);
    EXPECT_NE(pixel({xOf(4), 30}), m_skin.color(ESkinColor::EnvPointOutside));
}

TEST_F(EnvelopeDisplayTest, TheSwitchesAndTheSyncMenuEditTheEnvelope)
{
    press(atPoint(8, 500), 1);
    const CPoint centre {300, 47};
    EXPECT_EQ(pixel(centre), m_skin.color(ESkinColor::EnvLineThin));
    m_recorder.events.clear();
    press(right(65, 33), 1); // bipolar
    EXPECT_TRUE(m_display->shape().bipolar);
    EXPECT_EQ(m_display->levelText(), "0.000");
    EXPECT_EQ(pixel(centre), m_skin.color(ESkinColor::EnvLineThick));
    EXPECT_EQ(m_recorder.events, (std::vector<std::string> {"begin", "change", "end"}));

    // Release off: what follows the sustain point is drawn inactive, its markers filled.
    const CPoint last {xOf(16), yOf(0)};
    EXPECT_EQ(pixel(last), m_skin.color(ESkinColor::EnvLineThick)); // the frame line through the marker
    press(right(65, 59), 1);
    EXPECT_FALSE(m_display->shape().release);
    EXPECT_EQ(pixel(last), m_skin.color(ESkinColor::EnvInactiveLine));
    EXPECT_EQ(pixel(last.offset(-2, 0)), m_skin.color(ESkinColor::EnvAverageBackground));

    press(right(40, 82), 1);
    m_input.tap(XK_Down);
    m_input.tap(XK_Return);
    pumpFrame(*m_frame);
    EXPECT_EQ(m_display->shape().clockKind, 1);
    EXPECT_EQ(m_recorder.last.clockKind, 1);
}

// The loop bars with their ticks, the grid and the point markers where the drawing rules put them.
TEST_F(EnvelopeDisplayTest, DrawsLoopBarsGridAndMarkers)
{
    const CColor bar = m_skin.color(ESkinColor::EnvLoopBar);
    const CColor inside = m_skin.color(ESkinColor::EnvPointInside);
    const CColor outside = m_skin.color(ESkinColor::EnvPointOutside);
    // Sustain at point 1 (x 25): one bar with ticks both ways.
    EXPECT_EQ(pixel({26, 30}), bar);
    EXPECT_EQ(pixel({25 + 5, 6}), bar);
    EXPECT_EQ(pixel({25 - 5, 6}), bar);
    EXPECT_EQ(pixel({25 + 3, 8}), bar);
    EXPECT_NE(pixel({25 + 4, 8}), bar);
    EXPECT_EQ(pixel({xOf(8) - 2, yOf(500) - 2}), inside); // marker outline
    EXPECT_EQ(pixel({300, 9}), m_skin.color(ESkinColor::EnvLineThick));
    EXPECT_EQ(pixel({xOf(32), 20}), m_skin.color(ESkinColor::EnvLineThin));  // every 16 sixteenths
    EXPECT_EQ(pixel({xOf(64), 20}), m_skin.color(ESkinColor::EnvLineThick)); // every 64

    // Loop from 0 to 1: the start bar ticks left, the end bar right only.
    press(atPoint(0, 500), 1, {XK_Control_L});
    ASSERT_TRUE(m_display->shape().loopOn);
    EXPECT_EQ(pixel({25 + 5, 6}), bar);
    EXPECT_NE(pixel({25 - 5, 6}), bar);
    EXPECT_EQ(pixel({9 - 5, 6}), bar);
    // The selected point gets the outer square.
    press(atPoint(8, 500), 1);
    EXPECT_EQ(pixel({xOf(8) - 3, yOf(500) - 3}), outside);
}

// A stored shape of 51 curved points of 10000 beats each, with wild handles, reaches far past
// the graph: it draws and takes edits like any other.
TEST_F(EnvelopeDisplayTest, AShapeFarBeyondTheGraphDrawsAndEdits)
{
    CEnvelopeShape shape;
    shape.lastPoint = kEnvelopePoints - 1;
    for (size_t i = 0; i < kEnvelopePoints; ++i)
        shape.points[i] = {10000.0f, i % 2 ? 1.0f : 0.0f, true, 1e30f, -1e30f, 1e30f, std::nanf("")};
    shape.loopOn = true;
    shape.loopStart = 3;
    shape.loopEnd = 49;
    m_display->setShape(shape);
    m_frame->drawView();
    EXPECT_EQ(pixel({xOf(0) - 2, yOf(0) - 2}), m_skin.color(ESkinColor::EnvPointInside));

    press(atPoint(0, 0), 1, {}, {moveTo(at(200, 40))});
    EXPECT_EQ(levelOf(m_display->shape(), 0), 592); // only the level of point 0 moves
    EXPECT_FLOAT_EQ(m_display->shape().points[0].time, 10000.0f);
    press(at(200, 60), 1); // 51 points: no room for another
    EXPECT_EQ(m_display->shape().lastPoint, kEnvelopePoints - 1);
    press(at(200, 60), 3, {XK_Shift_L});
    EXPECT_FALSE(m_display->shape().points[0].curved);
}

// Several states side by side as build/envelope_display.png, to look at.
TEST_F(EnvelopeDisplayTest, WritesAPictureOfItsStates)
{
    m_frame->removeView(m_display);
    const CPoint graphs[] = {{19, 20}, {19, 140}, {19, 260}, {19, 380}};
    CEnvelopeDisplay* displays[4];
    for (int i = 0; i < 4; ++i)
        displays[i] = add(graphs[i], &m_recorder);
    // 1: the default with its sustain point selected.
    press(atPoint(8, 500, graphs[0]), 1);
    // 2: four points looping 0..3 with a curved first segment, its end handle selected.
    displays[1]->setShape(fourPoints());
    press(atPoint(0, 500, graphs[1]), 1, {XK_Control_L});
    press(atPoint(16, 0, graphs[1]), 3, {XK_Control_L});
    press(at(17, 60, graphs[1]), 3, {XK_Shift_L});
    press(at(xOf(5), yOf(500), graphs[1]), 1, {}, {moveTo(at(xOf(6), 75, graphs[1]))});
    // 3: bipolar, release off: the release part inactive.
    CEnvelopeShape shape = fourPoints();
    shape.bipolar = true;
    shape.release = false;
    shape.points[0].value = 0.9f;
    displays[2]->setShape(shape);
    // 4: long, with a point dragged far right and snapped.
    press(atPoint(8, 500, graphs[3]), 1, {XK_Alt_L}, {moveTo(at(400, 20, graphs[3]))});
    m_frame->drawView();
    CSkinImage* shot = m_frame->snapshot();
    EXPECT_TRUE(shot->writePng(QUORVIX_BUILD_DIR "/envelope_display.png"));
    shot->release();
    EXPECT_EQ(displays[3]->shape().points[0].time, 196.0f / 16);
}

} // namespace
} // namespace qtest

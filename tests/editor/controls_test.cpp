// The controls driven as a user drives them: XTest input into the frame's window, the frame's own
// event path, and modal drags whose idle polls move the pointer step by step.
#include "gui_fixture.h"

#include "editor/toolkit/filmstrip_knob.h"
#include "editor/toolkit/knob_value_field.h"
#include "editor/toolkit/line_editor.h"
#include "editor/toolkit/offscreen_painter.h"
#include "editor/toolkit/painter.h"
#include "editor/toolkit/popup_grid.h"
#include "editor/toolkit/popup_menu.h"
#include "editor/toolkit/section_title.h"
#include "editor/toolkit/skin_button.h"
#include "editor/toolkit/skin_image.h"
#include "editor/toolkit/skin_knob.h"
#include "editor/toolkit/skin_menu.h"
#include "editor/toolkit/skin_toggle.h"
#include "editor/toolkit/text_field.h"
#include "editor/toolkit/typed_number.h"

#include <X11/keysym.h>

#include <unistd.h>

namespace qtest {
namespace {

CSkinImage* blankImage(int width, int height) { return new CSkinImage(width, height); }

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_frame = std::make_unique<CEditorFrame>(CRect {0, 0, 640, 510}, m_host.window(), &m_owner);
        XSync(m_host.display(), False);
        pumpFrame(*m_frame);
    }
    template <typename T>
    T* add(T* view)
    {
        m_frame->addView(view);
        m_frame->idle();
        return view;
    }
    // A press at p; the frame handles it (running any modal loop) before the function returns.
    void pressAt(CPoint p, int button = 1)
    {
        m_input.move(p);
        m_input.press(button);
        pumpFrame(*m_frame, 1);
    }
    void click(CPoint p, int button = 1)
    {
        pressAt(p, button);
        m_input.release(button);
        pumpFrame(*m_frame);
    }
    std::function<void()> moveTo(CPoint p)
    {
        return [this, p] { m_input.move(p); };
    }
    std::function<void()> release()
    {
        return [this] { m_input.release(); };
    }

    CHostWindow m_host;
    CInput m_input {m_host};
    CTestOwner m_owner;
    CRecorder m_recorder;
    std::unique_ptr<CEditorFrame> m_frame;
};

TEST(FilmstripKnob, ShowsTheFirstMiddleAndLastPictures)
{
    auto* strip = blankImage(40, 64 * 40);
    CFilmstripKnob knob({0, 0, 40, 40}, nullptr, 1, 64, 40, strip);
    strip->release();
    const std::pair<float, int> cases[] = {{0.0f, 0}, {0.5f, 31}, {1.0f, 63}, {0.999f, 62}};
    for (const auto& [value, index] : cases) {
        knob.setValue(value);
        EXPECT_EQ(knob.imageIndex(), index) << value;
    }
}

TEST(RotaryKnob, ValueAtPointFollowsTheArcAndSplitsTheDeadZone)
{
    CRotaryKnob knob({0, 0, 40, 40}, nullptr, 1);
    struct Case {
        CPoint p;
        float value;
    };
    const Case cases[] = {
        {{20, 0}, 0.5f},    // top: the middle of the range
        {{0, 40}, 0.0f},    // lower left: the start
        {{40, 40}, 1.0f},   // lower right: the end
        {{40, 20}, 0.8333333f},
        {{24, 40}, 1.0f},   // just right of the bottom: nearer the end
        {{16, 40}, 0.0f},   // just left of it: nearer the start
    };
    for (const Case& c : cases)
        EXPECT_NEAR(knob.valueAtPoint(c.p), c.value, 1e-4) << c.p.x << "," << c.p.y;
    knob.setValue(0.5f);
    EXPECT_EQ(knob.handlePosition(), (CPoint {20, 3}));
}

TEST_F(ControlsTest, CircularDragPastTheEndStaysAtTheMaximum)
{
    auto* knob = add(new CRotaryKnob({100, 100, 140, 140}, &m_recorder, 7));
    m_owner.script({moveTo({138, 120}), moveTo({135, 135}), moveTo({120, 139}), moveTo({104, 136}), release()});
    pressAt({120, 102});
    ASSERT_FALSE(m_recorder.values.empty());
    EXPECT_NEAR(m_recorder.values.front(), 0.5f, 0.03f);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    EXPECT_EQ(m_owner.edits, (std::vector<std::string> {"begin 7", "end 7"}));
}

// 100 pixels up and 50 right move a 0..1 knob by 0.75, or by 0.5 with shift held.
TEST_F(ControlsTest, LinearDragMovesByRightPlusUpOverTheSpan)
{
    m_owner.hostKnobMode = kHostLinearKnobMode;
    for (const bool shift : {false, true}) {
        auto* knob = add(new CRotaryKnob({200, 200, 240, 240}, &m_recorder, 3));
        knob->setValue(0.1f);
        if (shift)
            m_input.key(XK_Shift_L, true);
        m_owner.script({moveTo({255, 120}), release()});
        pressAt({205, 220});
        if (shift)
            m_input.key(XK_Shift_L, false);
        EXPECT_NEAR(knob->getValue(), shift ? 0.6f : 0.85f, 1e-5) << shift;
        m_frame->removeView(knob);
    }
}

TEST_F(ControlsTest, ShiftDuringALinearDragKeepsTheValueWhereItIs)
{
    m_owner.hostKnobMode = kHostLinearKnobMode;
    auto* knob = add(new CRotaryKnob({200, 200, 240, 240}, &m_recorder, 3));
    knob->setValue(0.0f);
    // 60 up at the normal rate (0.3), shift, then 60 more at the fine rate (0.2).
    m_owner.script({moveTo({220, 160}), [this] { m_input.key(XK_Shift_L, true); }, moveTo({220, 161}),
                    moveTo({220, 100}), release()});
    pressAt({220, 220});
    m_input.key(XK_Shift_L, false);
    EXPECT_NEAR(knob->getValue(), 0.5f, 0.01f);
}

TEST_F(ControlsTest, AltSwitchesToTheOtherKnobMode)
{
    auto* knob = add(new CRotaryKnob({200, 200, 240, 240}, &m_recorder, 3));
    knob->setValue(0.2f);
    m_input.key(XK_Alt_L, true);
    m_owner.script({moveTo({220, 180}), release()});
    pressAt({220, 220});
    m_input.key(XK_Alt_L, false);
    EXPECT_NEAR(knob->getValue(), 0.4f, 1e-5); // linear: 40 up of 200
}

TEST_F(ControlsTest, TheWheelStepsByTheIncrementAndATenthWithShift)
{
    auto* knob = add(new CRotaryKnob({200, 200, 240, 240}, &m_recorder, 3));
    knob->setValue(0.5f);
    m_input.move({220, 220});
    m_input.press(4);
    m_input.release(4);
    pumpFrame(*m_frame);
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6);
    m_input.key(XK_Shift_L, true);
    m_input.press(5);
    m_input.release(5);
    pumpFrame(*m_frame);
    m_input.key(XK_Shift_L, false);
    EXPECT_NEAR(knob->getValue(), 0.59f, 1e-6);
    EXPECT_EQ(m_recorder.values.size(), 2u);
}

TEST_F(ControlsTest, ADoubleClickOrControlClickSetsTheDefault)
{
    auto* knob = add(new CRotaryKnob({200, 200, 240, 240}, &m_recorder, 3));
    knob->setDefaultValue(0.25f);
    knob->setValue(0.9f);
    m_owner.hostKnobMode = kHostLinearKnobMode;
    m_owner.script({release()});
    pressAt({220, 220});
    click({220, 220}); // the second press resets at once, without a drag
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
    knob->setValue(0.9f);
    usleep(500000);
    m_input.key(XK_Control_L, true);
    click({220, 220});
    m_input.key(XK_Control_L, false);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
}

TEST_F(ControlsTest, ArrowKeysMoveTheKnobLastDragged)
{
    auto* knob = add(new CRotaryKnob({200, 200, 240, 240}, &m_recorder, 3));
    knob->setValue(0.5f);
    EXPECT_EQ(m_frame->onKeyDown({0, kKeyUp, 0}), -1); // not focused yet
    m_owner.hostKnobMode = kHostLinearKnobMode;
    m_owner.script({release()});
    pressAt({220, 220});
    EXPECT_EQ(m_frame->onKeyDown({0, kKeyUp, 0}), 1);
    EXPECT_EQ(m_frame->onKeyDown({0, kKeyLeft, kModShift}), 1);
    EXPECT_NEAR(knob->getValue(), 0.59f, 1e-6);
}

TEST_F(ControlsTest, SkinKnobsDragVerticallyInLinearModeBetweenEditCalls)
{
    m_owner.drag = EKnobDrag::Linear;
    auto* strip = blankImage(40, 55 * 40);
    auto* knob = add(new CSkinKnob({300, 100}, &m_recorder, 11, strip, 55, false));
    strip->release();
    knob->setValue(0.5f);
    // 30 up: 0.3; sideways does nothing.
    m_owner.script({moveTo({320, 90}), moveTo({400, 90}), release()});
    pressAt({320, 120});
    EXPECT_NEAR(knob->getValue(), 0.8f, 1e-5);
    EXPECT_EQ(m_owner.edits, (std::vector<std::string> {"begin 11", "end 11"}));
    EXPECT_EQ(m_recorder.values.size(), 1u);
}

TEST_F(ControlsTest, AMomentaryButtonSendsOneThenZeroAndZeroWhenDraggedOut)
{
    auto* image = blankImage(19, 38);
    auto* button = add(new CSkinButton({50, 50}, &m_recorder, 1009, image));
    image->release();
    m_owner.script({[] {}, release()});
    pressAt({55, 55});
    EXPECT_EQ(m_recorder.values, (std::vector<float> {1.0f, 0.0f}));
    EXPECT_EQ(m_owner.edits, (std::vector<std::string> {"begin 1009", "end 1009"}));

    m_recorder.values.clear();
    m_owner.script({moveTo({200, 200}), [] {}, release()});
    pressAt({55, 55});
    ASSERT_GE(m_recorder.values.size(), 2u);
    EXPECT_EQ(m_recorder.values.front(), 1.0f);
    EXPECT_EQ(m_recorder.values[1], 0.0f);
    EXPECT_EQ(m_recorder.values.back(), 0.0f);
    EXPECT_EQ(button->getValue(), 0.0f);
}

TEST_F(ControlsTest, ATogglesFlipsWithEachClick)
{
    auto* image = blankImage(40, 54);
    auto* toggle = add(new CSkinToggle({50, 50}, &m_recorder, 1011, image));
    image->release();
    EXPECT_EQ(toggle->getBounds(), (CRect {50, 50, 90, 77}));
    click({60, 60});
    click({60, 60});
    EXPECT_EQ(m_recorder.values, (std::vector<float> {1.0f, 0.0f}));
}

class MenuTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        m_menu = add(new CPopupMenu(CRect::sized(50, 300, 113, 19), &m_recorder, 52));
        for (const char* entry : {"Sine", "Saw", "-", "Square", "-TTitle", "Noise"})
            m_menu->addEntry(entry);
    }
    // The centre of a row of the open menu, window-relative: rows start 4 pixels below the view.
    static CPoint row(int top) { return {80, 319 + 4 + top + 9}; }
    CPopupMenu* m_menu = nullptr;
};

TEST_F(MenuTest, AClickOpensTheMenuAndAClickOnAnEntryChoosesIt)
{
    click({60, 305});
    ASSERT_TRUE(m_menu->isOpen());
    EXPECT_EQ(m_frame->focusedView(), m_menu);
    m_input.move(row(18)); // "Saw"
    pumpFrame(*m_frame);
    click(row(18));
    EXPECT_FALSE(m_menu->isOpen());
    EXPECT_EQ(m_frame->focusedView(), nullptr);
    EXPECT_EQ(m_recorder.values, (std::vector<float> {1.0f}));
    EXPECT_EQ(m_menu->displayText(), "Saw");
}

TEST_F(MenuTest, KeysMoveOverSeparatorsAndTitlesAndReturnChooses)
{
    click({60, 305});
    ASSERT_TRUE(m_menu->isOpen());
    m_input.tap(XK_Down);
    m_input.tap(XK_Down);
    m_input.tap(XK_Return);
    pumpFrame(*m_frame);
    EXPECT_FALSE(m_menu->isOpen());
    EXPECT_EQ(m_recorder.values, (std::vector<float> {3.0f}));

    // The host's keys reach the open menu too; Escape closes it without a choice.
    click({60, 305});
    EXPECT_EQ(m_frame->onKeyDown({0, kKeyDown, 0}), 1);
    EXPECT_EQ(m_frame->onKeyDown({0, kKeyEscape, 0}), 1);
    EXPECT_FALSE(m_menu->isOpen());
    EXPECT_EQ(m_recorder.values.size(), 1u);
}

// The open menu's window: the one mapped override-redirect window on the screen.
CRect openMenuRect(Display* display)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    CRect found;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a {};
        XGetWindowAttributes(display, children[i], &a);
        if (a.override_redirect && a.map_state == IsViewable && a.width < 400)
            found = CRect::sized(a.x, a.y, a.width, a.height);
    }
    if (children)
        XFree(children);
    return found;
}

TEST_F(MenuTest, OpensBelowItsViewOrAboveItWithTheStyleBit)
{
    click({60, 305});
    const CRect below = openMenuRect(m_host.display());
    EXPECT_EQ(below.top, m_host.origin().y + 319);
    EXPECT_EQ(below.left, m_host.origin().x + 50);
    m_input.tap(XK_Escape);
    pumpFrame(*m_frame);
    m_menu->setStyle(kStylePopupAbove);
    click({60, 305});
    const CRect above = openMenuRect(m_host.display());
    EXPECT_EQ(above.bottom, m_host.origin().y + 300);
    EXPECT_EQ(above.height(), below.height());
    m_input.tap(XK_Escape);
    pumpFrame(*m_frame);
    EXPECT_FALSE(m_menu->isOpen());
}

TEST_F(MenuTest, TheWheelMovesTheHighlightAndAClickOutsideCloses)
{
    click({60, 305});
    m_input.press(5);
    m_input.release(5);
    pumpFrame(*m_frame);
    click({500, 100});
    EXPECT_FALSE(m_menu->isOpen());
    EXPECT_TRUE(m_recorder.values.empty());
    EXPECT_EQ(m_menu->currentIndex(), 0);
}

TEST_F(MenuTest, SubmenusChooseInTheMenuThatHoldsTheEntry)
{
    auto* sub = new CPopupMenu({0, 0, 10, 10}, nullptr, 99);
    sub->addEntry("Inner A");
    sub->addEntry("Inner B");
    ASSERT_TRUE(m_menu->addSubmenu(sub, "More"));
    sub->release();
    click({60, 305});
    // "More" is the last row, below a separator and four rows.
    const CPoint more = row(5 * 18 + 7);
    m_input.move(more);
    pumpFrame(*m_frame);
    m_input.tap(XK_Right);
    m_input.tap(XK_Down);
    m_input.tap(XK_Return);
    pumpFrame(*m_frame);
    ASSERT_EQ(m_recorder.tags, (std::vector<int> {99}));
    EXPECT_EQ(sub->currentIndex(), 1);
    EXPECT_EQ(m_menu->currentIndex(), 0);
}

TEST_F(MenuTest, EntriesKeepTheirOrderAndTheCurrentIndex)
{
    EXPECT_EQ(m_menu->getCurrent(), 0);
    m_menu->setCurrent(3, true);
    std::string text;
    EXPECT_EQ(m_menu->getCurrent(&text), 2); // "-" is not counted
    EXPECT_EQ(text, "Square");
    EXPECT_FALSE(m_menu->setCurrent(2, true));
    EXPECT_TRUE(m_menu->addEntry("First", 0));
    EXPECT_EQ(m_menu->getCurrent(nullptr, true), 4);
    EXPECT_TRUE(m_menu->removeEntry(0));
    EXPECT_EQ(m_menu->getCurrent(nullptr, true), 3);
    EXPECT_EQ(m_menu->indexOf("Noise"), 5);
    EXPECT_TRUE(m_menu->setCurrent(3)); // the fourth selectable entry: "Noise" after Sine, Saw, Square
    EXPECT_EQ(m_menu->currentIndex(), 5);
    while (m_menu->entryCount() < CPopupMenu::kMaxEntries)
        ASSERT_TRUE(m_menu->addEntry("x"));
    EXPECT_FALSE(m_menu->addEntry("one too many"));
    EXPECT_FALSE(m_menu->getEntry(CPopupMenu::kMaxEntries, text));
    EXPECT_FALSE(m_menu->checkEntry(-1, true));
}

TEST(ValueDisplay, StyleBitsChooseTheFrameAndTheText)
{
    const CColor back {10, 20, 30}, border {200, 210, 220}, ink {250, 250, 250};
    struct Case {
        int style;
        CColor topLeft, bottomRight;
        bool text;
    };
    const Case cases[] = {
        {0, border, border, true},
        {kStyleBevelIn, back, border, true},
        {kStyleBevelOut, border, back, true},
        {kStyleNoText, border, border, false},
        {kStyleNoDraw, kBlack, kBlack, false},
    };
    for (const Case& c : cases) {
        CEditorFrame frame({0, 0, 100, 40}, 0, nullptr);
        auto* display = new CValueDisplay({10, 10, 70, 30}, nullptr, 0, nullptr, c.style);
        EXPECT_EQ(display->isDirty(), !(c.style & kStyleNoDraw)) << c.style;
        display->setBackgroundColor(back);
        display->setBorderColor(border);
        display->setTextColor(ink);
        display->setTextTransparent(false);
        display->setValue(0.88f);
        frame.addView(display);
        frame.drawView();
        EXPECT_EQ(backBufferPixel(frame, 10, 10), c.topLeft) << c.style;
        EXPECT_EQ(backBufferPixel(frame, 70, 30), c.bottomRight) << c.style;
        int inked = 0;
        for (int x = 12; x < 68; ++x)
            inked += backBufferPixel(frame, x, 20) != (c.style & kStyleNoDraw ? kBlack : back);
        EXPECT_EQ(inked > 0, c.text) << c.style;
    }
}

TEST(SkinMenu, ValuesAreNormalizedOverTheEntries)
{
    CSkinMenu menu({0, 0}, nullptr, 1, nullptr, kWhite);
    for (const char* entry : {"A", "B", "C", "D"})
        menu.addEntry(entry);
    const float expected[] = {0.125f, 0.375f, 0.625f, 0.875f};
    for (int i = 0; i < 4; ++i) {
        menu.setIndex(i);
        EXPECT_FLOAT_EQ(menu.getValue(), expected[i]);
        EXPECT_TRUE(menu.isEntryChecked(i));
    }
    menu.setValue(0.99f);
    EXPECT_EQ(menu.getIndex(), 3);
    menu.setValue(2.0f);
    EXPECT_EQ(menu.getIndex(), 2);
    EXPECT_FALSE(menu.isEntryChecked(3));
}

TEST(PopupGrid, TenChoicesMakeThreeRowsOfFourColumns)
{
    auto* cells = blankImage(46, 10 * 42);
    CPopupGrid grid({0, 0}, nullptr, 105, 10, cells);
    cells->release();
    EXPECT_EQ(grid.rows(), 3);
    EXPECT_EQ(grid.columns(), 4);
    grid.setSpacing(3);
    EXPECT_EQ(grid.gridRect(), CRect::sized(0, 0, 4 + 5 * 4 + 4 * 46, 4 + 4 * 4 + 3 * 42));
    // Choice i sits in column i div rows and row i mod rows.
    EXPECT_EQ(grid.cellRect(4).topLeft(), (CPoint {2 + 4 + 46 + 4, 2 + 4 + 42 + 4}));
    grid.setValue(0.99f);
    EXPECT_EQ(grid.choice(), 9);
    grid.setValue(0.35f);
    EXPECT_FLOAT_EQ(grid.getValue(), 0.35f);
}

TEST_F(ControlsTest, APopupGridOpensInTheFrameAndTakesTheNextClick)
{
    auto* cells = blankImage(46, 9 * 42);
    auto* grid = add(new CPopupGrid({100, 100}, &m_recorder, 105, 9, cells));
    cells->release();
    grid->setSpacing(4);
    const CRect target = grid->cellRect(5); // column 1, row 2
    m_owner.script({release(), [] {}, [this, target] {
                        m_input.move({target.left + 10, target.top + 10});
                        m_input.press();
                    },
                    release()});
    pressAt({110, 110});
    EXPECT_EQ(grid->choice(), 5);
    EXPECT_EQ(m_recorder.values.size(), 1u);
    EXPECT_EQ(m_frame->exclusiveView(), nullptr);
    EXPECT_EQ(grid->getBounds(), CRect::sized(100, 100, 46, 42));
}

TEST_F(ControlsTest, AMenuWithACellDrawerOpensAsAGridInTheFrame)
{
    auto* menu = add(new CSkinMenu({100, 100}, &m_recorder, 51, nullptr, kWhite));
    for (const char* e : {"Sine", "Saw", "Square", "Noise", "Pulse"})
        menu->addEntry(e);
    menu->setEntriesPerColumn(2);
    std::vector<int> drawn;
    menu->setGridDrawer({0, 0, 42, 22}, [&](int index, CPainter&, const CRect&) { drawn.push_back(index); }, 20, 40);
    ASSERT_TRUE(menu->hasGrid());
    COffscreenPainter measure(nullptr);
    const CRect cell = menu->gridCell(measure, 3); // column 1, row 1
    EXPECT_EQ(cell.top, 40 + 5 + 24);
    EXPECT_EQ(menu->gridRect(measure).height(), 10 + 2 * 24);
    m_owner.script({release(), [] {}, [this, cell] {
                        m_input.move({cell.left + 4, cell.top + 4});
                        m_input.press();
                    },
                    release()});
    pressAt({105, 105});
    EXPECT_EQ(menu->getIndex(), 3);
    EXPECT_EQ(m_recorder.tags, (std::vector<int> {51}));
    EXPECT_EQ(m_frame->exclusiveView(), nullptr);
    EXPECT_EQ(menu->getBounds(), CRect::sized(100, 100, 10, 10));
    EXPECT_GE(drawn.size(), 5u); // every entry's cell was drawn while the grid was open

    menu->setGridDrawer({0, 0, 4, 22}, [](int, CPainter&, const CRect&) {}, 0, 0);
    EXPECT_FALSE(menu->hasGrid()); // cell pictures under 5 pixels are dropped
}

TEST_F(ControlsTest, ASectionTitleClickSetsItsTarget)
{
    auto* menu = add(new CSkinMenu({300, 100}, &m_recorder, 163, nullptr, kWhite));
    for (const char* e : {"None", "Delay", "Chorus", "Flanger"})
        menu->addEntry(e);
    auto* title = add(new CSectionTitle({20, 100}, 60, "FX 1", kCyan, kBlack));
    EXPECT_FALSE(title->isClickable());
    title->setClickTarget(menu, 0.6f);
    click({25, 120});
    EXPECT_EQ(menu->getIndex(), 2);
    EXPECT_EQ(m_recorder.tags, (std::vector<int> {163}));
}

// Parent of a text field: hears when editing ends.
class CNotified : public CWidget {
public:
    CNotified() : CWidget({}) {}
    int notify(CWidget*, const std::string& message) override
    {
        messages.push_back(message);
        return 1;
    }
    std::vector<std::string> messages;
};

TEST_F(ControlsTest, TextEntryCommitsWithReturnAndFocusLossAndCancelsWithEscape)
{
    auto* field = add(new CTextField({300, 300, 420, 320}, &m_recorder, 5, "abc"));
    CNotified parent;
    field->setParent(&parent);

    click({310, 310});
    ASSERT_TRUE(field->isEditing());
    m_input.type("Xy");
    m_input.tap(XK_Home);
    m_input.tap(XK_Delete);
    m_input.tap(XK_End);
    m_input.tap(XK_BackSpace);
    m_input.type("z");
    m_input.tap(XK_Return);
    pumpFrame(*m_frame);
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(field->getText(), "z");
    EXPECT_EQ(m_recorder.tags.size(), 1u);

    click({310, 310});
    m_input.type("qq");
    m_input.tap(XK_Escape);
    pumpFrame(*m_frame);
    EXPECT_EQ(field->getText(), "z");

    // Edited to the same text: no listener, but the parent still hears of the end.
    click({310, 310});
    m_input.tap(XK_Return);
    pumpFrame(*m_frame);
    EXPECT_EQ(m_recorder.tags.size(), 1u);

    click({310, 310});
    m_input.type("w");
    click({100, 100});
    EXPECT_EQ(field->getText(), "w");
    EXPECT_EQ(m_recorder.tags.size(), 2u);
    EXPECT_EQ(parent.messages, std::vector<std::string>(4, kLooseFocus));
}

TEST_F(ControlsTest, AKnobValueFieldTakesTypedNumbers)
{
    auto* strip = blankImage(40, 40);
    auto* knob = add(new CSkinKnob({400, 200}, &m_recorder, 21, strip, 1, false));
    strip->release();
    auto* field = add(new CKnobValueField(knob, {119, 136, 136}, kWhite));
    EXPECT_EQ(field->getBounds(), CRect::sized(394, 240, 52, 15));
    knob->setValue(0.0004f);
    EXPECT_EQ(field->displayText(), "0.001");
    knob->setValue(0.9995f);
    EXPECT_EQ(field->displayText(), "0.999");
    field->setEntryOptions(true, true);
    float value = 0.0f;
    EXPECT_TRUE(field->readEntry("1,5/3", value));
    EXPECT_FLOAT_EQ(value, 0.5f);
    EXPECT_TRUE(field->readEntry("7", value));
    EXPECT_FLOAT_EQ(value, 1.0f);
    EXPECT_FALSE(field->readEntry("none", value));

    // A double click opens the entry; the typed value reaches the knob and its listener.
    click({420, 247});
    click({420, 247});
    ASSERT_TRUE(field->isEditing());
    m_input.type("0.25");
    m_input.tap(XK_Return);
    pumpFrame(*m_frame);
    EXPECT_FALSE(field->isEditing());
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
    EXPECT_EQ(m_recorder.tags, (std::vector<int> {21}));
    EXPECT_EQ(m_frame->viewCount(), 2);
}

TEST(TypedNumber, CommasAndArithmeticChains)
{
    EXPECT_EQ(prepareTypedText("1,5/3", true, true), "0.5");
    EXPECT_EQ(prepareTypedText("1,5/3", false, true), "1,5/3");
    EXPECT_EQ(prepareTypedText("2*3/4", false, true), "1.5");
    EXPECT_EQ(prepareTypedText("2*3/4", false, false), "2*3/4");
    EXPECT_EQ(prepareTypedText("C#3", true, true), "C#3");
    EXPECT_EQ(prepareTypedText("3 B 4", true, true), "3 B 4");
}

TEST(LineEditor, KeysEditTheTextAroundTheCaret)
{
    CLineEditor editor("hello", 8);
    EXPECT_EQ(editor.selectionStart(), 0u); // all selected, as a field that got the focus
    EXPECT_EQ(editor.selectionEnd(), 5u);
    editor.key({'a', 0, 0});
    EXPECT_EQ(editor.text(), "a");
    for (const char c : std::string("bcdefghij"))
        editor.key({c, 0, 0});
    EXPECT_EQ(editor.text(), "abcdefgh"); // at most 8
    editor.key({0, kKeyHome, 0});
    editor.key({0, kKeyRight, kModShift});
    editor.key({0, kKeyRight, kModShift});
    editor.key({0, kKeyDelete, 0});
    EXPECT_EQ(editor.text(), "cdefgh");
    editor.key({0, kKeyEnd, 0});
    editor.key({0, kKeyBack, 0});
    editor.key({0, kKeyLeft, 0});
    editor.key({'X', 0, kModShift});
    EXPECT_EQ(editor.text(), "cdefXg");
    EXPECT_EQ(editor.key({0, kKeyReturn, 0}), CLineEditor::EResult::Commit);
    EXPECT_EQ(editor.key({0, kKeyEscape, 0}), CLineEditor::EResult::Cancel);
    EXPECT_EQ(editor.key({0, kKeyPageUp, 0}), CLineEditor::EResult::Unhandled);
}

} // namespace
} // namespace qtest

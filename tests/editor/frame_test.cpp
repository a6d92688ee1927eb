// The frame inside a host window: its window's life, what it draws, and where input goes.
#include "gui_fixture.h"

#include "editor/toolkit/painter.h"
#include "editor/toolkit/skin_image.h"

#include <X11/extensions/XRes.h>
#include <X11/keysym.h>

#include <dirent.h>

#include <map>

namespace qtest {
namespace {

// A view that counts what reaches it and paints itself in one colour.
class CProbe : public CWidget {
public:
    CProbe(const CRect& size, CColor color = kGreen) : CWidget(size), m_color(color) {}
    void draw(CPainter& p) override
    {
        ++draws;
        p.setFillColor(m_color);
        p.fillRect(m_bounds.offset(-1, -1).united(m_bounds));
    }
    void onMouseDown(CPainter& p, CPoint where) override
    {
        ++presses;
        buttons = p.buttonState();
        at = where;
    }
    bool onWheel(CPainter&, CPoint, float distance) override
    {
        wheel += distance;
        return true;
    }
    int onKeyDown(const CKeyEvent& key) override
    {
        if (!takesKeys)
            return -1;
        keys.push_back(key);
        return 1;
    }
    int draws = 0, presses = 0, buttons = 0;
    float wheel = 0.0f;
    CPoint at;
    bool takesKeys = false;
    std::vector<CKeyEvent> keys;

private:
    CColor m_color;
};

// Windows, pixmaps and the like that one X client holds, by resource type name.
std::map<std::string, unsigned> clientResources(Display* display, XID anyResourceOfClient)
{
    std::map<std::string, unsigned> counts;
    int types = 0;
    XResType* list = nullptr;
    if (XResQueryClientResources(display, anyResourceOfClient, &types, &list) && list) {
        for (int i = 0; i < types; ++i) {
            char* name = XGetAtomName(display, list[i].resource_type);
            counts[name] = list[i].count;
            XFree(name);
        }
        XFree(list);
    }
    return counts;
}

int clientCount(Display* display)
{
    int count = 0;
    XResClient* clients = nullptr;
    XResQueryClients(display, &count, &clients);
    if (clients)
        XFree(clients);
    return count;
}

int openFileCount()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++count;
        closedir(dir);
    }
    return count;
}

Window frameWindow(const CHostWindow& host)
{
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    XQueryTree(host.display(), host.window(), &root, &parent, &children, &count);
    const Window child = count > 0 ? children[0] : 0;
    if (children)
        XFree(children);
    return child;
}

class FrameTest : public ::testing::Test {
protected:
    std::unique_ptr<CEditorFrame> openFrame(CSkinImage* background = nullptr)
    {
        auto frame = std::make_unique<CEditorFrame>(CRect {0, 0, 640, 510}, m_host.window(), &m_owner);
        if (background)
            frame->setBackground(background);
        XSync(m_host.display(), False);
        pumpFrame(*frame);
        return frame;
    }
    CProbe* add(CEditorFrame& frame, const CRect& rect, CColor color = kGreen)
    {
        auto* probe = new CProbe(rect, color);
        frame.addView(probe);
        return probe;
    }

    CHostWindow m_host;
    CInput m_input {m_host};
    CTestOwner m_owner;
};

TEST_F(FrameTest, OpensOneMappedChildWindowShowingItsBackground)
{
    auto* background = new CSkinImage(640, 510, std::vector<uint32_t>(640 * 510, 0x204060));
    auto frame = openFrame(background);
    background->release();
    ASSERT_TRUE(frame->hasWindow());
    EXPECT_EQ(m_host.childCount(), 1);
    XWindowAttributes attributes {};
    XGetWindowAttributes(m_host.display(), frameWindow(m_host), &attributes);
    EXPECT_EQ(attributes.map_state, IsViewable);
    EXPECT_EQ(attributes.width, 640);
    EXPECT_EQ(attributes.height, 510);
    EXPECT_EQ(windowPixel(m_host.display(), frameWindow(m_host), 320, 255), (CColor {0x20, 0x40, 0x60}));
    frame.reset();
    XSync(m_host.display(), False);
    EXPECT_EQ(m_host.childCount(), 0);
}

// Open and close as hosts do, many times: no window, pixmap, connection or file stays behind.
TEST_F(FrameTest, FiftyOpenCloseCyclesLeaveNothingBehind)
{
    const int clientsBefore = clientCount(m_host.display());
    const int filesBefore = openFileCount();
    std::map<std::string, unsigned> first, last;
    for (int cycle = 0; cycle < 50; ++cycle) {
        auto* background = new CSkinImage(640, 510);
        auto frame = openFrame(background);
        background->release();
        add(*frame, {10, 10, 50, 50});
        frame->idle();
        ASSERT_TRUE(frame->hasWindow()) << cycle;
        const auto resources = clientResources(m_host.display(), frameWindow(m_host));
        (cycle == 0 ? first : last) = resources;
        frame.reset();
        XSync(m_host.display(), False);
        ASSERT_EQ(m_host.childCount(), 0) << cycle;
        ASSERT_EQ(clientCount(m_host.display()), clientsBefore) << cycle;
    }
    EXPECT_EQ(first, last);
    // Our child window, and a 1 × 1 unmapped helper window that cairo keeps per connection.
    EXPECT_LE(first["WINDOW"], 2u);
    EXPECT_LE(first["PIXMAP"], 1u);
    EXPECT_EQ(openFileCount(), filesBefore);
    std::string summary;
    for (const auto& [type, count] : first)
        summary += type + "=" + std::to_string(count) + " ";
    RecordProperty("resources_while_open", summary);
    std::printf("X resources of an open frame: %s\n", summary.c_str());
}

TEST_F(FrameTest, ExposeRepaintsOnlyTheDamagedArea)
{
    auto frame = openFrame();
    CProbe* inside = add(*frame, {100, 100, 140, 140});
    CProbe* outside = add(*frame, {400, 300, 440, 340});
    frame->drawView();
    const int insideBefore = inside->draws, outsideBefore = outside->draws;
    XClearArea(m_host.display(), frameWindow(m_host), 90, 90, 60, 60, True);
    XSync(m_host.display(), False);
    pumpFrame(*frame);
    EXPECT_EQ(inside->draws, insideBefore + 1);
    EXPECT_EQ(outside->draws, outsideBefore);
    EXPECT_EQ(windowPixel(m_host.display(), frameWindow(m_host), 120, 120), kGreen);
}

TEST_F(FrameTest, IdleRedrawsOnlyDirtyViews)
{
    auto frame = openFrame();
    CProbe* a = add(*frame, {10, 10, 50, 50});
    CProbe* b = add(*frame, {60, 10, 100, 50});
    frame->drawView();
    frame->idle();
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 1);
    b->setDirty(true);
    frame->idle();
    frame->idle();
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 2);
    EXPECT_EQ(windowPixel(m_host.display(), frameWindow(m_host), 80, 30), kGreen);
}

TEST_F(FrameTest, NothingIsDrawnByIdleBeforeTheFirstPaint)
{
    CEditorFrame frame({0, 0, 100, 100}, 0, &m_owner);
    CProbe* probe = add(frame, {10, 10, 50, 50});
    probe->setDirty(true);
    frame.idle();
    EXPECT_EQ(probe->draws, 0);
    frame.drawView();
    EXPECT_EQ(probe->draws, 1);
}

TEST_F(FrameTest, AClickInAnOverlapReachesOnlyTheViewAddedLast)
{
    auto frame = openFrame();
    CProbe* under = add(*frame, {100, 100, 200, 200});
    CProbe* over = add(*frame, {150, 150, 250, 250});
    CProbe* disabled = add(*frame, {180, 180, 190, 190});
    disabled->setClickable(false);
    m_input.move({185, 185});
    m_input.press();
    pumpFrame(*frame);
    m_input.release();
    EXPECT_EQ(over->presses, 1);
    EXPECT_EQ(under->presses, 0);
    EXPECT_EQ(disabled->presses, 0);
    EXPECT_EQ(over->at, (CPoint {185, 185}));
    EXPECT_EQ(over->buttons & kLeftButton, kLeftButton);

    m_input.move({120, 120});
    m_input.press(3);
    pumpFrame(*frame);
    m_input.release(3);
    EXPECT_EQ(under->presses, 1);
    EXPECT_EQ(under->buttons & (kLeftButton | kRightButton), kRightButton);
}

TEST_F(FrameTest, AModalViewTakesEveryClickInsideItAndOthersAreIgnored)
{
    auto frame = openFrame();
    CProbe* plain = add(*frame, {0, 0, 300, 300});
    auto* modal = new CProbe({100, 100, 150, 150});
    ASSERT_TRUE(frame->setExclusiveView(modal));
    auto* another = new CProbe({0, 0, 10, 10});
    EXPECT_FALSE(frame->setExclusiveView(another));
    for (const CPoint p : {CPoint {120, 120}, CPoint {20, 20}}) {
        m_input.move(p);
        m_input.press();
        m_input.release();
        pumpFrame(*frame);
    }
    EXPECT_EQ(modal->presses, 1);
    EXPECT_EQ(plain->presses, 0);
    frame->setExclusiveView(nullptr);
    modal->release();
    another->release();
}

TEST_F(FrameTest, SwappedButtonsReadThePhysicalRightButtonAsLeft)
{
    auto frame = openFrame();
    CProbe* probe = add(*frame, {0, 0, 300, 300});
    unsigned char map[16];
    const int buttons = XGetPointerMapping(m_host.display(), map, sizeof map);
    unsigned char swapped[16];
    std::copy(map, map + buttons, swapped);
    std::swap(swapped[0], swapped[2]);
    while (XSetPointerMapping(m_host.display(), swapped, buttons) == MappingBusy)
        usleep(1000);
    XSync(m_host.display(), False);
    m_input.move({50, 50});
    m_input.press(3);
    pumpFrame(*frame);
    m_input.release(3);
    while (XSetPointerMapping(m_host.display(), map, buttons) == MappingBusy)
        usleep(1000);
    XSync(m_host.display(), False);
    EXPECT_EQ(probe->presses, 1);
    EXPECT_EQ(probe->buttons & (kLeftButton | kRightButton), kLeftButton);
}

TEST_F(FrameTest, TheWheelReachesTheLastViewUnderThePointer)
{
    auto frame = openFrame();
    CProbe* under = add(*frame, {0, 0, 300, 300});
    CProbe* over = add(*frame, {100, 100, 200, 200});
    m_input.move({150, 150});
    for (int i = 0; i < 3; ++i) {
        m_input.press(4);
        m_input.release(4);
    }
    m_input.press(5);
    m_input.release(5);
    pumpFrame(*frame);
    EXPECT_EQ(over->wheel, 2.0f);
    EXPECT_EQ(under->wheel, 0.0f);
}

TEST_F(FrameTest, KeysGoToTheFocusViewFirstThenFromTheLastView)
{
    auto frame = openFrame();
    CProbe* first = add(*frame, {0, 0, 10, 10});
    CProbe* second = add(*frame, {20, 0, 30, 10});
    first->takesKeys = second->takesKeys = true;
    EXPECT_EQ(frame->onKeyDown({0, kKeyUp, 0}), 1);
    EXPECT_EQ(second->keys.size(), 1u);
    frame->setFocusedView(first);
    // From the window: the pointer over the frame, a key typed with shift.
    m_input.move({5, 5});
    m_input.key(XK_Shift_L, true);
    m_input.tap(XK_a);
    m_input.key(XK_Shift_L, false);
    m_input.tap(XK_Left);
    pumpFrame(*frame);
    ASSERT_EQ(first->keys.size(), 2u);
    EXPECT_EQ(first->keys[0].character, 'A');
    EXPECT_EQ(first->keys[0].modifiers, kModShift);
    EXPECT_EQ(first->keys[1].virt, kKeyLeft);
    first->takesKeys = second->takesKeys = false;
    EXPECT_EQ(frame->onKeyDown({'x', 0, 0}), -1);
}

TEST_F(FrameTest, RemovingTheFocusViewClearsTheFocus)
{
    auto frame = openFrame();
    CProbe* probe = add(*frame, {0, 0, 10, 10});
    probe->addReference();
    frame->setFocusedView(probe);
    EXPECT_TRUE(frame->removeView(probe));
    EXPECT_EQ(frame->focusedView(), nullptr);
    EXPECT_EQ(probe->referenceCount(), 1);
    EXPECT_FALSE(frame->contains(probe));
    probe->release();
    EXPECT_EQ(frame->viewAt(0), nullptr);
}

// Some hosts destroy their window before they close the editor.
TEST_F(FrameTest, AParentDestroyedFirstIsNoError)
{
    auto host = std::make_unique<CHostWindow>(200, 200, 0, 0);
    auto frame = std::make_unique<CEditorFrame>(CRect {0, 0, 200, 200}, host->window(), &m_owner);
    host.reset();
    pumpFrame(*frame);
    EXPECT_FALSE(frame->isOpen());
    frame.reset();
}

TEST_F(FrameTest, ABadParentWindowLeavesAFrameWithoutWindow)
{
    CEditorFrame frame({0, 0, 100, 100}, 0x7FFFFFF0, &m_owner);
    EXPECT_FALSE(frame.hasWindow());
    frame.drawView();
}

} // namespace
} // namespace qtest

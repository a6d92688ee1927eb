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
        p.fillArea(m_bounds);
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

namespace qtest {
namespace {

// Accepts drops and remembers them.
class CDropProbe : public CWidget {
public:
    explicit CDropProbe(const CRect& size) : CWidget(size) {}
    bool onDrop(const CDropData& data, CPoint where) override
    {
        drops.push_back(data);
        at = where;
        return true;
    }
    std::vector<CDropData> drops;
    CPoint at;
};

// The test's connection as a drag source of the drag-and-drop protocol.
class CDragSource {
public:
    explicit CDragSource(const CHostWindow& host) : m_host(host)
    {
        m_window = XCreateSimpleWindow(display(), DefaultRootWindow(display()), 0, 0, 1, 1, 0, 0, 0);
        XSelectInput(display(), m_window, PropertyChangeMask);
        XSetSelectionOwner(display(), atom("XdndSelection"), m_window, CurrentTime);
        XSync(display(), False);
    }
    ~CDragSource() { XDestroyWindow(display(), m_window); }

    // Drags the text as a file list onto the target at a window-relative point; true when the
    // target said it finished and took the drop.
    bool drop(CEditorFrame& frame, Window target, CPoint at, const std::string& uriList)
    {
        m_data = uriList;
        send(target, "XdndEnter", 5L << 24, long(atom("text/uri-list")), 0, 0);
        const long packed = (long(m_host.origin().x + at.x) << 16) | long(m_host.origin().y + at.y);
        send(target, "XdndPosition", 0, packed, CurrentTime, long(atom("XdndActionCopy")));
        if (!await(frame, "XdndStatus"))
            return false;
        send(target, "XdndDrop", 0, CurrentTime, 0, 0);
        return await(frame, "XdndFinished");
    }
    long statusFlags = 0;
    long finishedAccepted = 0;

private:
    Display* display() const { return m_host.display(); }
    Atom atom(const char* name) const { return XInternAtom(display(), name, False); }
    void send(Window target, const char* type, long l1, long l2, long l3, long l4)
    {
        XEvent e {};
        e.xclient.type = ClientMessage;
        e.xclient.window = target;
        e.xclient.message_type = atom(type);
        e.xclient.format = 32;
        e.xclient.data.l[0] = long(m_window);
        e.xclient.data.l[1] = l1;
        e.xclient.data.l[2] = l2;
        e.xclient.data.l[3] = l3;
        e.xclient.data.l[4] = l4;
        XSendEvent(display(), target, False, NoEventMask, &e);
        XSync(display(), False);
    }
    // Serves the selection and runs the frame until the message arrives.
    bool await(CEditorFrame& frame, const char* type)
    {
        for (int round = 0; round < 200; ++round) {
            frame.pumpEvents();
            while (XPending(display())) {
                XEvent e;
                XNextEvent(display(), &e);
                if (e.type == SelectionRequest) {
                    const XSelectionRequestEvent& r = e.xselectionrequest;
                    XChangeProperty(display(), r.requestor, r.property, r.target, 8, PropModeReplace,
                                    reinterpret_cast<const unsigned char*>(m_data.data()), int(m_data.size()));
                    XEvent reply {};
                    reply.xselection.type = SelectionNotify;
                    reply.xselection.requestor = r.requestor;
                    reply.xselection.selection = r.selection;
                    reply.xselection.target = r.target;
                    reply.xselection.property = r.property;
                    reply.xselection.time = r.time;
                    XSendEvent(display(), r.requestor, False, NoEventMask, &reply);
                    XSync(display(), False);
                } else if (e.type == ClientMessage && e.xclient.message_type == atom(type)) {
                    (std::string(type) == "XdndStatus" ? statusFlags : finishedAccepted) = e.xclient.data.l[1];
                    return true;
                }
            }
            usleep(2000);
        }
        return false;
    }

    const CHostWindow& m_host;
    Window m_window;
    std::string m_data;
};

TEST_F(FrameTest, DroppedFilesReachTheViewUnderThePointer)
{
    auto frame = openFrame();
    auto* probe = new CDropProbe({100, 100, 300, 300});
    frame->addView(probe);
    CDragSource source(m_host);
    ASSERT_TRUE(source.drop(*frame, frameWindow(m_host), {150, 160}, "file:///tmp/My%20Tuning.tun\r\n# comment\r\nfile:///tmp/b.scl\r\n"));
    EXPECT_EQ(source.statusFlags & 1, 1); // the frame takes text and file lists
    EXPECT_EQ(source.finishedAccepted & 1, 1);
    ASSERT_EQ(probe->drops.size(), 1u);
    EXPECT_EQ(probe->drops[0].kind, EDropKind::Files);
    EXPECT_EQ(probe->drops[0].items, (std::vector<std::string> {"/tmp/My Tuning.tun", "/tmp/b.scl"}));
    EXPECT_EQ(probe->at, (CPoint {150, 160}));

    // While a view has the focus, drops go nowhere.
    frame->setFocusedView(probe);
    ASSERT_TRUE(source.drop(*frame, frameWindow(m_host), {150, 160}, "file:///tmp/c.tun\r\n"));
    EXPECT_EQ(probe->drops.size(), 1u);
}

} // namespace
} // namespace qtest

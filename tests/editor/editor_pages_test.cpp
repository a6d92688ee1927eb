// Quorvix's editor as a host shows it: Quorvix.so loaded through its binary interface, the editor
// opened in a real X window, input through XTest, what it shows read back from the X server.
#include "gui_fixture.h"

#include "editor/toolkit/skin_image.h"
#include "host/plugin_host.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <set>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace qtest {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 510;
constexpr int kPages = 8;
constexpr int32_t kPageButton = 1024;
constexpr int32_t kChannel = 1006;
constexpr int32_t kMonoTimbral = 1022;
constexpr int32_t kAutoStore = 1023;
constexpr CPoint kPageButtonCentre[kPages] = {{50, 23}, {101, 23}, {152, 23}, {203, 23},
                                              {254, 23}, {305, 23}, {356, 23}, {407, 23}};
constexpr CPoint kProgramMinus {606, 41};
constexpr CPoint kProgramPlus {626, 41};
constexpr CPoint kChannelMenu {520, 20};

float listValue(int n, int count) { return (static_cast<float>(n) + 0.5f) / static_cast<float>(count); }

using CShot = std::vector<uint32_t>;

// Pixels of a rectangle of the shot that differ between two shots.
int differences(const CShot& a, const CShot& b, const CRect& r = {0, 0, kWidth, kHeight})
{
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            count += a[size_t(y * kWidth + x)] != b[size_t(y * kWidth + x)];
    return count;
}

class EditorPagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/quorvix-pages-XXXXXX";
        m_config = mkdtemp(pattern);
        setenv("XDG_CONFIG_HOME", m_config.c_str(), 1);
        // No dialog program: the plug-in's messages go to standard error instead of waiting for
        // a click on the test's display.
        m_path = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", "/nonexistent", 1);
    }
    void TearDown() override
    {
        if (m_plugin)
            m_plugin->close();
        m_plugin.reset();
        m_library.reset();
        setenv("PATH", m_path.c_str(), 1);
        std::system(("rm -rf '" + m_config + "'").c_str());
    }

    void load()
    {
        std::string error;
        m_library = qhost::CPluginLibrary::open(QUORVIX_PLUGIN_PATH, error);
        ASSERT_TRUE(m_library) << error;
        m_plugin = qhost::CPluginInstance::create(*m_library, {}, error);
        ASSERT_TRUE(m_plugin) << error;
        m_plugin->start();
    }
    // Mono timbral mode is read when the plug-in starts: switch it, then start again.
    void loadMultiTimbral()
    {
        load();
        m_plugin->setParameter(kMonoTimbral, 0.0f);
        m_plugin->close();
        m_plugin.reset();
        load();
        ASSERT_EQ(m_plugin->effect()->numOutputs, 8);
    }
    void open()
    {
        ASSERT_EQ(m_plugin->dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(m_host.window())), 1);
        idle(6);
    }
    void idle(int rounds = 4)
    {
        for (int i = 0; i < rounds; ++i) {
            XSync(m_host.display(), False);
            m_plugin->dispatch(vst::effEditIdle);
            usleep(3000);
        }
    }
    // Drags from `at` by dy pixels at each of `steps` host idles during the drag, then lets go;
    // what the host recorded of the gesture.
    std::vector<std::string> drag(CPoint at, int dy, int steps)
    {
        CInput input(m_host);
        int step = 0;
        m_plugin->state().onIdle = [&] {
            if (step < steps)
                input.moveBy(0, dy);
            else if (step == steps)
                input.release();
            ++step;
        };
        m_plugin->state().gestures.clear();
        input.move(at);
        input.press();
        idle(30);
        m_plugin->state().onIdle = nullptr;
        input.release();
        idle();
        return m_plugin->state().gestures;
    }
    void showPage(int page)
    {
        m_plugin->setParameter(kPageButton + page, 1.0f);
        idle();
    }
    Window editorWindow() const
    {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree(m_host.display(), m_host.window(), &root, &parent, &children, &count);
        const Window child = count == 1 ? children[0] : 0;
        if (children)
            XFree(children);
        return child;
    }
    CShot shot() const
    {
        CShot pixels(size_t(kWidth * kHeight), 0);
        const Window w = editorWindow();
        if (!w)
            return pixels;
        XImage* image = XGetImage(m_host.display(), w, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        if (!image)
            return pixels;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                pixels[size_t(y * kWidth + x)] = static_cast<uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF);
        XDestroyImage(image);
        return pixels;
    }
    static void save(const CShot& pixels, const std::string& name)
    {
        auto* image = new CSkinImage(kWidth, kHeight, pixels);
        image->writePng(std::string(QUORVIX_BUILD_DIR) + "/" + name);
        image->release();
    }
    // Controls that follow the mouse poll it inside the editor's idle: the release comes from
    // the host's idle callback there.
    void click(CPoint where)
    {
        CInput input(m_host);
        input.move(where);
        input.press();
        bool released = false;
        m_plugin->state().onIdle = [&] {
            if (!released)
                input.release();
            released = true;
        };
        idle(3);
        m_plugin->state().onIdle = nullptr;
        if (!released)
            input.release();
        idle(3);
    }
    std::string m_config;
    std::string m_path;
    CHostWindow m_host;
    std::unique_ptr<qhost::CPluginLibrary> m_library;
    std::unique_ptr<qhost::CPluginInstance> m_plugin;
};

TEST_F(EditorPagesTest, EveryPageDrawsItsOwnControlsAndTheButtonsSwitchToThem)
{
    load();
    open();
    const CShot first = shot();
    std::vector<CShot> pages;
    for (int page = 0; page < kPages; ++page) {
        showPage(page);
        pages.push_back(shot());
        save(pages.back(), "editor-page-" + std::to_string(page) + ".png");
        std::set<uint32_t> colours(pages.back().begin(), pages.back().end());
        EXPECT_GT(colours.size(), 200u) << "page " << page << " looks blank";
        for (int other = 0; other < page; ++other)
            EXPECT_GT(differences(pages[size_t(page)], pages[size_t(other)]), 5000) << page << " vs " << other;
    }
    // The navigation buttons show the same pages; a click goes through the real event path.
    for (int page : {3, 0, 7, 1}) {
        click(kPageButtonCentre[page]);
        EXPECT_LT(differences(shot(), pages[size_t(page)]), 200) << "button of page " << page;
    }
    // A new editor starts on OSC; the page survives closing and opening again.
    EXPECT_LT(differences(first, pages[1]), 200);
    click(kPageButtonCentre[5]);
    m_plugin->dispatch(vst::effEditClose);
    open();
    EXPECT_LT(differences(shot(), pages[5]), 200);
    m_plugin->dispatch(vst::effEditClose);
}

TEST_F(EditorPagesTest, StepButtonsStepTheProgramAndTheHostsProgramChangeRefreshesTheControls)
{
    load();
    open();
    ASSERT_EQ(m_plugin->dispatch(vst::effGetProgram), 0);
    click(kProgramPlus);
    EXPECT_EQ(m_plugin->dispatch(vst::effGetProgram), 1);
    click(kProgramMinus);
    click(kProgramMinus);
    EXPECT_EQ(m_plugin->dispatch(vst::effGetProgram), 63);

    // Program 5 made different: edited with auto-store on, which keeps the edits on leaving it.
    m_plugin->setParameter(kAutoStore, 1.0f);
    m_plugin->dispatch(vst::effSetProgram, 0, 5);
    for (int32_t number : {27, 35, 43})
        m_plugin->setParameter(number, 0.1f);
    showPage(0);
    m_plugin->dispatch(vst::effSetProgram, 0, 0);
    idle();
    const CShot before = shot();
    m_plugin->dispatch(vst::effSetProgram, 0, 5);
    idle();
    const CShot after = shot();
    EXPECT_GT(differences(before, after, {457, 32, 596, 51}), 50) << "the program menu shows the new program";
    EXPECT_GT(differences(before, after, {60, 58, 316, 272}), 300) << "the oscillator knobs follow the program";
    m_plugin->dispatch(vst::effEditClose);
}

TEST_F(EditorPagesTest, DraggingAKnobAutomatesTheTimbresOwnNumberAndTheHostMovesItBack)
{
    loadMultiTimbral();
    m_plugin->setParameter(kChannel, listValue(2, 4)); // timbre 3
    open();
    showPage(4); // Filter: "Freq" 108 at (210, 78)
    const float start = m_plugin->getParameter(708);
    const CShot before = shot();
    const std::vector<std::string> g = drag({230, 98}, -8, 6);
    ASSERT_GE(g.size(), 3u);
    EXPECT_EQ(g.front(), "begin 708");
    EXPECT_EQ(g.back(), "end 708");
    EXPECT_NE(std::find(g.begin(), g.end(), "automate 708"), g.end());
    EXPECT_GT(m_plugin->getParameter(708), start + 0.05f);
    const CShot dragged = shot();
    EXPECT_GT(differences(before, dragged, {210, 78, 250, 133}), 30);

    // The host sets the number back: the knob shows it again.
    m_plugin->setParameter(708, start);
    idle();
    EXPECT_LT(differences(before, shot(), {210, 78, 250, 133}), 5);
    m_plugin->dispatch(vst::effEditClose);
}

TEST_F(EditorPagesTest, TheOverviewAmountKnobEditsTheCombinerAsThePanelKnobDoes)
{
    load();
    open();
    showPage(2); // OSCMod: combiner 1's amount knob at (113, 452)
    const CRect panelKnob {113, 452, 153, 507};
    const CShot panelBefore = shot();
    showPage(0); // Overview: combiner 1's amount (71) at (346, 88)
    const std::vector<std::string> g = drag({366, 108}, 10, 5);
    ASSERT_GE(g.size(), 3u);
    EXPECT_EQ(g.front(), "begin 271");
    EXPECT_EQ(g.back(), "end 271");
    showPage(2);
    EXPECT_GT(differences(panelBefore, shot(), panelKnob), 30) << "the panel's knob shows the new amount";
    m_plugin->dispatch(vst::effEditClose);
}

// The amplitude envelope's graph on the Vol / FX page, and the top of the attack of program 0
// ("Lush Stereo Polysynth"), a sixteenth of a beat after the start.
constexpr CRect kAmplitudeGraph {19, 62, 19 + 531, 62 + 94};
constexpr CPoint kAttackPoint {30, 71};

// The first 50 ms of a note, summed up: a slower attack makes it smaller.
float attackSum(qhost::CPluginInstance& plugin)
{
    constexpr int kBlock = 441;
    std::vector<std::vector<float>> buffers(8, std::vector<float>(kBlock));
    std::vector<float*> outputs;
    for (auto& b : buffers)
        outputs.push_back(b.data());
    const auto render = [&](int blocks) {
        float sum = 0.0f;
        for (int i = 0; i < blocks; ++i) {
            plugin.processReplacing(outputs.data(), kBlock);
            for (float v : buffers[0])
                sum += std::abs(v);
        }
        return sum;
    };
    plugin.sendMidi({{0, {0x90, 60, 100}}});
    const float sum = render(5);
    plugin.sendMidi({{0, {0x80, 60, 0}}});
    render(100);
    return sum;
}

TEST_F(EditorPagesTest, DraggingTheAttackPointSlowsTheAttackAndEachProgramShowsItsOwnEnvelope)
{
    load();
    m_plugin->setParameter(kAutoStore, 1.0f); // leaving the program keeps the edit
    // No effects: nothing of one note is heard in the next.
    m_plugin->setParameter(163, 0.0f);
    m_plugin->setParameter(172, 0.0f);
    open();
    showPage(6);
    const float before = attackSum(*m_plugin);
    ASSERT_GT(before, 1.0f);
    ASSERT_NEAR(attackSum(*m_plugin), before, 0.05f * before) << "each note starts alike";
    const CShot original = shot();
    // Point 1 dragged 32 pixels right: the attack lasts a beat of the envelope's clock.
    CInput input(m_host);
    int step = 0;
    m_plugin->state().onIdle = [&] {
        if (step < 4)
            input.moveBy(8, 0);
        else if (step == 4)
            input.release();
        ++step;
    };
    input.move(kAttackPoint);
    input.press();
    idle(30);
    m_plugin->state().onIdle = nullptr;
    input.release();
    idle();
    const CShot dragged = shot();
    EXPECT_GT(differences(original, dragged, kAmplitudeGraph), 100) << "the graph shows the new attack";
    EXPECT_LT(attackSum(*m_plugin), 0.6f * before) << "the sound has the slower attack";

    // The host's program change shows the other program's envelope; back again, the edit is kept.
    m_plugin->dispatch(vst::effSetProgram, 0, 1);
    idle();
    const CShot other = shot();
    EXPECT_GT(differences(dragged, other, kAmplitudeGraph), 100);
    m_plugin->dispatch(vst::effSetProgram, 0, 0);
    idle();
    EXPECT_EQ(differences(dragged, shot(), kAmplitudeGraph), 0);
    EXPECT_LT(attackSum(*m_plugin), 0.6f * before);
    m_plugin->dispatch(vst::effEditClose);
}

TEST_F(EditorPagesTest, TheEnvelopeDisplaysFollowTheSelectedTimbre)
{
    loadMultiTimbral(); // timbre 1 starts with program 0, the others with program 63
    open();
    showPage(6);
    const CShot first = shot();
    m_plugin->setParameter(kChannel, listValue(1, 4));
    idle();
    const CShot second = shot();
    EXPECT_GT(differences(first, second, kAmplitudeGraph), 100);
    m_plugin->setParameter(kChannel, listValue(0, 4));
    idle();
    EXPECT_EQ(differences(first, shot(), kAmplitudeGraph), 0);
    m_plugin->dispatch(vst::effEditClose);
}

TEST_F(EditorPagesTest, DelayModusContinueRelabelsTheRunOnceSwitch)
{
    load();
    open();
    showPage(2);
    const CRect onceLabel {22, 98, 64, 110};
    const CShot before = shot();
    m_plugin->setParameter(58, listValue(2, 3)); // "Continue"
    idle();
    const CShot continuing = shot();
    EXPECT_GT(differences(before, continuing, onceLabel), 20) << "\"FirstKey\"";
    EXPECT_EQ(differences(before, continuing, {342, 98, 384, 110}), 0) << "the other panel keeps \"Once \"";
    m_plugin->setParameter(58, listValue(1, 3)); // "Hold"
    idle();
    EXPECT_EQ(differences(before, shot(), onceLabel), 0);
    m_plugin->dispatch(vst::effEditClose);
}

TEST_F(EditorPagesTest, TheOctaveFieldWorksOnlyWhileOversamplingFollowsTheFrequency)
{
    load();
    open();
    m_plugin->setParameter(52, listValue(1, 3)); // "Frequency", whatever the program has
    showPage(1);
    const CRect field {460, 404, 540, 421};
    const CPoint reset {557, 412};
    const float octave = m_plugin->getParameter(186);
    const CShot enabled = shot();
    m_plugin->setParameter(52, listValue(0, 3)); // "OFF"
    idle();
    EXPECT_GT(differences(enabled, shot(), field), 20) << "the field is greyed";
    click(reset);
    EXPECT_EQ(m_plugin->getParameter(186), octave);
    m_plugin->setParameter(52, listValue(1, 3)); // "Frequency"
    idle();
    EXPECT_EQ(differences(enabled, shot(), field), 0);
    click(reset);
    EXPECT_NE(m_plugin->getParameter(186), octave);
    m_plugin->dispatch(vst::effEditClose);
}

TEST_F(EditorPagesTest, FreqBoostRelabelsTheFirstEffectsKnobsOnBothPages)
{
    load();
    open();
    const CRect overviewFx1 {88, 356, 634, 370}, overviewFx2 {88, 434, 634, 448};
    const CRect volFx1 {30, 299, 634, 311}, volFx2 {30, 429, 634, 441};
    m_plugin->setParameter(163, listValue(0, 22)); // "None", whatever the program has
    showPage(0);
    const CShot overview = shot();
    showPage(6);
    const CShot volFx = shot();
    m_plugin->setParameter(163, listValue(11, 22)); // "Freq-Boost"
    idle();
    const CShot volFxAfter = shot();
    showPage(0);
    const CShot overviewAfter = shot();
    EXPECT_GT(differences(overview, overviewAfter, overviewFx1), 100);
    EXPECT_GT(differences(volFx, volFxAfter, volFx1), 100);
    EXPECT_EQ(differences(overview, overviewAfter, overviewFx2), 0);
    EXPECT_EQ(differences(volFx, volFxAfter, volFx2), 0);
    // Back to "None": the old labels again, with nothing of the booster's left behind.
    m_plugin->setParameter(163, listValue(0, 22));
    idle();
    EXPECT_EQ(differences(overview, shot(), overviewFx1), 0);
    m_plugin->dispatch(vst::effEditClose);
}

TEST_F(EditorPagesTest, ChannelIsAMenuOnlyInMultiTimbralMode)
{
    for (bool mono : {true, false}) {
        if (mono)
            load();
        else
            loadMultiTimbral();
        open();
        // Open the menu, two entries down, choose: timbre 3 where there is a menu.
        click(kChannelMenu);
        CInput input(m_host);
        input.tap(XK_Down);
        input.tap(XK_Down);
        input.tap(XK_Return);
        idle(4);
        EXPECT_FLOAT_EQ(m_plugin->getParameter(kChannel), listValue(mono ? 0 : 2, 4)) << (mono ? "mono" : "multi");
        m_plugin->dispatch(vst::effEditClose);
        m_plugin->close();
        m_plugin.reset();
    }
}

TEST_F(EditorPagesTest, OpensAndClosesWhileAudioAndAutomationRunOnAnotherThread)
{
    load();
    std::atomic<bool> running {true};
    std::thread audio([&] {
        std::vector<float> left(256), right(256);
        std::vector<std::vector<float>> extra(6, std::vector<float>(256));
        float* outputs[8] = {left.data(), right.data(), extra[0].data(), extra[1].data(),
                             extra[2].data(), extra[3].data(), extra[4].data(), extra[5].data()};
        float v = 0.0f;
        while (running) {
            m_plugin->processReplacing(outputs, 256);
            m_plugin->setParameter(108, v);
            v = v > 0.99f ? 0.0f : v + 0.01f;
        }
    });
    for (int cycle = 0; cycle < 25; ++cycle) {
        showPage(cycle % kPages);
        open();
        idle(3);
        ASSERT_NE(editorWindow(), 0u) << cycle;
        m_plugin->dispatch(vst::effEditClose);
        XSync(m_host.display(), False);
        ASSERT_EQ(m_host.childCount(), 0) << cycle;
    }
    running = false;
    audio.join();
}

} // namespace
} // namespace qtest

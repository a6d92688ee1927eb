// What an open editor costs while nothing changes: one host idle call (the window's events and the
// dirty check of every view) on a frame with a page's worth of controls. Needs an X display:
//   xvfb-run -a build/bench/quorvix_editor_bench
#include "editor/skin/skin.h"
#include "editor/toolkit/editor_frame.h"
#include "editor/toolkit/knob_value_field.h"
#include "editor/toolkit/skin_image.h"
#include "editor/toolkit/skin_knob.h"
#include "editor/toolkit/skin_menu.h"

#include <X11/Xlib.h>
#include <benchmark/benchmark.h>

#include <time.h>

namespace {

using namespace quorvix;

// Ardour calls the editor's idle every 40 ms.
constexpr double kHostIdleRate = 25.0;
constexpr int kKnobs = 60;
constexpr int kMenus = 20;

double cpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void BM_IdleOpenEditor(benchmark::State& state)
{
    // One connection for every run: servers refuse new ones for a moment after others closed.
    static Display* display = XOpenDisplay(nullptr);
    if (!display) {
        state.SkipWithError("no X display (run under xvfb-run)");
        return;
    }
    const Window host = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 640, 510, 0, 0, 0);
    XMapWindow(display, host);
    XSync(display, False);
    const CSkin skin;
    {
        CEditorFrame frame({0, 0, 640, 510}, host, nullptr);
        frame.setBackground(skin.bitmap(ESkinBitmap::Background));
        for (int i = 0; i < kKnobs; ++i) {
            auto* knob = new CSkinKnob({10 + (i % 10) * 62, 60 + (i / 10) * 70}, nullptr, i,
                                       skin.bitmap(ESkinBitmap::KnobMap), skin.knobFrames(ESkinPage::Osc), false);
            frame.addView(knob);
            frame.addView(new CKnobValueField(knob, kGrey, kWhite));
        }
        for (int i = 0; i < kMenus; ++i) {
            auto* menu = new CSkinMenu({10 + (i % 5) * 120, 480 - (i / 5) * 20}, nullptr, 0,
                                       skin.bitmap(ESkinBitmap::OptionsMenuMedium), kWhite);
            menu->addEntry("Entry");
            frame.addView(menu);
        }
        frame.drawView();
        frame.idle();
        const double before = cpuSeconds();
        for (auto _ : state) {
            frame.pumpEvents();
            frame.idle();
        }
        // CPU seconds per call × calls per second, in percent of one core.
        state.counters["core_percent_at_25Hz"] =
            (cpuSeconds() - before) / static_cast<double>(state.iterations()) * kHostIdleRate * 100.0;
        state.counters["views"] = frame.viewCount();
    }
    XDestroyWindow(display, host);
    XSync(display, False);
}
BENCHMARK(BM_IdleOpenEditor);

} // namespace

BENCHMARK_MAIN();

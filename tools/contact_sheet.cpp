// Draws a contact sheet of a factory bank source: every program plays a phrase across the keyboard
// through a timbre (3 s at 44.1 kHz), drawn as a small spectrogram with its level curve and
// labelled with its number, name and category. For looking at a bank while designing it.
//   quorvix_contact_sheet SOURCE.qvx OUT.png
#include "dsp/fourier_analyser.h"
#include "presets/audition.h"
#include "presets/factory_bank.h"
#include "presets/preset_source.h"

#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace quorvix;

constexpr double kSeconds = 3.0;
// The phrase: keys with their start and end in seconds.
struct CPhraseNote {
    int key;
    double on, off;
};
constexpr CPhraseNote kPhrase[] = {{36, 0.0, 0.55}, {48, 0.6, 1.15}, {60, 1.2, 1.75}, {72, 1.8, 2.45}};
constexpr int kVelocity = 100;

constexpr int kFftSize = 1024;
constexpr int kHop = 512;
constexpr double kLowestHz = 30.0;
constexpr double kHighestHz = 16000.0;
constexpr double kFloorDb = -96.0;
constexpr double kLevelFloorDb = -60.0;

constexpr int kColumns = 8;
constexpr int kCellWidth = 260;
constexpr int kPlotHeight = 120;
constexpr int kLabelHeight = 22;
constexpr int kCellHeight = kPlotHeight + kLabelHeight + 8;
constexpr int kMargin = 10;
constexpr int kTitleHeight = 40;

struct CRender {
    std::vector<float> mono; // left + right over 2
};

CRender renderPhrase(CAudition& audition, const CSound& sound)
{
    const int frames = static_cast<int>(kSeconds * kAuditionRate);
    audition.load(sound);
    struct CEvent {
        int frame, key;
        bool on;
    };
    std::vector<CEvent> events;
    for (const CPhraseNote& n : kPhrase) {
        events.push_back({static_cast<int>(n.on * kAuditionRate), n.key, true});
        events.push_back({static_cast<int>(n.off * kAuditionRate), n.key, false});
    }
    std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
    constexpr int kBlock = 512;
    for (int start = 0; start < frames; start += kBlock) {
        const int n = std::min(kBlock, frames - start);
        for (const CEvent& e : events)
            if (e.frame >= start && e.frame < start + n) {
                if (e.on)
                    audition.noteOn(e.key, kVelocity, e.frame - start);
                else
                    audition.noteOff(e.key, e.frame - start);
            }
        audition.render(left.data() + start, right.data() + start, n);
    }
    CRender r;
    r.mono.resize(left.size());
    for (size_t i = 0; i < left.size(); ++i)
        r.mono[i] = 0.5f * (left[i] + right[i]);
    return r;
}

// Dark blue through violet and orange to pale yellow.
void heat(double t, double& r, double& g, double& b)
{
    t = std::clamp(t, 0.0, 1.0);
    r = std::clamp(1.6 * t - 0.1, 0.0, 1.0);
    g = std::clamp(1.8 * t * t - 0.1, 0.0, 1.0);
    b = std::clamp(0.35 + 0.9 * t - 1.4 * t * t + 0.7 * t * t * t * t, 0.0, 1.0);
}

void drawCell(cairo_t* cr, double x0, double y0, const CSourceProgram& program, int number, const CRender& render)
{
    CFourierAnalyser analyser(kFftSize);
    const int columns = static_cast<int>((render.mono.size() - kFftSize) / kHop);
    const double columnWidth = static_cast<double>(kCellWidth) / columns;
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, columns, kPlotHeight);
    cairo_surface_flush(image);
    unsigned char* pixels = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    std::vector<float> magnitudes;
    std::vector<double> levels;
    for (int c = 0; c < columns; ++c) {
        const float* frame = render.mono.data() + static_cast<size_t>(c) * kHop;
        analyser.analyse(frame, magnitudes);
        double sum = 0.0;
        for (int i = 0; i < kFftSize; ++i)
            sum += double(frame[i]) * frame[i];
        levels.push_back(10.0 * std::log10(sum / kFftSize + 1e-12));
        for (int y = 0; y < kPlotHeight; ++y) {
            // logarithmic frequency, lowest at the bottom
            const double hz = kLowestHz * std::pow(kHighestHz / kLowestHz, (kPlotHeight - y - 0.5) / kPlotHeight);
            const double bin = hz * kFftSize / kAuditionRate;
            const size_t b = std::min(static_cast<size_t>(bin), magnitudes.size() - 2);
            const double m = magnitudes[b] + (bin - static_cast<double>(b)) * (magnitudes[b + 1] - magnitudes[b]);
            double r, g, bl;
            heat((20.0 * std::log10(m + 1e-9) - kFloorDb) / -kFloorDb, r, g, bl);
            auto* pixel = reinterpret_cast<uint32_t*>(pixels + y * stride) + c;
            *pixel = uint32_t(255 * r) << 16 | uint32_t(255 * g) << 8 | uint32_t(255 * bl);
        }
    }
    cairo_surface_mark_dirty(image);
    cairo_save(cr);
    cairo_translate(cr, x0, y0);
    cairo_scale(cr, columnWidth, 1.0);
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(image);
    // The level curve over the spectrogram, 0 dBFS at the top.
    cairo_set_source_rgba(cr, 0.4, 1.0, 0.6, 0.9);
    cairo_set_line_width(cr, 1.4);
    for (int c = 0; c < columns; ++c) {
        const double t = std::clamp(levels[static_cast<size_t>(c)] / kLevelFloorDb, 0.0, 1.0);
        const double x = x0 + (c + 0.5) * columnWidth, y = y0 + t * kPlotHeight;
        if (c == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    cairo_stroke(cr);

    const std::string label = std::to_string(number) + "  " + program.program.name;
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 12.0);
    cairo_set_source_rgb(cr, 0.92, 0.93, 0.95);
    cairo_move_to(cr, x0, y0 + kPlotHeight + 15);
    cairo_show_text(cr, label.c_str());
    std::string tag = categoryName(program.category);
    if (program.drone)
        tag += " drone";
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11.0);
    cairo_text_extents_t e;
    cairo_text_extents(cr, tag.c_str(), &e);
    cairo_set_source_rgb(cr, 0.6, 0.66, 0.74);
    cairo_move_to(cr, x0 + kCellWidth - e.x_advance, y0 + kPlotHeight + 15);
    cairo_show_text(cr, tag.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: quorvix_contact_sheet SOURCE.qvx OUT.png\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    CSourceBank bank;
    const std::vector<CSourceError> errors = readPresetSource(text.str(), bank);
    for (const CSourceError& e : errors)
        std::cerr << errorText(argv[1], e) << "\n";
    if (!in || !errors.empty())
        return 1;

    const int rows = (static_cast<int>(bank.programs.size()) + kColumns - 1) / kColumns;
    const int width = kMargin + kColumns * (kCellWidth + kMargin);
    const int height = kTitleHeight + rows * (kCellHeight + kMargin) + kMargin;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.09, 0.1, 0.12);
    cairo_paint(cr);
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 20.0);
    cairo_set_source_rgb(cr, 0.92, 0.93, 0.95);
    cairo_move_to(cr, kMargin, 28);
    const std::string title = "Bank " + std::to_string(bank.selector) + "  " + bank.name +
                              "   (keys 36 48 60 72 at velocity 100, 3 s; level curve 0..-60 dB)";
    cairo_show_text(cr, title.c_str());

    CAudition audition;
    for (size_t i = 0; i < bank.programs.size(); ++i) {
        CProgram program = bank.programs[i].program;
        adjustFactoryProgram(program);
        const int column = static_cast<int>(i) % kColumns, row = static_cast<int>(i) / kColumns;
        drawCell(cr, kMargin + column * (kCellWidth + kMargin), kTitleHeight + row * (kCellHeight + kMargin),
                 bank.programs[i], static_cast<int>(i), renderPhrase(audition, program));
    }
    cairo_destroy(cr);
    const cairo_status_t status = cairo_surface_write_to_png(surface, argv[2]);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::cerr << argv[2] << ": " << cairo_status_to_string(status) << "\n";
        return 1;
    }
    return 0;
}

// One of every control on the built-in skin, drawn offscreen and written as PNG, so that the look
// can be judged at a glance:  quorvix_gallery OUT.png
#include "editor/skin/skin.h"
#include "editor/toolkit/editor_frame.h"
#include "editor/toolkit/knob_value_field.h"
#include "editor/toolkit/painter.h"
#include "editor/toolkit/popup_grid.h"
#include "editor/toolkit/rotary_knob.h"
#include "editor/toolkit/section_title.h"
#include "editor/toolkit/skin_button.h"
#include "editor/toolkit/skin_image.h"
#include "editor/toolkit/skin_image_view.h"
#include "editor/toolkit/skin_knob.h"
#include "editor/toolkit/skin_label.h"
#include "editor/toolkit/skin_menu.h"
#include "editor/toolkit/skin_toggle.h"
#include "editor/toolkit/text_field.h"

#include <cstdio>
#include <string>

namespace {

using namespace quorvix;

class CGallery {
public:
    explicit CGallery(const CSkin& skin) : m_skin(skin), m_frame({0, 0, 640, 510}, 0, nullptr)
    {
        m_frame.setBackground(skin.bitmap(ESkinBitmap::Background));
    }

    CColor labelColor() const { return m_skin.color(ESkinColor::ParamLabelText); }

    void title(const CRect& panel, const std::string& text, ESkinPage page)
    {
        m_frame.addView(new CSectionTitle({panel.left + 2, panel.top + 4}, panel.height() - 8, text,
                                          m_skin.vertLabelColor(page), m_skin.color(ESkinColor::VertLabelText),
                                          text.size() * 11 > size_t(panel.height() - 8)));
    }

    CSkinKnob* knob(CPoint at, const std::string& label, float value, ESkinPage page)
    {
        auto* k = new CSkinKnob(at, nullptr, 0, m_skin.forPage(ESkinBitmap::KnobMap, page), m_skin.knobFrames(page),
                                m_skin.isTransparentForPage(ESkinBitmap::KnobMap, page));
        k->setValue(value);
        m_frame.addView(k);
        m_frame.addView(new CKnobValueField(k, m_skin.color(ESkinColor::ParamLabelBackground), labelColor()));
        if (!label.empty())
            m_frame.addView(new CSkinLabel({at.x - 10, at.y - 13}, 60, label, labelColor()));
        return k;
    }

    CSkinMenu* menu(CPoint at, ESkinBitmap image, std::initializer_list<const char*> entries, int current)
    {
        auto* m = new CSkinMenu(at, nullptr, 0, m_skin.bitmap(image), m_skin.color(ESkinColor::OptMenuText));
        for (const char* e : entries)
            m->addEntry(e);
        m->setIndex(current);
        m_frame.addView(m);
        return m;
    }

    void label(CPoint at, int width, const std::string& text, int align = kAlignCenter)
    {
        m_frame.addView(new CSkinLabel(at, width, text, labelColor(), align));
    }

    void build()
    {
        const CColor muted {150, 156, 166};
        // The navigation bar.
        const char* pages[] = {"Overview", "OSC", "OSCMod", "Shaper", "Filter", "FilterMod", "Vol / FX", "Misc"};
        for (int i = 0; i < 8; ++i) {
            m_frame.addView(new CSkinLabel({30 + 51 * i - 5, 0}, 50, pages[i], i == 1 ? labelColor() : muted));
            auto* page = new CSkinToggle({30 + 51 * i, 13}, nullptr, 1024 + i, m_skin.bitmap(ESkinBitmap::OnOffButton));
            page->setValue(i == 1 ? 1.0f : 0.0f);
            m_frame.addView(page);
        }
        label({457, 0}, 139, "Channel");
        menu({457, 12}, ESkinBitmap::OptionsMenuBig, {"1(Poly)/2(Mono)", "3(Poly)/4(Mono)"}, 0);
        menu({457, 32}, ESkinBitmap::OptionsMenuBig, {"0:Glass Pad", "1:Sub Bass"}, 0);
        m_frame.addView(new CSkinButton({597, 32}, nullptr, 1008, m_skin.bitmap(ESkinBitmap::ButtonMinus)));
        auto* plus = new CSkinButton({617, 32}, nullptr, 1009, m_skin.bitmap(ESkinBitmap::ButtonPlus));
        plus->setValue(1.0f);
        m_frame.addView(plus);

        // Oscillators: knob rows on the oscillator page's colours.
        title({6, 58, 316, 290}, "OSC", ESkinPage::Osc);
        const char* oscLabels[] = {"Pulse", "Symmetry", "Phase", "Weight"};
        for (int row = 0; row < 3; ++row)
            for (int k = 0; k < 4; ++k)
                knob({42 + 70 * k, 84 + 72 * row}, oscLabels[k], (row * 4 + k) / 11.0f, ESkinPage::Osc);

        title({322, 58, 634, 172}, "OSC MOD", ESkinPage::OscMod);
        menu({346, 68}, ESkinBitmap::OptionsMenuMedium, {"Sine", "Saw"}, 1);
        label({346, 92}, 42, "Once ", kAlignLeft);
        m_frame.addView(new CSkinToggle({346, 104}, nullptr, 0, m_skin.bitmap(ESkinBitmap::OnOffButton)));
        label({391, 92}, 87, "Sync ", kAlignLeft);
        menu({391, 106}, ESkinBitmap::OptionsMenuSmall, {"1/4 Beat", "1 Beat"}, 1);
        knob({496, 84}, "Speed", 0.35f, ESkinPage::OscMod);
        auto* delay = knob({566, 84}, "", 0.7f, ESkinPage::OscMod);
        auto* modus = new CSkinMenu(*delay, nullptr, 0, m_skin.color(ESkinColor::ParamLabelBackground), labelColor());
        for (const char* e : {"Delay", "Hold", "Continue"})
            modus->addEntry(e);
        modus->setIndex(1);
        m_frame.addView(modus);

        title({322, 176, 634, 290}, "FILTER MOD", ESkinPage::FilterMod);
        for (int k = 0; k < 4; ++k)
            knob({352 + 70 * k, 208}, k == 0 ? "Cutoff" : k == 1 ? "Res" : k == 2 ? "Pan" : "Volume", 0.2f + 0.2f * k,
                 ESkinPage::FilterMod);

        title({6, 294, 190, 370}, "SHAPER", ESkinPage::WaveShaper);
        knob({36, 316}, "Gain", 0.6f, ESkinPage::WaveShaper);
        // A plain rotary knob with its handle line, on a value display of every frame style.
        auto* plain = new CRotaryKnob(CRect::sized(96, 316, 40, 40), nullptr, 0);
        plain->setValue(0.3f);
        m_frame.addView(plain);
        auto* bevel = new CValueDisplay(CRect::sized(140, 318, 44, 15), nullptr, 0, nullptr, kStyleBevelIn | kStyleShadowText);
        bevel->setBackgroundColor({30, 33, 38});
        bevel->setBorderColor({70, 76, 86});
        bevel->setShadowColor({0, 0, 0});
        bevel->setFont(4);
        bevel->setValue(0.42f);
        m_frame.addView(bevel);
        auto* boxed = new CValueDisplay(CRect::sized(140, 340, 44, 15), nullptr, 0, nullptr, kStyleBevelOut);
        boxed->setBackgroundColor({70, 76, 86});
        boxed->setBorderColor({30, 33, 38});
        boxed->setFont(4);
        boxed->setValueFormatter([](float v) { return std::to_string(static_cast<int>(v * 100)) + " %"; });
        boxed->setValue(0.75f);
        m_frame.addView(boxed);

        title({194, 294, 316, 370}, "MASTER", ESkinPage::Misc);
        knob({214, 316}, "Volume", 0.8f, ESkinPage::VolFx);
        knob({266, 316}, "Pan", 0.5f, ESkinPage::VolFx);

        title({322, 294, 634, 370}, "FILTER", ESkinPage::Filter);
        auto* filter = new CPopupGrid({342, 312}, nullptr, 105, 9, m_skin.bitmap(ESkinBitmap::FilterMap),
                                      m_skin.bitmap(ESkinBitmap::HighlightenedFilterMap));
        filter->setValue(1.5f / 9.0f);
        m_frame.addView(filter);
        knob({406, 316}, "Freq", 0.55f, ESkinPage::Filter);
        knob({466, 316}, "Res", 0.3f, ESkinPage::Filter);
        label({520, 302}, 40, "Res.Freq");
        auto* on = new CSkinToggle({520, 316}, nullptr, 0, m_skin.bitmap(ESkinBitmap::OnOffButtonLabel));
        on->setValue(1.0f);
        m_frame.addView(on);
        label({565, 302}, 60, "Limiter");
        m_frame.addView(new CSkinToggle({575, 316}, nullptr, 0, m_skin.bitmap(ESkinBitmap::OnOffButton)));
        auto* onSwitch = new CSkinToggle({575, 340}, nullptr, 0, m_skin.bitmap(ESkinBitmap::OnOffButton));
        onSwitch->setValue(1.0f);
        m_frame.addView(onSwitch);

        title({6, 374, 634, 440}, "FX 1", ESkinPage::VolFx);
        const char* fx[] = {"Delay 1", "Delay 2", "HiDamp1", "HiDamp2", "Gain 1", "Gain 2", "Spread", "Mix"};
        for (int k = 0; k < 8; ++k)
            knob({40 + 74 * k, 393}, fx[k], 0.1f + 0.1f * k, ESkinPage::VolFx);

        title({6, 444, 634, 506}, "FX 2", ESkinPage::VolFx);
        menu({30, 452}, ESkinBitmap::OptionsMenuBig, {"None", "Stereo Delay", "Chorus"}, 2);
        auto* name = new CTextField(CRect::sized(30, 478, 139, 18), nullptr, 0, "Glass Pad");
        name->setBackgroundColor({18, 20, 23});
        name->setTextColor({226, 229, 234});
        name->setBorderColor({66, 71, 81});
        name->setAlignment(kAlignLeft);
        m_frame.addView(name);
        m_frame.addView(new CSkinImageView({180, 449}, m_skin.bitmap(ESkinBitmap::HorzLine)));
        auto* wide = new CSkinImageView({180, 454}, m_skin.bitmap(ESkinBitmap::OptionsMenuMedium));
        m_frame.addView(wide);
        auto* edit = new CTextField(CRect::sized(300, 454, 113, 19), nullptr, 0, "Typed 0.25");
        edit->setBackgroundColor({18, 20, 23});
        edit->setTextColor({226, 229, 234});
        edit->setAlignment(kAlignLeft);
        m_frame.addView(edit);
        m_frame.setFocusedView(edit); // shows the line editor with its selection
        m_frame.addView(new CSkinImageView({425, 446}, scaledLogo()));
    }

    // The logo at a quarter of its frame, as a preview in the corner.
    CSkinImage* scaledLogo()
    {
        const CSkinImage* logo = m_skin.bitmap(ESkinBitmap::AboutLogo);
        std::vector<uint32_t> pixels(86 * 57);
        for (int y = 0; y < 57; ++y)
            for (int x = 0; x < 86; ++x) {
                const CColor c = logo->pixel(x * 2, 10 + y * 2);
                pixels[size_t(y * 86 + x)] = (uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) | c.blue;
            }
        auto* image = new CSkinImage(86, 57, pixels);
        m_owned.push_back(image);
        return image;
    }

    bool write(const std::string& path)
    {
        m_frame.drawView();
        CSkinImage* shot = m_frame.snapshot();
        const bool written = shot->writePng(path);
        shot->release();
        return written;
    }

    ~CGallery()
    {
        m_frame.removeAllViews(true);
        for (CSkinImage* image : m_owned)
            image->release();
    }

private:
    const CSkin& m_skin;
    CEditorFrame m_frame;
    std::vector<CSkinImage*> m_owned;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
        return 2;
    }
    const CSkin skin;
    CGallery gallery(skin);
    gallery.build();
    if (!gallery.write(argv[1])) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s\n", argv[1]);
    return 0;
}

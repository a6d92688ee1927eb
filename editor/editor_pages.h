// The eight pages of the editor and the views on them that follow the plug-in beyond a single
// number: the oscilloscopes, the shaper display, the combiner panels, the envelope displays, the
// run-once labels, the program list, the tuning lines and the skin selector.
#pragma once

#include "editor/envelope_display.h"
#include "editor/toolkit/geometry.h"
#include "engine/voice.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace quorvix {

class CCombinerPanel;
class CEffectBase;
class COscilloscope;
class CPageSet;
class CShaperDisplay;
class CSkin;
class CSkinPreview;
class CSkinLabel;
class CSkinMenu;
class CValueControl;
class CValueDisplay;
class CValueListener;
class CWidget;

struct CRunOnceLabel {
    int modusNumber = 0;
    CSkinLabel* label = nullptr;
};

class CKnobValueField;

// An Overview amount knob's label (its destination's name) and value field (its destination's text).
struct CAmountKnob {
    int section = 0; // 0 oscillator, 1 filter
    int combiner = 0;
    CSkinLabel* label = nullptr;
    CKnobValueField* field = nullptr;
};

class CEditorPanels : public CEnvelopeListener {
public:
    explicit CEditorPanels(CEffectBase* effect);
    ~CEditorPanels() override;
    CEditorPanels(const CEditorPanels&) = delete;
    CEditorPanels& operator=(const CEditorPanels&) = delete;

    // What else follows a number's new value.
    void showValue(int number, float value);
    // After a change of timbre, program or settings: the lists and the module views again.
    void rebind();
    // Takes the controls that edit a module directly; true when it did.
    bool valueChanged(CValueControl* control);
    // The envelope displays show the selected timbre's envelopes again where they changed.
    void showEnvelopes();
    // An envelope display's edit goes into the selected timbre's envelope.
    void envelopeChanged(CEnvelopeDisplay* display, const CEnvelopeShape& shape) override;

    std::array<COscilloscope*, 3> oscilloscopes {};
    CShaperDisplay* shaper = nullptr;
    std::vector<CRunOnceLabel> runOnceLabels;
    std::vector<CAmountKnob> amountKnobs;
    // The FilterMod page's envelopes and combiner panel, shown again on the Shaper and Filter pages.
    std::vector<CWidget*> mirrored;
    std::array<std::unique_ptr<CCombinerPanel>, 2> combiners;
    // In the voice's order: OSCMod 1 and 2, FilterMod 1 and 2, amplitude (tags 1001 to 1005).
    std::array<CEnvelopeDisplay*, kEnvelopeCount> envelopes {};
    CSkinMenu* programMenu = nullptr;
    // Enabled only while oversampling (52) is "Frequency": the octave field and its reset button.
    CValueDisplay* octaveField = nullptr;
    CValueControl* octaveReset = nullptr;
    CColor octaveText;
    std::array<CSkinLabel*, 3> tuningLines {};
    CSkinMenu* skinMenu = nullptr;
    std::vector<std::string> skinNames;
    CSkinPreview* skinPreview = nullptr;

private:
    // The Overview's amount knobs take their destinations' names and texts.
    void showCombiners();
    void showTuning();

    CEffectBase* m_effect;
};

// Builds every page's views into pages; the special ones are also noted in panels.
void buildPages(CPageSet& pages, CEditorPanels& panels, const CSkin& skin, CValueListener* listener,
                CEffectBase* effect);

} // namespace quorvix

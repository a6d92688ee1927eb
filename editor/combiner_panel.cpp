#include "editor/combiner_panel.h"

#include "editor/page_builder.h"
#include "editor/toolkit/knob_value_field.h"
#include "editor/toolkit/rotary_knob.h"
#include "editor/toolkit/skin_knob.h"
#include "editor/toolkit/skin_label.h"
#include "editor/toolkit/skin_menu.h"
#include "plugin/synth_plugin.h"

namespace quorvix {

namespace {

constexpr int kColumnLeft = 68;
constexpr int kColumnStep = 95;
constexpr int kMenuWidth = 87;
constexpr int kRowLabelWidth = 60;
constexpr int kSourcesPerColumn = 16;
constexpr int kDestinationsPerColumn = 10;
constexpr int kFixedLeft = 543;
constexpr int kFixedFieldLeft = 559;
constexpr int kFixedValues = 4;

} // namespace

CCombinerPanel::CCombinerPanel(CPageBuilder& b, CPoint o, int base, ESkinPage knobSet, ESectionKind kind)
    : m_base(base), m_kind(kind)
{
    std::vector<std::string> sources;
    for (int s = 0; s < kModSources; ++s)
        sources.emplace_back(sourceName(s));
    std::vector<std::string> operators;
    for (int op = 0; op < kCombinerOperators; ++op)
        operators.emplace_back(combinerOperatorName(op));
    std::vector<std::string> destinations;
    for (int d = 0; d < destinationCount(kind); ++d)
        destinations.emplace_back(destinationName(kind, d));
    const char* rows[] = {"Source 1:", "Operator:", "Source 2:", "Destination:"};
    for (int r = 0; r < 4; ++r)
        b.label({o.x, o.y + 18 + 22 * r}, kRowLabelWidth, rows[r], kAlignLeft);
    for (int i = 0; i < kCombiners; ++i) {
        const int x = o.x + kColumnLeft + kColumnStep * i;
        const int tag = base + 5 * i;
        CColumn& c = m_columns[static_cast<size_t>(i)];
        b.label({x, o.y}, kMenuWidth, "Comb " + std::to_string(i + 1));
        c.source1 = b.menu({x, o.y + 15}, ESkinBitmap::OptionsMenuSmall, tag, sources, kSourcesPerColumn);
        c.op = b.menu({x, o.y + 37}, ESkinBitmap::OptionsMenuSmall, tag + 1, operators);
        c.source2 = b.menu({x, o.y + 59}, ESkinBitmap::OptionsMenuSmall, tag + 2, sources, kSourcesPerColumn);
        c.destination =
            b.menu({x, o.y + 81}, ESkinBitmap::OptionsMenuSmall, tag + 3, destinations, kDestinationsPerColumn);
        const CPlacedKnob amount = b.knob({x + 23, o.y + 103}, "", tag + 4, knobSet);
        amount.label->setText("");
        c.amount = amount.knob;
        c.amount->setDefaultValue(0.5f);
        c.amountField = amount.field;
    }
    b.label({o.x + kFixedLeft, o.y}, kMenuWidth, "Fixed Values:", kAlignLeft);
    const CColor text = b.skin().color(ESkinColor::ParamLabelText);
    const CColor back = b.skin().color(ESkinColor::ParamLabelBackground);
    for (int j = 0; j < kFixedValues; ++j) {
        const int y = o.y + 18 + 22 * j;
        const char name[] = {static_cast<char>('a' + j), ':', '\0'};
        b.label({o.x + kFixedLeft, y}, 15, name, kAlignLeft);
        // The field edits a knob of its own that is never shown.
        auto* value = new CRotaryKnob(CRect::sized(o.x + kFixedFieldLeft, y - CKnobValueField::kHeight * 3,
                                                    CKnobValueField::kWidth, CKnobValueField::kHeight * 3),
                                      b.listener(), base + 5 * kCombiners + j);
        auto* field = new CKnobValueField(value, back, text);
        value->release();
        field->setDisplayFormatter(fixedValueText);
        field->setEntryParser(parseFixedValue);
        b.add(field);
        m_values[static_cast<size_t>(j)] = value;
        m_valueFields[static_cast<size_t>(j)] = field;
    }
}

CCombinerPanel::~CCombinerPanel() = default;

const CModSection* CCombinerPanel::section() const
{
    if (!m_plugin)
        return nullptr;
    const CVoice& voice = m_plugin->timbre(m_plugin->selectedTimbre()).masterVoice();
    return m_kind == ESectionKind::Oscillator ? &voice.oscillatorSection() : &voice.filterSection();
}

void CCombinerPanel::bind(CSynthPlugin* plugin)
{
    m_plugin = plugin;
    refresh();
}

void CCombinerPanel::setAmountTexts(CKnobValueField& field, int combiner) const
{
    const CModSection* s = section();
    const int destination = s ? s->combiner(combiner).destination : 0;
    const ESectionKind kind = m_kind;
    field.setDisplayFormatter([kind, destination](float v) { return combinerAmountText(kind, destination, v); });
    field.setEntryParser([kind, destination](const std::string& typed, float& v) {
        return parseCombinerAmount(kind, destination, typed, v);
    });
    field.setDirty(true);
}

void CCombinerPanel::refresh()
{
    const CModSection* s = section();
    if (!s)
        return;
    for (int i = 0; i < kCombiners; ++i) {
        const CCombiner& c = s->combiner(i);
        CColumn& column = m_columns[static_cast<size_t>(i)];
        column.source1->setIndex(c.source1);
        column.op->setIndex(c.op);
        column.source2->setIndex(c.source2);
        column.destination->setIndex(c.destination);
        column.amount->setValue(amountToNormalized(m_kind, c.destination, c.amount));
        setAmountTexts(*column.amountField, i);
        for (CValueControl* control : {static_cast<CValueControl*>(column.source1), static_cast<CValueControl*>(column.op),
                                       static_cast<CValueControl*>(column.source2),
                                       static_cast<CValueControl*>(column.destination)})
            control->setDirty(true);
    }
    for (int j = 0; j < kFixedValues; ++j) {
        m_values[static_cast<size_t>(j)]->setValue((s->value(j) + kFixedOffset) / kFixedScale);
        m_valueFields[static_cast<size_t>(j)]->setDirty(true);
    }
}

bool CCombinerPanel::valueChanged(CValueControl* control)
{
    const int tag = control->getTag();
    if (!owns(tag) || !m_plugin)
        return false;
    const int offset = tag - m_base;
    const float value = control->getValue();
    const bool oscillator = m_kind == ESectionKind::Oscillator;
    const auto* menu = dynamic_cast<const CSkinMenu*>(control);
    const int index = menu ? menu->getIndex() : 0;
    m_plugin->editSelectedTimbre([&](CTimbre& timbre) {
        CVoice& voice = timbre.voice(kMonoVoice);
        CModSection& s = oscillator ? voice.oscillatorSection() : voice.filterSection();
        if (offset >= 5 * kCombiners) {
            s.setValue(offset - 5 * kCombiners, value);
        } else {
            const int i = offset / 5;
            switch (offset % 5) {
            case 0: s.setSource1(i, index); break;
            case 1: s.setOperator(i, index); break;
            case 2: s.setSource2(i, index); break;
            case 3: s.setDestination(i, index); break;
            default: s.setAmount(i, value); break;
            }
        }
        timbre.copyModulesToVoices();
    });
    m_plugin->automateParameter(tag, value);
    refresh();
    return true;
}

} // namespace quorvix

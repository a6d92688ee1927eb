#include "editor/editor.h"

#include "editor/editor_pages.h"
#include "editor/effect_knobs.h"
#include "editor/page_builder.h"
#include "editor/page_set.h"
#include "editor/skin/skin.h"
#include "editor/toolkit/editor_frame.h"
#include "editor/toolkit/knob_value_field.h"
#include "editor/toolkit/skin_label.h"
#include "editor/toolkit/skin_menu.h"
#include "engine/engine_context.h"
#include "plugin/synth_plugin.h"
#include "presets/editor_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>

namespace quorvix {

namespace {

constexpr int kPageButtonLast = cmd::NaviButtonFirst + kPageCount - 1;
constexpr int kEffectTypeNumbers[] = {163, 172};
constexpr int kOctaveNumber = 186;
constexpr int kOctaveResetButton = 187;
constexpr int kPolyphonyNumber = 185;
// The value of a released kick button.
constexpr float kReleased = 0.5f;

CKeyEvent toolkitKey(const CKeyCode& key) { return {key.character, key.virt, key.modifier}; }

bool isCombinerTag(int tag) { return (tag >= 67 && tag <= 95) || (tag >= 129 && tag <= 157); }

// Numbers the plug-in applies and reports to the host as automation.
bool isAutomated(int tag) { return tag >= kAliasCount && tag <= kOctaveNumber && tag != kPolyphonyNumber && !isCombinerTag(tag); }

// Settings the plug-in applies without telling the host.
bool isQuietSetting(int tag)
{
    return tag == kPolyphonyNumber || tag == cmd::StorePreset || tag == cmd::Quality || tag == cmd::KnobMode ||
           tag == cmd::TuningSource || (tag >= cmd::TuningBase && tag <= cmd::AutoStorePresetChanges);
}

// Commands after which everything is shown again from the plug-in.
bool isRefreshingCommand(int tag)
{
    return (tag >= cmd::Channel && tag <= cmd::ProgramPlus) || (tag >= cmd::CopyPreset && tag <= cmd::LoadBankSelector);
}

// The settings shown on the pages, read back after every refresh.
constexpr int kShownCommands[] = {cmd::Channel,    cmd::Program,         cmd::Quality,         cmd::LoadBankSelector,
                                  cmd::KnobMode,   cmd::TuningSource,    cmd::TuningBase,      cmd::OscOversampling,
                                  cmd::MonoTimbralMode, cmd::AutoStorePresetChanges};

} // namespace

CEditor::CEditor(CEffectBase* effect) : CEditorBase(effect, kEditorWidth, kEditorHeight) {}

CEditor::~CEditor()
{
    std::lock_guard hold(m_lock);
    closeLocked();
}

CSynthPlugin* CEditor::plugin() const { return dynamic_cast<CSynthPlugin*>(m_effect); }

bool CEditor::open(void* parent)
{
    std::lock_guard hold(m_lock);
    // Some hosts open again without closing first.
    closeLocked();
    CEditorBase::open(parent);
    m_skin = loadSkin();
    m_frame = std::make_unique<CEditorFrame>(CRect {0, 0, kEditorWidth, kEditorHeight},
                                             static_cast<unsigned long>(reinterpret_cast<uintptr_t>(parent)), this);
    m_pages = std::make_unique<CPageSet>();
    m_panels = std::make_unique<CEditorPanels>(m_effect);
    buildPages(*m_pages, *m_panels, *m_skin, this, m_effect);
    for (CWidget* view : m_pages->navigation())
        m_frame->addView(view);
    showPage(m_page);
    refreshAll();
    return true;
}

void CEditor::close()
{
    std::lock_guard hold(m_lock);
    closeLocked();
}

void CEditor::closeLocked()
{
    if (m_frame)
        m_frame->removeAllViews(false);
    m_pages.reset();
    m_panels.reset();
    m_frame.reset();
    CEditorBase::close();
}

void CEditor::idle()
{
    // The host's idle during our own service of it (a drag) comes back here.
    if (m_inIdle)
        return;
    if (m_frame)
        m_frame->pumpEvents();
    CEditorBase::idle();
    std::lock_guard hold(m_lock);
    if (!m_frame)
        return;
    applyPending();
    m_frame->idle();
}

void CEditor::update()
{
    std::lock_guard hold(m_lock);
    if (m_frame)
        refreshAll();
}

void CEditor::setParameter(int index, float value)
{
    int slot = -1;
    if (index == cmd::UpdateControls) {
        postUpdate();
        return;
    }
    if (index >= 0 && index < kParametersPerTimbre)
        slot = resolveParameterNumber(index);
    else if (index >= kFirstCommand && index <= kLastCommand)
        slot = kParametersPerTimbre + index - kFirstCommand;
    if (slot < 0 || slot >= kPendingCount || std::isnan(value))
        return;
    m_pending[static_cast<size_t>(slot)].value.store(value, std::memory_order_relaxed);
    m_pending[static_cast<size_t>(slot)].set.store(true, std::memory_order_release);
    m_anyPending.store(true, std::memory_order_release);
}

void CEditor::applyPending()
{
    if (!m_anyPending.exchange(false, std::memory_order_acquire))
        return;
    for (int slot = 0; slot < kPendingCount; ++slot) {
        CPending& p = m_pending[static_cast<size_t>(slot)];
        if (!p.set.exchange(false, std::memory_order_acquire))
            continue;
        const int number = slot < kParametersPerTimbre ? slot : slot - kParametersPerTimbre + kFirstCommand;
        const float value = p.value.load(std::memory_order_relaxed);
        // A page button set from outside (a host, a test) shows its page.
        if (number >= cmd::NaviButtonFirst && number <= kPageButtonLast) {
            if (value >= kReleased) {
                showPage(number - cmd::NaviButtonFirst);
                refreshAll();
            }
            continue;
        }
        showValue(number, value);
    }
    // The host changes programs without a word to the editor beyond the new values: the program
    // and the envelopes, which are no numbers, are read again.
    showValue(cmd::Program, m_effect->getParameter(cmd::Program));
    m_panels->showEnvelopes();
}

void CEditor::showValue(int number, float value)
{
    if (!m_pages)
        return;
    for (CValueControl* control : m_pages->controls(number)) {
        if (auto* menu = dynamic_cast<CSkinMenu*>(control)) {
            const int count = std::max(menu->entryCount(), 1);
            menu->setIndex(std::clamp(static_cast<int>(value * static_cast<float>(count)), 0, count - 1));
        } else {
            control->setValue(value);
        }
        control->setDirty(true);
    }
    for (int unit = 0; unit < 2; ++unit)
        if (number == kEffectTypeNumbers[unit])
            relabelEffect(unit, value);
    m_panels->showValue(number, value);
}

void CEditor::relabelEffect(int unit, float typeValue)
{
    const int type = static_cast<int>(std::lround(engineValue(kEffectTypeNumbers[unit], typeValue)));
    for (const CEffectKnobView& view : m_pages->effectKnobs()) {
        if (view.unit != unit)
            continue;
        const CEffectKnob knob = effectKnob(type, view.knob);
        relabel(*view.label, knob.label);
        if (knob.text) {
            const EEffectKnobText text = *knob.text;
            view.field->setDisplayFormatter([text](float v) { return effectKnobText(text, v); });
            view.field->setEntryParser([text](const std::string& typed, float& v) {
                return parseEffectKnobText(text, typed, {lastNoteKey(), lastNoteFrequency()}, v);
            });
        } else {
            view.field->setDisplayFormatter(nullptr);
            view.field->setEntryParser(nullptr);
        }
        view.field->setDirty(true);
    }
}

void CEditor::refreshAll()
{
    if (!m_pages)
        return;
    for (int n = kAliasCount; n <= kLastProgramParameter; ++n)
        showValue(n, m_effect->getParameter(n));
    for (int n : kShownCommands)
        showValue(n, m_effect->getParameter(n));
    m_panels->rebind();
}

void CEditor::showPage(int page)
{
    if (page < 0 || page >= kPageCount)
        page = kOscPage;
    for (CWidget* view : m_pages->page(m_page))
        m_frame->removeView(view, false);
    m_page = page;
    for (int i = 0; i < kPageCount; ++i)
        showValue(cmd::NaviButtonFirst + i, i == page ? 1.0f : 0.0f);
    for (CWidget* view : m_pages->page(page))
        m_frame->addView(view);
    m_frame->setBackground(page == kOverviewPage
                               ? m_skin->bitmap(ESkinBitmap::Background)
                               : m_skin->forPage(ESkinBitmap::Background, static_cast<ESkinPage>(page - 1)));
    m_frame->setDirty(true);
}

void CEditor::runCommand(int number, float value)
{
    m_effect->setParameter(number, value);
    if (number == cmd::LoadBankSelector)
        showValue(number, m_effect->getParameter(number));
    refreshAll();
}

void CEditor::valueChanged(CPainter*, CValueControl* control)
{
    m_lock.waitUntilFree();
    if (!m_pages)
        return;
    const int tag = control->getTag();
    const float value = control->getValue();
    if (m_panels->valueChanged(control))
        return;
    if (isAutomated(tag)) {
        m_effect->automateParameter(tag, value);
        showValue(tag, value);
    } else if (tag == kOctaveResetButton) {
        // On release: no octaves above the note.
        if (value <= kReleased) {
            const float octave = normalizedValue(kOctaveNumber, 0.0);
            m_effect->automateParameter(kOctaveNumber, octave);
            showValue(kOctaveNumber, octave);
        }
    } else if (isQuietSetting(tag)) {
        m_effect->setParameter(tag, value);
        showValue(tag, m_effect->getParameter(tag));
    } else if (isRefreshingCommand(tag)) {
        runCommand(tag, value);
    } else if (tag >= cmd::NaviButtonFirst && tag <= kPageButtonLast) {
        showPage(tag - cmd::NaviButtonFirst);
        runCommand(cmd::Channel, m_effect->getParameter(cmd::Channel));
    }
}

int CEditor::hostIndex(int tag) const
{
    const CSynthPlugin* p = plugin();
    const int timbre = p ? p->selectedTimbre() : 0;
    return tag + kParametersPerTimbre * (timbre + 1);
}

void CEditor::beginParameterEdit(int tag)
{
    if (tag >= 0 && tag < kParametersPerTimbre)
        m_effect->beginParameterEdit(hostIndex(tag));
}

void CEditor::endParameterEdit(int tag)
{
    if (tag >= 0 && tag < kParametersPerTimbre)
        m_effect->endParameterEdit(hostIndex(tag));
}

EKnobDrag CEditor::knobDrag() const
{
    return m_effect->getParameter(cmd::KnobMode) >= kReleased ? EKnobDrag::Linear : EKnobDrag::Circular;
}

int CEditor::onKeyDown(const CKeyCode& key) { return m_frame ? m_frame->onKeyDown(toolkitKey(key)) : -1; }

int CEditor::onKeyUp(const CKeyCode& key) { return m_frame ? m_frame->onKeyUp(toolkitKey(key)) : -1; }

bool CEditor::onWheel(float distance) { return m_frame && m_frame->onWheel(distance); }

} // namespace quorvix

#include "plugin/editor_base.h"

#include "plugin/effect_base.h"
#include "platform/tick_count.h"

#include <atomic>

namespace quorvix {

namespace {

std::atomic<int> gHostKnobMode {0};

constexpr uint64_t kIdleSleepMs = 4;
constexpr uint64_t kIdleSlackMs = 50;
constexpr uint64_t kIdleIntervalMs = 100;

} // namespace

int hostKnobMode() { return gHostKnobMode.load(); }

CEditorBase::CEditorBase(CEffectBase* effect, int width, int height) : m_effect(effect)
{
    m_rect.bottom = static_cast<int16_t>(height);
    m_rect.right = static_cast<int16_t>(width);
    m_nextIdleDue = platform::tickCount();
    m_effect->setEditor(this);
}

CEditorBase::~CEditorBase()
{
    if (m_effect)
        m_effect->detachEditor(this);
}

bool CEditorBase::getRect(CEditorRect** rect)
{
    *rect = &m_rect;
    return true;
}

bool CEditorBase::open(void* parent)
{
    m_parent = parent;
    postUpdate();
    return true;
}

void CEditorBase::close() { m_parent = nullptr; }

void CEditorBase::idle()
{
    if (m_inIdle)
        return;
    if (m_updatePending.exchange(false))
        update();
    redrawFrame();
}

int CEditorBase::onKeyDown(const CKeyCode&) { return -1; }

int CEditorBase::onKeyUp(const CKeyCode&) { return -1; }

bool CEditorBase::setKnobMode(int mode)
{
    gHostKnobMode.store(mode);
    return true;
}

bool CEditorBase::onWheel(float) { return false; }

void CEditorBase::setParameter(int, float) { postUpdate(); }

void CEditorBase::serviceIdle()
{
    uint64_t now = platform::tickCount();
    if (now < m_nextIdleDue) {
        platform::sleepMilliseconds(kIdleSleepMs);
        now += kIdleSleepMs;
        if (now + kIdleSlackMs < m_nextIdleDue)
            return;
    }
    idle();
    m_nextIdleDue = now + kIdleIntervalMs;
    m_inIdle = true;
    m_effect->hostIdle();
    m_inIdle = false;
}

} // namespace quorvix

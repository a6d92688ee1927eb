#include "engine/command_queue.h"

#include "engine/stable_sort.h"

#include <bitset>

namespace quorvix {

void CCommandQueue::reset()
{
    m_items[0] = CVoiceCommand {};
    m_items[0].time = kEndTime;
    m_size = 1;
}

namespace {

bool isRelease(int32_t type)
{
    return type == command::NoteOff || type == command::Stop || type == command::SoundOff ||
           type == command::SystemReset;
}

// Commands that only set a running value, which a later one of the same kind replaces; each
// kind has a slot: bend, pressure, then one per controller and one per retuned key.
constexpr int kSettingSlots = 2 + 128 + 128;

int settingSlot(const CVoiceCommand& c)
{
    switch (c.type) {
    case command::PitchBend:
        return 0;
    case command::Pressure:
        return 1;
    case command::Controller:
        return 2 + (c.number & 0x7F);
    case command::Retune:
        return 2 + 128 + (c.key & 0x7F);
    default:
        return -1;
    }
}

} // namespace

bool CCommandQueue::idle() const
{
    for (int i = 0; i < m_size; ++i)
        if (m_items[static_cast<size_t>(i)].type != command::End && m_items[static_cast<size_t>(i)].type != command::FirstKey)
            return false;
    return true;
}

bool CCommandQueue::needsFade() const
{
    const CVoiceCommand& state = m_items[0];
    const bool running = state.time >= 0 && (state.type == command::Held || state.type == command::NoteOff ||
                                             state.type == command::Stop);
    if (running)
        return true;
    for (int i = 0; i < m_size; ++i) {
        const int32_t type = m_items[static_cast<size_t>(i)].type;
        if (type == command::NoteOn || type == command::LegatoNote || type == command::Stop ||
            type == command::ProgramChange)
            return true;
    }
    return false;
}

bool CCommandQueue::push(const CVoiceCommand& command)
{
    if (m_size >= kCommandQueueCapacity && !makeRoomFor(command))
        return false;
    m_items[static_cast<size_t>(m_size++)] = command;
    return true;
}

// A full queue drops the oldest setting that a later command (or the new one) replaces anyway; a
// release, which must never be lost, may also take the place of the oldest setting of any kind.
bool CCommandQueue::makeRoomFor(const CVoiceCommand& command)
{
    std::bitset<kSettingSlots> later;
    if (const int slot = settingSlot(command); slot >= 0)
        later.set(static_cast<size_t>(slot));
    int superseded = -1;
    int oldestSetting = -1;
    for (int i = m_size - 1; i >= 0; --i) {
        const int slot = settingSlot(m_items[static_cast<size_t>(i)]);
        if (slot < 0)
            continue;
        oldestSetting = i;
        if (later.test(static_cast<size_t>(slot)))
            superseded = i;
        later.set(static_cast<size_t>(slot));
    }
    if (superseded < 0 && isRelease(command.type))
        superseded = oldestSetting;
    if (superseded < 0 && isRelease(command.type)) {
        // Only notes and releases left: the newest gives way, so the voice still ends released.
        for (int i = m_size - 1; i >= 0 && superseded < 0; --i) {
            const int32_t type = m_items[static_cast<size_t>(i)].type;
            if (type != command::End && type != command::Held)
                superseded = i;
        }
    }
    if (superseded < 0)
        return false;
    remove(superseded);
    return true;
}

void CCommandQueue::remove(int index)
{
    if (index < 0 || index >= m_size || m_size <= 1)
        return;
    std::copy(m_items.begin() + index + 1, m_items.begin() + m_size, m_items.begin() + index);
    --m_size;
}

bool CCommandQueue::pushFront(const CVoiceCommand& command)
{
    if (m_size >= kCommandQueueCapacity && !makeRoomFor(command))
        return false;
    std::copy_backward(m_items.begin(), m_items.begin() + m_size, m_items.begin() + m_size + 1);
    m_items[0] = command;
    ++m_size;
    return true;
}

void CCommandQueue::finish(CVoiceCommand* scratch)
{
    for (int i = 0; i < m_size; ++i) {
        m_items[static_cast<size_t>(i)].sequence = i + 1;
        if (m_items[static_cast<size_t>(i)].type == command::End)
            m_items[static_cast<size_t>(i)].time = kEndTime;
    }
    // Later positions have more negative times.
    stableSort(m_items.data(), scratch, m_size, [](const CVoiceCommand& a, const CVoiceCommand& b) {
        return a.time != b.time ? a.time > b.time : a.sequence < b.sequence;
    });
    prune();
}

void CCommandQueue::prune()
{
    bool stopped = false;
    bool silenced = false;
    int kept = 0;
    for (int i = 0; i < m_size; ++i) {
        const CVoiceCommand& c = m_items[static_cast<size_t>(i)];
        bool keep = true;
        switch (c.type) {
        case command::NoteOn:
            stopped = silenced = false;
            break;
        case command::LegatoNote:
        case command::Held:
        case command::NoteOff:
            keep = !(stopped || silenced);
            break;
        case command::Stop:
            keep = !(stopped || silenced);
            stopped = true;
            silenced = false;
            break;
        case command::SoundOff:
            keep = !silenced;
            silenced = true;
            stopped = false;
            break;
        case command::SystemReset:
            silenced = true;
            stopped = false;
            break;
        default:
            break;
        }
        if (keep)
            m_items[static_cast<size_t>(kept++)] = c;
    }
    m_size = kept;
}

} // namespace quorvix

#include "engine/command_queue.h"

#include "engine/stable_sort.h"

namespace quorvix {

void CCommandQueue::reset()
{
    m_items[0] = CVoiceCommand {};
    m_items[0].time = kEndTime;
    m_size = 1;
}

bool CCommandQueue::push(const CVoiceCommand& command)
{
    if (m_size >= kCommandQueueCapacity)
        return false;
    m_items[static_cast<size_t>(m_size++)] = command;
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
    if (m_size >= kCommandQueueCapacity)
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

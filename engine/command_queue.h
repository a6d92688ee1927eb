// A voice's command queue: fixed storage, the End mark always present.
#pragma once

#include "engine/voice_command.h"

#include <array>
#include <cstddef>

namespace quorvix {

// Room for far more commands than one block of a busy song gives a voice. When it is full,
// superseded settings (bends, controllers, pressure, retunes) give way; a release never is lost.
constexpr int kCommandQueueCapacity = 1024;

class CCommandQueue {
public:
    CCommandQueue() { reset(); }

    // Only a fresh End mark.
    void reset();
    // Appends; false when the queue is full and nothing may give way.
    bool push(const CVoiceCommand& command);
    // Numbers the commands in queue order, moves End last, sorts by position and prunes.
    // scratch holds kCommandQueueCapacity commands.
    void finish(CVoiceCommand* scratch);
    void removeFront() { remove(0); }
    void remove(int index);
    // Puts a command before all others; false when the queue is full and nothing may give way.
    bool pushFront(const CVoiceCommand& command);

    int size() const { return m_size; }
    bool onlyEnd() const { return m_size == 1 && m_items[0].type == command::End; }
    // Nothing but End and FirstKey marks: no note is queued or running.
    bool idle() const;
    // A note runs (the first command is its state) or one is queued, or a Stop or program change
    // is queued: a new note must wait for the fade.
    bool needsFade() const;
    CVoiceCommand& operator[](int i) { return m_items[static_cast<size_t>(i)]; }
    const CVoiceCommand& operator[](int i) const { return m_items[static_cast<size_t>(i)]; }
    CVoiceCommand& front() { return m_items[0]; }
    const CVoiceCommand& front() const { return m_items[0]; }

private:
    void prune();
    bool makeRoomFor(const CVoiceCommand& command);

    std::array<CVoiceCommand, kCommandQueueCapacity> m_items;
    int m_size = 0;
};

} // namespace quorvix

// The editor's busy state: opening, closing and drawing exclude each other, whichever thread
// calls them. The wait and the taking are one step, so two threads never both hold it.
#pragma once

#include <atomic>
#include <thread>

namespace quorvix {

class CEditorLock {
public:
    void lock()
    {
        while (m_busy.test_and_set(std::memory_order_acquire))
            std::this_thread::yield();
        m_holder.store(std::this_thread::get_id(), std::memory_order_relaxed);
    }
    void unlock()
    {
        m_holder.store(std::thread::id(), std::memory_order_relaxed);
        m_busy.clear(std::memory_order_release);
    }
    // Waits until no other thread holds it, without taking it. The holder itself goes on: closing
    // ends a text entry, whose value still reaches the editor.
    void waitUntilFree() const
    {
        while (m_busy.test(std::memory_order_acquire) &&
               m_holder.load(std::memory_order_relaxed) != std::this_thread::get_id())
            std::this_thread::yield();
    }

private:
    std::atomic_flag m_busy;
    std::atomic<std::thread::id> m_holder;
};

} // namespace quorvix

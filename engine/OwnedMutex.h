#pragma once
// A mutex that knows which thread holds it. The library calls back into its caller (file and stream
// procedures, effect routines) while holding some of its locks; when such a callback calls the
// library again on the same channel, the library must refuse instead of waiting on itself.

#include <atomic>
#include <mutex>
#include <thread>

namespace engine {

class OwnedMutex {
public:
    void lock() {
        mutex_.lock();
        owner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    }
    void unlock() {
        owner_.store(std::thread::id(), std::memory_order_relaxed);
        mutex_.unlock();
    }
    // Only the owner can see itself here, so a relaxed read is exact for that question.
    bool heldByThisThread() const {
        return owner_.load(std::memory_order_relaxed) == std::this_thread::get_id();
    }

private:
    std::mutex mutex_;
    std::atomic<std::thread::id> owner_{};
};

}  // namespace engine

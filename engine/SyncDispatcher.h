#pragma once
// Calls the syncs the mixer reached, on a thread of its own: the mixer only hands them over, so a
// sync may take as long as it likes and call the library, freeing its own channel included.
// Nothing of a channel's or a sync's runs after the call that removed it has returned.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "Channel.h"

namespace engine {

class SyncDispatcher {
public:
    ~SyncDispatcher() { stop(); }
    void start();
    // Drops what is still queued. Called from outside the dispatcher's thread.
    void stop();
    bool onDispatchThread() const { return std::this_thread::get_id() == threadId_.load(); }

    // Mixing thread: a short hold of the queue, which keeps its capacity so this rarely allocates.
    void post(const std::vector<FiredSync>& fired);

    // Drops the queued calls of a channel (or of one of its syncs) and waits for one running now,
    // unless it is the caller itself.
    void forgetChannel(DWORD channel);
    void forgetSync(DWORD channel, HSYNC sync);

private:
    void run();
    template <typename Match>
    void forget(Match match);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::vector<FiredSync> queue_;
    bool running_ = false;
    bool calling_ = false;
    FiredSync current_{};
    std::thread thread_;
    std::atomic<std::thread::id> threadId_{};
};

}  // namespace engine

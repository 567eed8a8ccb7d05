#include "SyncDispatcher.h"

#include <algorithm>

namespace engine {

void SyncDispatcher::start() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (running_) return;
    running_ = true;
    queue_.reserve(64);
    thread_ = std::thread([this] { run(); });
    threadId_.store(thread_.get_id());
}

void SyncDispatcher::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!running_) return;
        running_ = false;
        queue_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    threadId_.store(std::thread::id());
}

void SyncDispatcher::post(const std::vector<FiredSync>& fired) {
    if (fired.empty()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!running_) return;
        queue_.insert(queue_.end(), fired.begin(), fired.end());
    }
    wake_.notify_one();
}

void SyncDispatcher::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return !running_ || !queue_.empty(); });
        if (!running_) return;
        current_ = queue_.front();
        queue_.erase(queue_.begin());
        calling_ = true;
        lock.unlock();
        current_.sync.proc(current_.sync.handle, current_.channel, 0, current_.sync.user);
        lock.lock();
        calling_ = false;
        finished_.notify_all();
    }
}

template <typename Match>
void SyncDispatcher::forget(Match match) {
    std::unique_lock<std::mutex> lock(mutex_);
    std::erase_if(queue_, match);
    // Inside a sync the running one is the caller itself, which is not waited for.
    if (onDispatchThread()) return;
    finished_.wait(lock, [&] { return !calling_ || !match(current_); });
}

void SyncDispatcher::forgetChannel(DWORD channel) {
    forget([channel](const FiredSync& fired) { return fired.channel == channel; });
}

void SyncDispatcher::forgetSync(DWORD channel, HSYNC sync) {
    forget([channel, sync](const FiredSync& fired) {
        return fired.channel == channel && fired.sync.handle == sync;
    });
}

}  // namespace engine

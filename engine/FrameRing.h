#pragma once
// A single-producer, single-consumer ring of stereo float frames: the decode thread writes, the
// mixing thread reads, neither waits. Clearing needs both sides stopped (the caller holds both of
// their locks).

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <vector>

namespace engine {

class FrameRing {
public:
    explicit FrameRing(std::size_t capacityFrames)
        : samples_(2 * (capacityFrames + 1)), capacity_(capacityFrames + 1) {}

    std::size_t available() const {
        const std::size_t w = write_.load(std::memory_order_acquire);
        const std::size_t r = read_.load(std::memory_order_relaxed);
        return (w + capacity_ - r) % capacity_;
    }
    std::size_t space() const { return capacity_ - 1 - available(); }
    std::size_t capacity() const { return capacity_ - 1; }

    // Producer side.
    std::size_t push(const float* frames, std::size_t count) {
        const std::size_t r = read_.load(std::memory_order_acquire);
        std::size_t w = write_.load(std::memory_order_relaxed);
        const std::size_t freeFrames = (r + capacity_ - w - 1) % capacity_;
        const std::size_t n = std::min(count, freeFrames);
        for (std::size_t i = 0; i < n; ++i) {
            samples_[2 * w] = frames[2 * i];
            samples_[2 * w + 1] = frames[2 * i + 1];
            w = (w + 1) % capacity_;
        }
        write_.store(w, std::memory_order_release);
        return n;
    }

    // Consumer side.
    std::size_t pop(float* frames, std::size_t count) {
        const std::size_t w = write_.load(std::memory_order_acquire);
        std::size_t r = read_.load(std::memory_order_relaxed);
        const std::size_t n = std::min(count, (w + capacity_ - r) % capacity_);
        for (std::size_t i = 0; i < n; ++i) {
            frames[2 * i] = samples_[2 * r];
            frames[2 * i + 1] = samples_[2 * r + 1];
            r = (r + 1) % capacity_;
        }
        read_.store(r, std::memory_order_release);
        return n;
    }

    void clear() {
        read_.store(0, std::memory_order_release);
        write_.store(0, std::memory_order_release);
    }

private:
    std::vector<float> samples_;
    std::size_t capacity_;
    std::atomic<std::size_t> read_{0};
    std::atomic<std::size_t> write_{0};
};

}  // namespace engine

// The silent device stands in for a sound card: it must take sound at the pace of real time, even
// after its thread was held up.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "Output.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(SilentDevice, AThreadHeldUpLosesThatTimeInsteadOfHandingOutABurstOfSound) {
    constexpr int rate = 48000;
    std::mutex mutex;
    std::vector<std::pair<Clock::time_point, std::size_t>> renders;
    std::atomic<int> calls{0};
    auto output = engine::openNullOutput(rate, [&](float*, std::size_t frames) {
        // The second block is held up, as a loaded machine holds up a thread.
        if (calls.fetch_add(1) == 1) std::this_thread::sleep_for(80ms);
        std::lock_guard<std::mutex> lock(mutex);
        renders.emplace_back(Clock::now(), frames);
    });
    ASSERT_TRUE(output->start());
    std::this_thread::sleep_for(250ms);
    output->stop();

    std::lock_guard<std::mutex> lock(mutex);
    ASSERT_GT(renders.size(), 10u);
    // Whatever window of 5 ms one looks at, it never took much more than 5 ms of sound.
    for (std::size_t first = 0; first < renders.size(); ++first) {
        std::size_t frames = 0;
        for (std::size_t i = first; i < renders.size() && renders[i].first - renders[first].first <= 5ms; ++i)
            frames += renders[i].second;
        EXPECT_LE(frames, static_cast<std::size_t>(rate * 0.015)) << "a burst of sound after block " << first;
    }
}

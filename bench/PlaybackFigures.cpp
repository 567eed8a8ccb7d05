// Figures of playback on the null device that a unit test should not time:
// - processor use of the whole process playing an mp3 with three float effect routines, beside
//   the engine's own BASS_GetCPU;
// - growth of the resident set while a 10-minute mp3 plays;
// - time from BASS_ChannelPlay to the first sample handed to the device;
// - the audible-position error: engine position against the device's clock.

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <thread>

#include "BenchAudio.h"
#include "QuillonAudio.h"

namespace {

using Clock = std::chrono::steady_clock;

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}

long residentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A light effect of the kind the player uses: scales the block.
void scaleDsp(HDSP, DWORD, void* buffer, DWORD length, void*) {
    auto* samples = static_cast<float*>(buffer);
    for (DWORD i = 0; i < length / 4; ++i) samples[i] *= 0.99f;
}

}  // namespace

int main() {
    const std::string five = benchaudio::song("mp3", 300);
    const std::string ten = benchaudio::song("mp3", 600);
    if (!BASS_Init(0, 44100, 0, nullptr, nullptr)) return 1;
    BASS_SetConfig(BASS_CONFIG_FLOATDSP, 1);

    // Processor use.
    {
        const HSTREAM stream = BASS_StreamCreateFile(0, five.c_str(), 0, 0, 0);
        for (int priority : {4, 3, 2}) BASS_ChannelSetDSP(stream, scaleDsp, nullptr, priority);
        BASS_ChannelPlay(stream, 0);
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const double cpuBefore = processCpuSeconds();
        const auto wallBefore = Clock::now();
        float engineCpu = 0;
        for (int i = 0; i < 10; ++i) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            engineCpu += BASS_GetCPU() / 10;
        }
        const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
        std::printf("playing mp3 with 3 float DSPs: process CPU %.2f %% of one core, BASS_GetCPU %.2f %%\n",
                    100.0 * (processCpuSeconds() - cpuBefore) / wall, engineCpu);
        BASS_StreamFree(stream);
    }

    // Memory.
    {
        const long before = residentKilobytes();
        const HSTREAM stream = BASS_StreamCreateFile(0, ten.c_str(), 0, 0, 0);
        BASS_ChannelPlay(stream, 0);
        long peak = before;
        for (int i = 0; i < 20; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
            peak = std::max(peak, residentKilobytes());
            if (i == 10) BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 500.0f));
        }
        std::printf("playing a 10-minute mp3 (with a seek to 8:20): resident set grew %.1f MB\n",
                    (peak - before) / 1024.0);
        BASS_StreamFree(stream);
    }

    // Latency and position error.
    {
        const HSTREAM stream = BASS_StreamCreateFile(0, five.c_str(), 0, 0, 0);
        BASS_ChannelPreBuf(stream);
        const auto start = Clock::now();
        BASS_ChannelPlay(stream, 0);
        // Effect routines run ahead of playback; the first mixed block shows in the recent output.
        float probe[2];
        while (BASS_ChannelGetData(stream, probe, sizeof probe | BASS_DATA_FLOAT) == 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        const double latencyMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        std::printf("start of playback to first sample handed to the device: %.2f ms\n", latencyMs);
        double worst = 0;
        double sum = 0;
        const int samples = 100;
        for (int i = 0; i < samples; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(23));
            const double device = std::chrono::duration<double>(Clock::now() - start).count();
            const double engine = BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream));
            worst = std::max(worst, std::fabs(device - engine));
            sum += std::fabs(device - engine);
        }
        std::printf("audible position against the device clock: mean error %.1f ms, worst %.1f ms\n",
                    1e3 * sum / samples, 1e3 * worst);
    }
    BASS_Free();
    return 0;
}

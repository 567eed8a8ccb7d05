// Plays a generated tone through the audio library's default output on a PulseAudio server and
// records the server's null sink, to check what a listener would: the tone arrives within 300 ms of
// BASS_ChannelPlay, the position the library reports is within 20 ms of what is heard, and 10 s
// play without a gap. Run by run.sh, which starts the server; the argument names the sink's
// monitor. Prints its figures; exits 1 when a check fails.

#include <pulse/simple.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "AudioFixtures.h"
#include "QuillonAudio.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100;
constexpr std::size_t kRecordBlock = 220;  // 5 ms

double secondsSince(Clock::time_point origin) { return std::chrono::duration<double>(Clock::now() - origin).count(); }

// The monitor's sound with, for every block, when its last frame was heard.
struct Recording {
    std::vector<float> left;
    std::vector<std::pair<std::size_t, double>> heardAt;  // (frames so far, seconds since origin)
};

bool record(const char* monitor, Clock::time_point origin, std::atomic<bool>& running, Recording& recording,
            std::atomic<bool>& ready) {
    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kRate, 2};
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<std::uint32_t>(-1);
    buffer.fragsize = kRecordBlock * 2 * sizeof(float);
    int error = 0;
    pa_simple* input = pa_simple_new(nullptr, "Quillon sound check", PA_STREAM_RECORD, monitor, "Monitor", &format,
                                     nullptr, &buffer, &error);
    if (input == nullptr) {
        ready = true;
        return false;
    }
    ready = true;
    std::vector<float> block(2 * kRecordBlock);
    while (running) {
        if (pa_simple_read(input, block.data(), block.size() * sizeof(float), &error) < 0) break;
        const double now = secondsSince(origin);
        const pa_usec_t latency = pa_simple_get_latency(input, &error);
        for (std::size_t i = 0; i < kRecordBlock; ++i) recording.left.push_back(block[2 * i]);
        recording.heardAt.push_back({recording.left.size(), now - static_cast<double>(latency) / 1e6});
    }
    pa_simple_free(input);
    return true;
}

// When frame `frame` of the recording was heard, from the block times around it.
double heardTime(const Recording& recording, std::size_t frame) {
    for (const auto& [framesSoFar, time] : recording.heardAt) {
        if (frame < framesSoFar) return time - static_cast<double>(framesSoFar - 1 - frame) / kRate;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string song =
        (std::filesystem::temp_directory_path() / ("quillon-sound-check-" + std::to_string(::getpid()) + ".wav")).string();
    if (!fixtures::writeSine(song, fixtures::Format::wav, 13.0, 1000.0, 0.5)) return 2;

    const Clock::time_point origin = Clock::now();
    std::atomic<bool> running{true}, ready{false};
    Recording recording;
    std::thread recorder([&] { record(argv[1], origin, running, recording, ready); });
    while (!ready) std::this_thread::sleep_for(std::chrono::milliseconds(5));

    bool ok = true;
    const auto check = [&ok](bool passed, const char* what) {
        std::printf("%s: %s\n", passed ? "ok" : "FAILED", what);
        ok = ok && passed;
    };
    check(BASS_Init(1, kRate, 0, nullptr, nullptr) != 0, "the default output opens");
    const HSTREAM stream = BASS_StreamCreateFile(0, song.c_str(), 0, 0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double played = secondsSince(origin);
    check(BASS_ChannelPlay(stream, 0) != 0, "the tone starts playing");
    std::vector<std::pair<double, double>> positions;  // (seconds since origin, reported position)
    while (secondsSince(origin) < played + 10.6) {
        const double before = secondsSince(origin);
        const double position = BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream));
        positions.push_back({(before + secondsSince(origin)) / 2, position});

        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // The server goes away while the tone plays: the library carries on on the silent device.
    std::system("pactl exit");
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const QWORD before = BASS_ChannelGetPosition(stream);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    check(BASS_GetDevice() == 0 && BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING &&
              BASS_ChannelGetPosition(stream) > before,
          "without its server, playback goes on on the silent device");
    BASS_Free();
    running = false;
    recorder.join();
    std::filesystem::remove(song);

    std::size_t onset = 0;
    while (onset < recording.left.size() && std::fabs(recording.left[onset]) < 0.05f) ++onset;
    check(onset < recording.left.size(), "the tone reaches the sink");
    if (onset == recording.left.size()) return 1;
    const double heard = heardTime(recording, onset);
    std::printf("tone heard %.1f ms after BASS_ChannelPlay\n", (heard - played) * 1000);
    check(heard - played <= 0.300, "it arrives within 300 ms");

    double worst = 0, sum = 0;
    int count = 0;
    for (const auto& [time, position] : positions) {
        if (time < heard + 0.3 || time > heard + 9.7) continue;
        const double error = position - (time - heard);
        worst = std::max(worst, std::fabs(error));
        sum += error;
        ++count;
    }
    std::printf("position against what is heard: mean %+.1f ms, worst %.1f ms over %d readings\n",
                count > 0 ? sum / count * 1000 : 0.0, worst * 1000, count);
    check(count > 100 && worst <= 0.020, "the position is within 20 ms of what is heard");

    // 10 s of tone from its onset, in windows of 5 ms, none of them silent.
    std::size_t quiet = 0;
    const std::size_t end = onset + 10 * kRate;
    for (std::size_t start = onset; start + kRecordBlock <= end && start + kRecordBlock <= recording.left.size();
         start += kRecordBlock) {
        double energy = 0;
        for (std::size_t i = start; i < start + kRecordBlock; ++i) energy += recording.left[i] * recording.left[i];
        if (std::sqrt(energy / kRecordBlock) < 0.15) ++quiet;
    }
    check(recording.left.size() >= end, "10 s of tone were recorded");
    std::printf("silent 5 ms windows in 10 s of tone: %zu\n", quiet);
    check(quiet == 0, "10 s play without a gap");
    return ok ? 0 : 1;
}

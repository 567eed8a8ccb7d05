// Plays generated tones through the audio library's default output on a PulseAudio server and
// records the server's null sink, to check what a listener would. One scene per run:
//   play     a play right after init, and one after an idle spell, arrive within 300 ms, the position the
//   library reports is
//            within 20 ms of what is heard, 10 s play without a gap, and without its server the
//            library carries on on the silent device;
//   seeks    600 random seeks leave no silent 5 ms window;
//   restart  after the server is killed and started again, the sound comes back at the next play,
//            and on its own within 2.5 s while playing;
//   hang     a server stopped for 3 s is given up on within 2 s, playback goes on in real time,
//            and the sound comes back once the server runs again;
//   slow     at 50 % the position is the song time heard, half a second of song lasts a second, a
//            replay after the song's end starts where it is told, and a change of speed is heard
//            within 150 ms.
// Run by run.sh, which starts the server (QUILLON_PULSE_START starts it again); the arguments
// name the sink's monitor and the scene. Prints its figures; exits 1 when a check fails.

#include <pulse/simple.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "QuillonAudio.h"
#include "support/AudioFixtures.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100;
constexpr std::size_t kRecordBlock = 220;  // 5 ms

double secondsSince(Clock::time_point origin) {
    return std::chrono::duration<double>(Clock::now() - origin).count();
}

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
    pa_simple* input = pa_simple_new(nullptr, "Quillon sound check", PA_STREAM_RECORD, monitor, "Monitor",
                                     &format, nullptr, &buffer, &error);
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

bool ok = true;

void check(bool passed, const std::string& what) {
    std::printf("%s: %s\n", passed ? "ok" : "FAILED", what.c_str());
    ok = ok && passed;
}

// Records the monitor on a thread of its own, from construction until stop().
class Recorder {
public:
    Recorder(const char* monitor, Clock::time_point origin) {
        thread_ = std::thread(
            [this, monitor, origin] { connected_ = record(monitor, origin, running_, recording_, ready_); });
        while (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~Recorder() { stop(); }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;
    const Recording& stop() {
        running_ = false;
        if (thread_.joinable()) thread_.join();
        return recording_;
    }

private:
    std::atomic<bool> running_{true}, ready_{false};
    bool connected_ = false;
    Recording recording_;
    std::thread thread_;
};

std::string toneFile(const char* scene, fixtures::Format format, double seconds) {
    const std::string extension = format == fixtures::Format::mp3 ? ".mp3" : ".wav";
    const std::string path =
        (std::filesystem::temp_directory_path() /
         ("quillon-sound-" + std::string(scene) + "-" + std::to_string(::getpid()) + extension))
            .string();
    if (!fixtures::writeSine(path, format, seconds, 1000.0, 0.5)) {
        std::printf("FAILED: could not write %s\n", path.c_str());
        std::exit(2);
    }
    return path;
}

std::size_t onsetIn(const Recording& recording, std::size_t from = 0) {
    std::size_t onset = from;
    while (onset < recording.left.size() && std::fabs(recording.left[onset]) < 0.05f) ++onset;
    return onset;
}

// Windows of 5 ms in [from, to) with hardly any sound: a tone of amplitude 0.5 has 0.35.
std::size_t quietWindows(const Recording& recording, std::size_t from, std::size_t to) {
    std::size_t quiet = 0;
    to = std::min(to, recording.left.size());
    for (std::size_t start = from; start + kRecordBlock <= to; start += kRecordBlock) {
        double energy = 0;
        for (std::size_t i = start; i < start + kRecordBlock; ++i)
            energy += recording.left[i] * recording.left[i];
        if (std::sqrt(energy / kRecordBlock) < 0.15) ++quiet;
    }
    return quiet;
}

template <typename Condition>
bool waitUntil(Condition condition, double seconds) {
    const Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

double positionOf(HSTREAM stream) {
    return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream));
}

// The test's own server, found by the log file in its private folder.
void signalServer(const char* signal) {
    const char* folder = std::getenv("XDG_RUNTIME_DIR");
    const std::string command = std::string("pkill -") + signal +
                                " -f '[f]ile:" + (folder ? folder : "/nonexistent") + "/server.log'";
    std::system(command.c_str());
}

void startServerAgain() {
    const char* start = std::getenv("QUILLON_PULSE_START");
    if (start == nullptr || std::system(start) != 0) {
        std::printf("FAILED: the server could not be started again\n");
        std::exit(2);
    }
}

// Positions read every 20 ms for `seconds`; the worst step away from real time between readings.
double worstPositionStep(HSTREAM stream, double seconds) {
    double worst = 0;
    Clock::time_point lastTime = Clock::now();
    double lastPosition = positionOf(stream);
    const Clock::time_point end =
        lastTime + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (Clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const Clock::time_point time = Clock::now();
        const double position = positionOf(stream);
        worst = std::max(worst, std::fabs((position - lastPosition) -
                                          std::chrono::duration<double>(time - lastTime).count()));
        lastTime = time;
        lastPosition = position;
    }
    return worst;
}

void playScene(const char* monitor) {
    const std::string song = toneFile("play", fixtures::Format::wav, 13.0);
    const Clock::time_point origin = Clock::now();
    Recorder recorder(monitor, origin);
    check(BASS_Init(1, kRate, 0, nullptr, nullptr) != 0, "the default output opens");
    const HSTREAM stream = BASS_StreamCreateFile(0, song.c_str(), 0, 0, 0);
    // At once: the first play after start-up is heard as soon as any other.
    const double played = secondsSince(origin);
    check(BASS_ChannelPlay(stream, 0) != 0, "the tone starts playing");
    std::vector<std::pair<double, double>> positions;  // (seconds since origin, reported position)
    while (secondsSince(origin) < played + 10.6) {
        const double before = secondsSince(origin);
        const double position = positionOf(stream);
        const double after = secondsSince(origin);
        // A reading the scheduler interrupted has no clear moment.
        if (after - before < 0.002) positions.push_back({(before + after) / 2, position});
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // Stopped long enough for the output to be suspended, a play is heard as soon.
    BASS_ChannelStop(stream);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const double replayed = secondsSince(origin);
    BASS_ChannelPlay(stream, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    // The server goes away while the tone plays: the library carries on on the silent device.
    std::system("pactl exit");
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const QWORD before = BASS_ChannelGetPosition(stream);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    check(BASS_GetDevice() == 0 && BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING &&
              BASS_ChannelGetPosition(stream) > before,
          "without its server, playback goes on on the silent device");
    BASS_Free();
    const Recording& recording = recorder.stop();
    std::filesystem::remove(song);

    const std::size_t onset = onsetIn(recording);
    check(onset < recording.left.size(), "the tone reaches the sink");
    if (onset == recording.left.size()) return;
    const double heard = heardTime(recording, onset);
    std::printf("tone heard %.1f ms after BASS_ChannelPlay, right after BASS_Init\n",
                (heard - played) * 1000);
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

    std::size_t afterIdle = 0;
    while (afterIdle < recording.left.size() && heardTime(recording, afterIdle) < replayed - 0.02)
        afterIdle += kRecordBlock;
    const std::size_t again = onsetIn(recording, afterIdle);
    const double heardAgain = again < recording.left.size() ? heardTime(recording, again) - replayed : -1;
    std::printf("after 1.5 s stopped, the tone is heard %.1f ms after BASS_ChannelPlay\n", heardAgain * 1000);
    // The recorder dates a block by when its read returned less the source's latency estimate, which
    // wavers by a few milliseconds (more under the sanitizers): a reading just before the play is "at once".
    check(again < recording.left.size() && heardAgain >= -0.010 && heardAgain <= 0.300,
          "after an idle spell a play arrives within 300 ms");

    const std::size_t end = onset + 10 * kRate;
    check(recording.left.size() >= end, "10 s of tone were recorded");
    const std::size_t quiet = quietWindows(recording, onset, end);
    std::printf("silent 5 ms windows in 10 s of tone: %zu\n", quiet);
    check(quiet == 0, "10 s play without a gap");
}

void seekScene(const char* monitor) {
    const std::string song = toneFile("seeks", fixtures::Format::mp3, 60.0);
    const Clock::time_point origin = Clock::now();
    Recorder recorder(monitor, origin);
    BASS_Init(1, kRate, 0, nullptr, nullptr);
    const HSTREAM stream = BASS_StreamCreateFile(0, song.c_str(), 0, 0, 0);
    check(stream != 0 && BASS_ChannelPlay(stream, 0) != 0, "the tone plays");
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> pause(10, 40);
    std::uniform_real_distribution<double> place(1.0, 55.0);
    int refused = 0;
    for (int seek = 0; seek < 600; ++seek) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
        if (!BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, place(random)))) ++refused;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const Recording& recording = recorder.stop();
    BASS_Free();
    std::filesystem::remove(song);
    check(refused == 0, "every seek is taken");
    const std::size_t onset = onsetIn(recording);
    const std::size_t quiet = quietWindows(recording, onset, recording.left.size());
    std::printf("silent 5 ms windows in %.1f s of 600 seeks: %zu\n",
                static_cast<double>(recording.left.size() - std::min(onset, recording.left.size())) / kRate,
                quiet);
    check(onset < recording.left.size() && quiet == 0, "no seek leaves a gap");
}

void restartScene(const char* monitor) {
    const std::string song = toneFile("restart", fixtures::Format::wav, 40.0);
    BASS_Init(1, kRate, 0, nullptr, nullptr);
    const HSTREAM stream = BASS_StreamCreateFile(0, song.c_str(), 0, 0, 0);
    BASS_ChannelPlay(stream, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    // Killed while playing; stopped, so only the next play tries the server again.
    std::system("pactl exit");
    check(waitUntil([] { return BASS_GetDevice() == 0; }, 1.0),
          "a killed server is replaced by the silent device");
    BASS_ChannelStop(stream);
    startServerAgain();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    {
        const Clock::time_point origin = Clock::now();
        Recorder recorder(monitor, origin);
        const double played = secondsSince(origin);
        BASS_ChannelPlay(stream, 0);
        check(waitUntil([] { return BASS_GetDevice() == 1; }, 1.5),
              "Stop then Play moves back to the server");
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        const Recording& recording = recorder.stop();
        const std::size_t onset = onsetIn(recording);
        const double heard = onset < recording.left.size() ? heardTime(recording, onset) - played : -1;
        if (heard >= 0) std::printf("heard again %.0f ms after the play\n", heard * 1000);
        check(heard >= 0 && heard <= 0.5,
              "Stop then Play is heard on the server that came back, within 500 ms");
    }

    // Killed again while playing: the library tries on its own.
    std::system("pactl exit");
    check(waitUntil([] { return BASS_GetDevice() == 0; }, 1.0), "killed again, the silent device stands in");
    const Clock::time_point starting = Clock::now();
    // The position is watched all through the server's start and the move back.
    double step = 0;
    std::thread watcher([&step, stream] { step = worstPositionStep(stream, 4.0); });
    startServerAgain();
    const Clock::time_point answering = Clock::now();
    const bool returned = waitUntil([] { return BASS_GetDevice() == 1; }, 3.0);
    std::printf(
        "back on the server %.0f ms after it was started (it took %.0f ms to answer), while playing\n",
        secondsSince(starting) * 1000, std::chrono::duration<double>(answering - starting).count() * 1000);
    check(returned && secondsSince(answering) <= 2.5, "while playing, the server is tried again every 2 s");
    watcher.join();
    std::printf("worst position step while moving back: %.0f ms\n", step * 1000);
    check(step <= 0.150, "the position does not jump when the sound moves back");
    BASS_Free();
    std::filesystem::remove(song);
}

void hangScene(const char* monitor) {
    const std::string song = toneFile("hang", fixtures::Format::wav, 40.0);
    BASS_Init(1, kRate, 0, nullptr, nullptr);
    const HSTREAM stream = BASS_StreamCreateFile(0, song.c_str(), 0, 0, 0);
    BASS_ChannelPlay(stream, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    const Clock::time_point stopped = Clock::now();
    const double positionAtStop = positionOf(stream);
    signalServer("STOP");
    const bool replaced = waitUntil([] { return BASS_GetDevice() == 0; }, 2.5);
    std::printf("a stopped server was given up on after %.0f ms\n", secondsSince(stopped) * 1000);
    check(replaced && secondsSince(stopped) <= 2.0, "a server that hangs is replaced within 2 s");
    std::this_thread::sleep_until(stopped + std::chrono::seconds(3));
    const double behind = secondsSince(stopped) - (positionOf(stream) - positionAtStop);
    signalServer("CONT");
    std::printf("after 3 s of a stopped server, playback is %.0f ms behind real time\n", behind * 1000);
    check(behind <= 1.8, "playback goes on on the silent device");

    const Clock::time_point origin = Clock::now();
    Recorder recorder(monitor, origin);
    const bool returned = waitUntil([] { return BASS_GetDevice() == 1; }, 3.5);
    check(returned, "the sound comes back once the server runs again");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const Recording& recording = recorder.stop();
    check(onsetIn(recording) < recording.left.size(), "and is heard there");
    BASS_Free();
    std::filesystem::remove(song);
}

}  // namespace

// Onsets of clicks in the recording from `from` on: a loud sample after 0.2 s of quiet.
std::vector<std::size_t> clickOnsets(const Recording& recording, std::size_t from) {
    std::vector<std::size_t> found;
    std::size_t lastLoud = 0;
    bool any = false;
    for (std::size_t i = from; i < recording.left.size(); ++i) {
        if (std::fabs(recording.left[i]) < 0.3f) continue;
        if (!any || i - lastLoud > kRate / 5) found.push_back(i);
        lastLoud = i;
        any = true;
    }
    return found;
}

void slowScene(const char* monitor) {
    // Clicks every half second of song, played at half speed: a second apart in what is heard.
    const std::string song = (std::filesystem::temp_directory_path() /
                              ("quillon-sound-slow-" + std::to_string(::getpid()) + ".wav"))
                                 .string();
    if (!fixtures::writeClicks(song, 8.0, 0.5)) {
        std::printf("FAILED: could not write %s\n", song.c_str());
        std::exit(2);
    }
    const Clock::time_point origin = Clock::now();
    Recorder recorder(monitor, origin);
    BASS_Init(1, kRate, 0, nullptr, nullptr);
    const HSTREAM stream = BASS_StreamCreateFile(0, song.c_str(), 0, 0, 0);
    check(BASS_ChannelSetTempo(stream, 50.0f) != 0, "the speed is set to 50 %");
    BASS_ChannelPlay(stream, 0);
    std::vector<std::pair<double, double>> positions;  // (seconds since origin, reported position)
    double changed = 1e9;
    // Until the song has ended: a channel whose first stretched block is not decoded yet reports a
    // stall for a moment (it plays on by itself once the block is there), as under the sanitizers.
    while (BASS_ChannelIsActive(stream) != BASS_ACTIVE_STOPPED && secondsSince(origin) < 20) {
        const double before = secondsSince(origin);
        const double position = positionOf(stream);
        const double after = secondsSince(origin);
        if (after - before < 0.002) positions.push_back({(before + after) / 2, position});
        // After 3 s of song, back to full speed.
        if (changed == 1e9 && position >= 3.1) {
            changed = secondsSince(origin);
            BASS_ChannelSetTempo(stream, 100.0f);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    BASS_Free();
    const Recording& recording = recorder.stop();
    std::filesystem::remove(song);

    const std::vector<std::size_t> clicks = clickOnsets(recording, 0);
    check(clicks.size() >= 14, "the clicks are heard (" + std::to_string(clicks.size()) + ")");
    if (clicks.size() < 14) return;
    // Each click heard at a time; the position the library reported then is the click's song time.
    double worst = 0;
    int compared = 0;
    double lastSlowGap = 0;
    for (std::size_t k = 0; k < clicks.size(); ++k) {
        const double heard = heardTime(recording, clicks[k]);
        const double songTime = 0.5 * static_cast<double>(k + 1);
        if (heard > changed - 0.05 || heard < positions.front().first) continue;
        for (std::size_t i = 1; i < positions.size(); ++i) {
            if (positions[i].first < heard) continue;
            const auto& [t0, p0] = positions[i - 1];
            const auto& [t1, p1] = positions[i];
            const double reported = p0 + (p1 - p0) * (heard - t0) / std::max(1e-6, t1 - t0);
            worst = std::max(worst, std::fabs(reported - songTime));
            ++compared;
            break;
        }
        if (k > 0) lastSlowGap = heard - heardTime(recording, clicks[k - 1]);
    }
    std::printf(
        "at 50 %%: the position against the click heard, worst %.1f ms over %d clicks; clicks %.3f s apart\n",
        worst * 1000, compared, lastSlowGap);
    check(compared >= 4 && worst <= 0.030, "at 50 % the position is within 30 ms of the song time heard");
    check(std::fabs(lastSlowGap - 1.0) < 0.03, "and half a second of song lasts a second");
}

// Edges of a song of tone blocks (0.25 s of tone, 0.25 s of silence): (heard time, rising). The
// stretch's overlapping pieces leave short echoes at a block's edge: gaps and runs of tone shorter
// than 30 ms are no edges.
std::vector<std::pair<double, bool>> blockEdges(const Recording& recording) {
    const std::size_t shortest = 3 * kRate / 100;
    std::vector<std::pair<std::size_t, std::size_t>> runs;  // [first, last] loud sample
    for (std::size_t i = 0; i < recording.left.size(); ++i) {
        if (std::fabs(recording.left[i]) <= 0.2f) continue;
        if (!runs.empty() && i - runs.back().second < shortest) {
            runs.back().second = i;
        } else {
            runs.push_back({i, i});
        }
    }
    std::vector<std::pair<double, bool>> edges;
    for (const auto& [first, last] : runs) {
        if (last - first < shortest) continue;
        edges.push_back({heardTime(recording, first), true});
        edges.push_back({heardTime(recording, last), false});
    }
    return edges;
}

void speedChangeScene(const char* monitor) {
    const std::string song = (std::filesystem::temp_directory_path() /
                              ("quillon-sound-blocks-" + std::to_string(::getpid()) + ".wav"))
                                 .string();
    {
        SF_INFO info{};
        info.samplerate = kRate;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* file = sf_open(song.c_str(), SFM_WRITE, &info);
        std::vector<float> samples(2 * 8 * kRate, 0.0f);
        for (std::size_t i = 0; i < samples.size() / 2; ++i) {
            const bool tone = (i / (kRate / 4)) % 2 == 1;  // silence first, then tone, every 0.25 s
            samples[2 * i] = samples[2 * i + 1] =
                tone ? static_cast<float>(0.5 * std::sin(2 * M_PI * 1000.0 * i / kRate)) : 0.0f;
        }
        sf_writef_float(file, samples.data(), 8 * kRate);
        sf_close(file);
    }
    const Clock::time_point origin = Clock::now();
    Recorder recorder(monitor, origin);
    BASS_Init(1, kRate, 0, nullptr, nullptr);
    const HSTREAM stream = BASS_StreamCreateFile(0, song.c_str(), 0, 0, 0);
    BASS_ChannelSetTempo(stream, 50.0f);
    BASS_ChannelPlay(stream, 0);
    // Changes back and forth at odd moments within the blocks; each one is timed on its own.
    std::vector<double> calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(3130));
    calls.push_back(secondsSince(origin));
    BASS_ChannelSetTempo(stream, 100.0f);
    std::this_thread::sleep_for(std::chrono::milliseconds(2070));
    calls.push_back(secondsSince(origin));
    BASS_ChannelSetTempo(stream, 50.0f);
    std::this_thread::sleep_for(std::chrono::milliseconds(3000));
    BASS_Free();
    const Recording& recording = recorder.stop();
    std::filesystem::remove(song);

    // Before a change the edges lie on heard = a + song / speed, after it on another such line;
    // where the two lines meet is when the change was heard. Each edge's song time is its index
    // times 0.25 s, counted from the first.
    const std::vector<std::pair<double, bool>> edges = blockEdges(recording);
    std::vector<double> latencies;
    const double speeds[] = {0.5, 1.0, 0.5};
    if (std::getenv("QUILLON_SOUND_DEBUG")) {
        for (const auto& [at, rising] : edges) std::printf("edge %.3f %s\n", at, rising ? "up" : "down");
        for (double call : calls) std::printf("call %.3f\n", call);
    }
    for (std::size_t c = 0; c < calls.size(); ++c) {
        std::vector<double> before, after;
        for (std::size_t k = 0; k < edges.size(); ++k) {
            const double songTime = 0.25 * static_cast<double>(k + 1);
            const double heard = edges[k].first;
            if (heard < calls[c] - 0.15 && (c == 0 || heard > calls[c - 1] + 0.6))
                before.push_back(heard - songTime / speeds[c]);
            if (heard > calls[c] + 0.6 && (c + 1 == calls.size() || heard < calls[c + 1] - 0.15))
                after.push_back(heard - songTime / speeds[c + 1]);
        }
        if (before.size() < 2 || after.size() < 2) continue;
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        const double a1 = before[before.size() / 2], a2 = after[after.size() / 2];
        // a1 + s / v1 = a2 + s / v2  =>  s = (a2 - a1) / (1 / v1 - 1 / v2)
        const double songAtChange = (a2 - a1) / (1.0 / speeds[c] - 1.0 / speeds[c + 1]);
        latencies.push_back(a1 + songAtChange / speeds[c] - calls[c]);
    }
    for (std::size_t c = 0; c < latencies.size(); ++c) {
        std::printf("speed change %zu (%.0f %% to %.0f %%) heard %.0f ms after the call\n", c + 1,
                    speeds[c] * 100, speeds[c + 1] * 100, latencies[c] * 1000);
    }
    check(latencies.size() == 2 && latencies[0] >= -0.01 && latencies[0] <= 0.150 && latencies[1] >= -0.01 &&
              latencies[1] <= 0.150,
          "a change of speed is heard within 150 ms");
}

void replayScene(const char* monitor) {
    const std::string song = (std::filesystem::temp_directory_path() /
                              ("quillon-sound-replay-" + std::to_string(::getpid()) + ".wav"))
                                 .string();
    fixtures::writeClicks(song, 3.0, 1.0);
    const Clock::time_point origin = Clock::now();
    Recorder recorder(monitor, origin);
    BASS_Init(1, kRate, 0, nullptr, nullptr);
    const HSTREAM stream = BASS_StreamCreateFile(0, song.c_str(), 0, 0, 0);
    BASS_ChannelSetTempo(stream, 50.0f);
    BASS_ChannelPlay(stream, 0);
    check(waitUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_STOPPED; }, 7.0),
          "at 50 % a song of 3 s stops at its end");
    BASS_ChannelStop(stream);
    BASS_ChannelSetPosition(stream, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const double replayed = secondsSince(origin);
    BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 0.02f));
    BASS_ChannelPlay(stream, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    BASS_Free();
    const Recording& recording = recorder.stop();
    std::filesystem::remove(song);
    std::size_t from = 0;
    while (from < recording.left.size() && heardTime(recording, from) < replayed) from += kRecordBlock;
    for (const std::size_t click : clickOnsets(recording, 0)) {
        std::printf("click heard at %.3f s (replay at %.3f s)\n", heardTime(recording, click), replayed);
    }
    const std::vector<std::size_t> after = clickOnsets(recording, from);
    const double first = after.empty() ? -1 : heardTime(recording, after.front()) - replayed;
    std::printf("after a replay from 0.02 s at 50 %%, the first click is heard %.3f s later\n", first);
    check(std::fabs(first - 1.96) < 0.1,
          "a replay at 50 % after the song's end starts where it is told, cleanly");
}

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string scene = argv[2];
    if (scene == "play") {
        playScene(argv[1]);
    } else if (scene == "seeks") {
        seekScene(argv[1]);
    } else if (scene == "restart") {
        restartScene(argv[1]);
    } else if (scene == "hang") {
        hangScene(argv[1]);
    } else if (scene == "slow") {
        slowScene(argv[1]);
        replayScene(argv[1]);
        speedChangeScene(argv[1]);
    } else {
        return 2;
    }
    return ok ? 0 : 1;
}

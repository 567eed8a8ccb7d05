// Decoding speed of the engine (a decode-only channel read through BASS_ChannelGetData) against
// the plain decoder libraries on the same 5-minute 44.1 kHz stereo songs. Engine and anchor take
// turns, round after round, so that a shared machine's slow spells fall on both alike; the figures
// are the minimum and median over the rounds, and the median of each round's ratio.

#include <mpg123.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BenchAudio.h"
#include "QuillonAudio.h"

namespace {

constexpr int kSongSeconds = 300;
constexpr int kRounds = 7;

// Frames decoded.
std::int64_t decodeWithEngine(const std::string& file) {
    std::vector<float> block(2 * 8192);
    std::int64_t frames = 0;
    const HSTREAM stream =
        BASS_StreamCreateFile(0, file.c_str(), 0, 0, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    for (;;) {
        const DWORD got = BASS_ChannelGetData(stream, block.data(), static_cast<DWORD>(block.size() * 4));
        if (got == 0 || got == static_cast<DWORD>(-1)) break;
        frames += got / 8;
    }
    BASS_StreamFree(stream);
    return frames;
}

std::int64_t decodeWithMpg123(const std::string& file) {
    std::vector<float> block(2 * 8192);
    std::int64_t frames = 0;
    int error = 0;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    mpg123_param(handle, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_FORCE_FLOAT, 0);
    mpg123_open(handle, file.c_str());
    size_t got = 0;
    int result;
    while ((result = mpg123_read(handle, reinterpret_cast<unsigned char*>(block.data()), block.size() * 4,
                                 &got)) == MPG123_OK ||
           result == MPG123_NEW_FORMAT) {
        frames += static_cast<std::int64_t>(got / 8);
    }
    mpg123_close(handle);
    mpg123_delete(handle);
    return frames;
}

std::int64_t decodeWithVorbisfile(const std::string& file) {
    std::int64_t frames = 0;
    OggVorbis_File vf;
    if (ov_fopen(file.c_str(), &vf) != 0) return 0;
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        const long got = ov_read_float(&vf, &pcm, 8192, &section);
        if (got <= 0) break;
        frames += got;
    }
    ov_clear(&vf);
    return frames;
}

// Times real time decoded per second of decoding.
double timesRealTime(const std::function<std::int64_t()>& decode) {
    const auto begin = std::chrono::steady_clock::now();
    const std::int64_t frames = decode();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    return static_cast<double>(frames) / 44100.0 / seconds;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void compare(const char* format, const std::string& file, const char* anchorName,
             const std::function<std::int64_t(const std::string&)>& anchor) {
    std::vector<double> engine, plain, ratios;
    // One untimed pass of each brings the file into the page cache.
    decodeWithEngine(file);
    anchor(file);
    for (int round = 0; round < kRounds; ++round) {
        // The order within a round alternates too.
        double ours = 0, theirs = 0;
        if (round % 2 == 0) {
            ours = timesRealTime([&] { return decodeWithEngine(file); });
            theirs = timesRealTime([&] { return anchor(file); });
        } else {
            theirs = timesRealTime([&] { return anchor(file); });
            ours = timesRealTime([&] { return decodeWithEngine(file); });
        }
        engine.push_back(ours);
        plain.push_back(theirs);
        ratios.push_back(ours / theirs);
    }
    std::printf(
        "%s, %d alternating rounds: engine min %.0f median %.0f, %s min %.0f median %.0f times real time; "
        "engine/%s per round: median %.0f %% (range %.0f to %.0f %%)\n",
        format, kRounds, *std::min_element(engine.begin(), engine.end()), median(engine), anchorName,
        *std::min_element(plain.begin(), plain.end()), median(plain), anchorName, 100 * median(ratios),
        100 * *std::min_element(ratios.begin(), ratios.end()),
        100 * *std::max_element(ratios.begin(), ratios.end()));
}

}  // namespace

int main() {
    mpg123_init();
    BASS_Init(0, 44100, 0, nullptr, nullptr);
    compare("mp3", benchaudio::song("mp3", kSongSeconds), "libmpg123", decodeWithMpg123);
    compare("ogg", benchaudio::song("ogg", kSongSeconds), "libvorbisfile", decodeWithVorbisfile);
    BASS_Free();
    return 0;
}

#pragma once
// Audio the engine tests play: sines and silence written as wav, ogg and mp3 through libsndfile's
// own encoders, and a small four-channel module written byte by byte.

#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace fixtures {

enum class Format { wav, ogg, mp3 };

inline int sndfileFormat(Format format) {
    switch (format) {
        case Format::wav:
            return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        case Format::ogg:
            return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        case Format::mp3:
            return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    }
    return 0;
}

// The tags a generated song carries.
struct SongTagTexts {
    const char* title;
    const char* artist;
    const char* album;
};

// A stereo sine of `seconds`, with the tags when there are any (Vorbis comments in ogg, ID3v2 in
// mp3, as libsndfile's encoders write them). Returns false when it could not write.
inline bool writeSineFile(const std::string& path, Format format, double seconds, double frequency,
                          double amplitude, int rate, const SongTagTexts* tags) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = sndfileFormat(format);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) return false;
    bool ok = tags == nullptr || (sf_set_string(file, SF_STR_TITLE, tags->title) == 0 &&
                                  sf_set_string(file, SF_STR_ARTIST, tags->artist) == 0 &&
                                  sf_set_string(file, SF_STR_ALBUM, tags->album) == 0);
    const auto frames = static_cast<std::size_t>(std::llround(seconds * rate));
    std::vector<float> samples(2 * frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const float value =
            static_cast<float>(amplitude * std::sin(2 * M_PI * frequency * static_cast<double>(i) / rate));
        samples[2 * i] = value;
        samples[2 * i + 1] = value;
    }
    ok = ok && sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames)) ==
                   static_cast<sf_count_t>(frames);
    sf_close(file);
    return ok;
}

// A stereo sine of `seconds`; amplitude 0 writes silence.
inline bool writeSine(const std::string& path, Format format, double seconds, double frequency = 440.0,
                      double amplitude = 0.5, int rate = 44100) {
    return writeSineFile(path, format, seconds, frequency, amplitude, rate, nullptr);
}

// A 440 Hz sine carrying tags.
inline bool writeSineWithTags(const std::string& path, Format format, double seconds,
                              const SongTagTexts& tags) {
    return writeSineFile(path, format, seconds, 440.0, 0.5, 44100, &tags);
}

// A stereo wav of `seconds` of silence with a click (4 ms of a full square wave) every `spacing`
// seconds, the first at `spacing`: song times that can be found again in a recording.
inline bool writeClicks(const std::string& path, double seconds, double spacing, int rate = 44100) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = sndfileFormat(Format::wav);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) return false;
    const auto frames = static_cast<std::size_t>(std::llround(seconds * rate));
    std::vector<float> samples(2 * frames, 0.0f);
    for (double at = spacing; at < seconds - 0.01; at += spacing) {
        const auto start = static_cast<std::size_t>(std::llround(at * rate));
        for (std::size_t i = 0; i < static_cast<std::size_t>(rate / 250) && start + i < frames; ++i) {
            samples[2 * (start + i)] = samples[2 * (start + i) + 1] = (i % 2 == 0) ? 0.6f : -0.6f;
        }
    }
    const bool ok = sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames)) ==
                    static_cast<sf_count_t>(frames);
    sf_close(file);
    return ok;
}

// Interleaved float frames as a 16-bit wav file (a float of ±1 is full scale).
inline bool writeWav(const std::string& path, int rate, int channels, const std::vector<float>& samples) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = sndfileFormat(Format::wav);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) return false;
    const auto frames = static_cast<sf_count_t>(samples.size() / static_cast<std::size_t>(channels));
    const bool ok = sf_writef_float(file, samples.data(), frames) == frames;
    sf_close(file);
    return ok;
}

inline std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Removes the first MPEG frame when it is an info frame ("Xing", "Info" or "VBRI"), so that a
// decoder has to find the length by scanning.
inline bool stripMp3InfoFrame(std::vector<std::uint8_t>& bytes) {
    std::size_t start = 0;
    if (bytes.size() > 10 && std::memcmp(bytes.data(), "ID3", 3) == 0) {
        start = 10 + ((bytes[6] & 0x7F) << 21 | (bytes[7] & 0x7F) << 14 | (bytes[8] & 0x7F) << 7 |
                      (bytes[9] & 0x7F));
    }
    while (start + 4 < bytes.size() && !(bytes[start] == 0xFF && (bytes[start + 1] & 0xE0) == 0xE0)) ++start;
    if (start + 4 >= bytes.size()) return false;
    // MPEG-1 layer III: frame length = 144 * bitrate / rate + padding.
    static const int bitrates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static const int rates[] = {44100, 48000, 32000, 0};
    const int bitrate = bitrates[bytes[start + 2] >> 4] * 1000;
    const int rate = rates[(bytes[start + 2] >> 2) & 3];
    if (bitrate == 0 || rate == 0) return false;
    const std::size_t length = 144 * bitrate / rate + ((bytes[start + 2] >> 1) & 1);
    const std::string frame(bytes.begin() + static_cast<long>(start),
                            bytes.begin() + static_cast<long>(std::min(bytes.size(), start + length)));
    if (frame.find("Xing") == std::string::npos && frame.find("Info") == std::string::npos &&
        frame.find("VBRI") == std::string::npos) {
        return false;
    }
    bytes.erase(bytes.begin() + static_cast<long>(start), bytes.begin() + static_cast<long>(start + length));
    return true;
}

// A ProTracker module: four channels, one pattern of 64 rows at speed 6 (7.68 s), a looping square
// wave sample played on every channel from the first row.
inline std::vector<std::uint8_t> fourChannelModule() {
    std::vector<std::uint8_t> m(1084, 0);
    std::memcpy(m.data(), "quillon test", 12);
    const int sampleWords = 32;
    std::uint8_t* sample = m.data() + 20;  // sample 1 header
    std::memcpy(sample, "square", 6);
    sample[22] = 0;
    sample[23] = sampleWords;  // length in words, big-endian
    sample[25] = 64;           // volume
    sample[27] = 0;            // loop start
    sample[28] = 0;
    sample[29] = sampleWords;  // loop length
    m[950] = 1;                // song length: one order
    m[951] = 127;
    m[952] = 0;  // order 0 plays pattern 0
    std::memcpy(m.data() + 1080, "M.K.", 4);
    std::vector<std::uint8_t> pattern(64 * 4 * 4, 0);
    const int period = 214;  // C-3
    for (int channel = 0; channel < 4; ++channel) {
        std::uint8_t* cell = pattern.data() + channel * 4;
        cell[0] = static_cast<std::uint8_t>((1 & 0xF0) | (period >> 8));
        cell[1] = static_cast<std::uint8_t>(period & 0xFF);
        cell[2] = static_cast<std::uint8_t>((1 & 0x0F) << 4);
    }
    m.insert(m.end(), pattern.begin(), pattern.end());
    for (int i = 0; i < sampleWords * 2; ++i) m.push_back(i < sampleWords ? 0x60 : 0xA0);
    return m;
}

}  // namespace fixtures

#pragma once
// Test songs for the benchmarks: long stereo sines encoded once and kept in the temporary folder.

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace benchaudio {

// A song of `seconds` in the format ("mp3" or "ogg"), written on first use.
inline std::string song(const std::string& extension, int seconds) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("quillon-bench-" + std::to_string(seconds) + "s." + extension);
    if (std::filesystem::exists(path)) return path.string();
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format =
        extension == "mp3" ? (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III) : (SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    const std::string temporary = path.string() + ".part";
    SNDFILE* file = sf_open(temporary.c_str(), SFM_WRITE, &info);
    if (file == nullptr) return {};
    std::vector<float> block(2 * 44100);
    for (int second = 0; second < seconds; ++second) {
        for (int i = 0; i < 44100; ++i) {
            const double t = second + i / 44100.0;
            // A chord that changes every second, so the encoder has real work.
            const double value = 0.3 * std::sin(2 * M_PI * (220 + 20 * (second % 12)) * t) +
                                 0.2 * std::sin(2 * M_PI * 660 * t) + 0.1 * std::sin(2 * M_PI * 1320 * t);
            block[2 * i] = block[2 * i + 1] = static_cast<float>(value);
        }
        sf_writef_float(file, block.data(), 44100);
    }
    sf_close(file);
    std::filesystem::rename(temporary, path);
    return path.string();
}

}  // namespace benchaudio

// Decoding speed of the engine (a decode-only channel read through BASS_ChannelGetData) against
// the plain decoder libraries on the same 5-minute 44.1 kHz stereo songs.

#include <benchmark/benchmark.h>
#include <mpg123.h>
#include <vorbis/vorbisfile.h>

#include <vector>

#include "BenchAudio.h"
#include "QuillonAudio.h"

namespace {

constexpr int kSongSeconds = 300;

void decodeWithEngine(benchmark::State& state, const std::string& extension) {
    const std::string file = benchaudio::song(extension, kSongSeconds);
    BASS_Init(0, 44100, 0, nullptr, nullptr);
    std::vector<float> block(2 * 8192);
    std::int64_t frames = 0;
    for (auto _ : state) {
        const HSTREAM stream =
            BASS_StreamCreateFile(0, file.c_str(), 0, 0, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
        for (;;) {
            const DWORD got = BASS_ChannelGetData(stream, block.data(), static_cast<DWORD>(block.size() * 4));
            if (got == 0 || got == static_cast<DWORD>(-1)) break;
            frames += got / 8;
        }
        BASS_StreamFree(stream);
    }
    BASS_Free();
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) / 44100.0, benchmark::Counter::kIsRate);
}

void BM_EngineMp3(benchmark::State& state) { decodeWithEngine(state, "mp3"); }
void BM_EngineOgg(benchmark::State& state) { decodeWithEngine(state, "ogg"); }

void BM_PlainMpg123(benchmark::State& state) {
    const std::string file = benchaudio::song("mp3", kSongSeconds);
    mpg123_init();
    std::vector<float> block(2 * 8192);
    std::int64_t frames = 0;
    for (auto _ : state) {
        int error = 0;
        mpg123_handle* handle = mpg123_new(nullptr, &error);
        mpg123_param(handle, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_FORCE_FLOAT, 0);
        mpg123_open(handle, file.c_str());
        size_t got = 0;
        int result;
        while ((result = mpg123_read(handle, reinterpret_cast<unsigned char*>(block.data()), block.size() * 4, &got)) ==
                   MPG123_OK ||
               result == MPG123_NEW_FORMAT) {
            frames += static_cast<std::int64_t>(got / 8);
        }
        mpg123_close(handle);
        mpg123_delete(handle);
    }
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) / 44100.0, benchmark::Counter::kIsRate);
}

void BM_PlainVorbisfile(benchmark::State& state) {
    const std::string file = benchaudio::song("ogg", kSongSeconds);
    std::int64_t frames = 0;
    for (auto _ : state) {
        OggVorbis_File vf;
        if (ov_fopen(file.c_str(), &vf) != 0) break;
        for (;;) {
            float** pcm = nullptr;
            int section = 0;
            const long got = ov_read_float(&vf, &pcm, 8192, &section);
            if (got <= 0) break;
            frames += got;
        }
        ov_clear(&vf);
    }
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) / 44100.0, benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_PlainMpg123)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_EngineMp3)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_PlainVorbisfile)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_EngineOgg)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK_MAIN();

// How long the output callback takes while the control thread works as the main window does: a
// song plays, then the window opens a 10-minute mp3 in its place, seeks it 20 times a second and
// reads its levels and spectrum every 10 ms, for 10 s. Linked with the engine's core, so it reads
// the engine's own timing of every callback.
//
// A callback is late when it took longer than the sound it rendered lasts; the target is a worst
// callback under 2 ms and none late.

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "BenchAudio.h"
#include "Engine.h"
#include "QuillonAudio.h"

using namespace std::chrono_literals;

int main() {
    const std::string playing = benchaudio::song("mp3", 300);
    const std::string opened = benchaudio::song("mp3", 600);
    if (playing.empty() || opened.empty() || !BASS_Init(0, 44100, 0, nullptr, nullptr)) {
        std::fprintf(stderr, "cannot set up: %d\n", BASS_ErrorGetCode());
        return 1;
    }
    BASS_SetConfig(BASS_CONFIG_FLOATDSP, 1);
    const HSTREAM first = BASS_StreamCreateFile(0, playing.c_str(), 0, 0, 0);
    BASS_ChannelPlay(first, 0);
    std::this_thread::sleep_for(500ms);

    engine::Engine& engine = engine::Engine::instance();
    engine.resetMixTimings();
    const auto begin = std::chrono::steady_clock::now();
    const auto openStart = std::chrono::steady_clock::now();
    const HSTREAM song = BASS_StreamCreateFile(0, opened.c_str(), 0, 0, 0);
    const double openMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - openStart).count();
    BASS_StreamFree(first);
    BASS_ChannelPlay(song, 0);

    std::mt19937 random(7);
    const double length = BASS_ChannelBytes2Seconds(song, BASS_StreamGetLength(song));
    std::uniform_real_distribution<float> where(0.0f, static_cast<float>(length - 5));
    std::vector<float> spectrum(1024);
    int seeks = 0;
    int reads = 0;
    auto nextSeek = begin;
    while (std::chrono::steady_clock::now() - begin < 10s) {
        if (std::chrono::steady_clock::now() >= nextSeek) {
            BASS_ChannelSetPosition(song, BASS_ChannelSeconds2Bytes(song, where(random)));
            ++seeks;
            nextSeek += 50ms;
        }
        BASS_ChannelGetLevel(song);
        BASS_ChannelGetData(song, spectrum.data(), BASS_DATA_FFT2048);
        BASS_ChannelGetPosition(song);
        ++reads;
        std::this_thread::sleep_for(10ms);
    }
    const engine::MixTimings timings = engine.mixTimings();
    BASS_Free();

    std::printf("opening the 10-minute mp3: %.1f ms\n", openMs);
    std::printf("while it played for 10 s with %d seeks and %d level and spectrum reads:\n", seeks, reads);
    std::printf("output callbacks %llu, worst %.3f ms, late %llu\n",
                static_cast<unsigned long long>(timings.callbacks), timings.worstSeconds * 1000,
                static_cast<unsigned long long>(timings.late));
    return 0;
}

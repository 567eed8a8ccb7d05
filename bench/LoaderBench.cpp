// The start-up cost of bringing the audio library in: mapping the image the program carries with
// our own loader and looking up its 91 entry points, against the system loader opening the same
// library from a file. First one cold load in this fresh process (which also opens the needed
// libraries); then, with those libraries held open, each iteration loads, looks up all names and
// unloads. (Held open because one of them leaks a thread key on every unload.)

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <chrono>
#include <cstdio>

#include "audio/BassEntryPoints.h"
#include "audio/EmbeddedEngine.h"
#include "audio/loader/DLLLoader.h"

namespace {

const char* const kEntryPointNames[] = {
#define QUILLON_NAME_ENTRY(name) #name,
    QUILLON_BASS_ENTRY_POINTS(QUILLON_NAME_ENTRY)
#undef QUILLON_NAME_ENTRY
};

void MapFromMemoryAndLookUp(benchmark::State& state) {
    const std::span<const std::uint8_t> image = embeddedEngineImage();
    for (auto _ : state) {
        TDLLLoader loader;
        {
            binary::MemoryStream stream;
            stream.write(image.data(), image.size());
            if (!loader.LoadFromStream(&stream)) state.SkipWithError("the image did not load");
        }
        for (const char* name : kEntryPointNames) benchmark::DoNotOptimize(loader.GetExportAddress(name));
    }
    state.counters["image bytes"] = static_cast<double>(image.size());
}
BENCHMARK(MapFromMemoryAndLookUp)->Unit(benchmark::kMillisecond);

void SystemLoaderFromFile(benchmark::State& state) {
    for (auto _ : state) {
        void* library = dlopen(QUILLON_AUDIO_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) state.SkipWithError("the library did not open");
        for (const char* name : kEntryPointNames) benchmark::DoNotOptimize(dlsym(library, name));
        dlclose(library);
    }
}
BENCHMARK(SystemLoaderFromFile)->Unit(benchmark::kMillisecond);

void LookUpAllNames(benchmark::State& state) {
    const std::span<const std::uint8_t> image = embeddedEngineImage();
    TDLLLoader loader;
    binary::MemoryStream stream;
    stream.write(image.data(), image.size());
    if (!loader.LoadFromStream(&stream)) state.SkipWithError("the image did not load");
    for (auto _ : state) {
        for (const char* name : kEntryPointNames) benchmark::DoNotOptimize(loader.GetExportAddress(name));
    }
}
BENCHMARK(LookUpAllNames)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    // Kept loaded, so that the needed libraries stay open for the runs below.
    static TDLLLoader loader;
    {
        binary::MemoryStream stream;
        const std::span<const std::uint8_t> image = embeddedEngineImage();
        stream.write(image.data(), image.size());
        if (!loader.LoadFromStream(&stream)) return 1;
        for (const char* name : kEntryPointNames) benchmark::DoNotOptimize(loader.GetExportAddress(name));
        const double milliseconds =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("cold load from memory with the needed libraries and 91 look-ups: %.2f ms\n",
                    milliseconds);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

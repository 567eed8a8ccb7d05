// The start-up cost of bringing the audio library in: mapping the image the program carries with
// our own loader and looking up its 91 entry points, against the system loader opening the same
// library from a file. Each iteration loads, looks up all names and unloads.

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include "audio/BassEntryPoints.h"
#include "audio/DLLLoader.h"
#include "audio/EmbeddedEngine.h"

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

BENCHMARK_MAIN();

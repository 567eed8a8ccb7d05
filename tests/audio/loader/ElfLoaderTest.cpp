// Shared objects mapped from memory: a fixture built for the purpose and the audio library itself,
// what their initialisers, finalisers, exceptions and indirect functions need, and damaged images.

#include <elf.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "ElfImageCrafting.h"
#include "FakeSystemModules.h"
#include "PagePermissions.h"
#include "audio/Bass_Dynamic.h"
#include "support/AudioFixtures.h"

namespace {

using namespace loadertest;

std::vector<std::uint8_t> fileBytes(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool load(TDLLLoader& loader, const std::vector<std::uint8_t>& bytes) {
    binary::MemoryStream stream(bytes);
    return loader.LoadFromStream(&stream);
}

bool mappedFromAFile(const std::string& fileName) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find(fileName) != std::string::npos) return true;
    }
    return false;
}

template <typename Function>
Function exported(const TDLLLoader& loader, const char* name) {
    return reinterpret_cast<Function>(loader.GetExportAddress(name));
}

TEST(ElfLoader, ASharedObjectLoadedFromMemoryRunsLikeOneFromTheSystemLoader) {
    TDLLLoader loader;
    ASSERT_TRUE(load(loader, fileBytes(QUILLON_LOADER_FIXTURE)));
    EXPECT_FALSE(mappedFromAFile("libquillon_loader_fixture")) << "no file behind the image";

    const auto add = exported<int (*)(int, int)>(loader, "fixture_add");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(2, 3), 5);
    EXPECT_EQ(loader.GetExportAddress("fixture_ad"), nullptr);
    EXPECT_EQ(loader.GetExportAddress("Witness"), nullptr) << "hidden names are not exported";
    EXPECT_EQ(exported<int (*)()>(loader, "fixture_constructed")(), 42) << "initialisers ran";
    EXPECT_EQ(exported<int (*)(int)>(loader, "fixture_catch_inside")(41), 42)
        << "exception thrown and caught inside";
    EXPECT_EQ(std::string(exported<const char* (*)(int)>(loader, "fixture_format")(5)), "value=5");
    char* text = exported<char* (*)()>(loader, "fixture_new_text")();
    EXPECT_STREQ(text, "hello");
    delete[] text;  // one allocator on both sides
    EXPECT_EQ(exported<int (*)()>(loader, "fixture_answer")(), 2) << "indirect function resolved for look-up";
    const auto* fourth = exported<const char* const*>(loader, "fixture_fourth_letter");
    ASSERT_NE(fourth, nullptr);
    EXPECT_EQ(**fourth, 'd') << "a symbol's address plus its addend";
    EXPECT_EQ(pagePermissions(fourth), "r--p") << "relocated read-only data is made read-only";
    EXPECT_EQ(exported<int (*)()>(loader, "fixture_answer_through_slot")(), 20)
        << "and through the image's own slot";

    const int libstdcxx = loader.IndexOfLibrary("libstdc++.so.6");
    ASSERT_GE(libstdcxx, 0);
    EXPECT_NE(loader.loadedLibraries()[static_cast<std::size_t>(libstdcxx)].Module, nullptr);
}

TEST(ElfLoader, UnloadingRunsTheFinalisersAndALaterLoadStartsFresh) {
    const std::vector<std::uint8_t> image = fileBytes(QUILLON_LOADER_FIXTURE);
    int witness = 0;
    {
        TDLLLoader loader;
        ASSERT_TRUE(load(loader, image));
        exported<void (*)(int*)>(loader, "fixture_set_unload_witness")(&witness);
        loader.UnloadImage();
        EXPECT_EQ(witness, 7) << "the static object's destructor ran";
        EXPECT_EQ(loader.mappedBase(), nullptr);
        EXPECT_EQ(loader.GetExportAddress("fixture_add"), nullptr);
        ASSERT_TRUE(load(loader, image));
        witness = 0;
        exported<void (*)(int*)>(loader, "fixture_set_unload_witness")(&witness);
        EXPECT_EQ(exported<int (*)(int)>(loader, "fixture_catch_inside")(1), 2) << "frames registered again";
    }
    EXPECT_EQ(witness, 7) << "the destructor unloads";
}

TEST(ElfLoader, FinalisersRunFromTheEndOfTheirArray) {
    // The linker sorts the finaliser array by ascending priority and the array runs from its end,
    // so a destructor of priority 102 runs before one of 101 (the system loader never unloads this
    // image, which uses libstdc++'s unique symbols, so it cannot be asked).
    char order[8] = "";
    TDLLLoader loader;
    ASSERT_TRUE(load(loader, fileBytes(QUILLON_LOADER_FIXTURE)));
    exported<void (*)(char*)>(loader, "fixture_set_unload_order")(order);
    loader.UnloadImage();
    EXPECT_STREQ(order, "BA");
}

TEST(ElfLoader, ThreadLocalStorageIsRefusedCleanly) {
    TDLLLoader loader;
    EXPECT_FALSE(load(loader, fileBytes(QUILLON_LOADER_TLS_FIXTURE)));
    EXPECT_EQ(loader.mappedBase(), nullptr);
    EXPECT_TRUE(loader.loadedLibraries().empty());
}

TEST(ElfLoader, LoadSegmentsSharingAPageAreRefusedNotCrashedOn) {
    const std::vector<std::uint8_t> crafted = withEmptySegmentBelowASlot(fileBytes(QUILLON_LOADER_FIXTURE));
    ASSERT_FALSE(crafted.empty()) << "the fixture has a stack header and jump slots";
    TDLLLoader loader;
    EXPECT_FALSE(load(loader, crafted));
    const std::vector<std::uint8_t> onTheLastPage =
        withEmptySegmentBelowASlot(fileBytes(QUILLON_LOADER_FIXTURE), EmptySegmentPlace::lastWritablePage);
    TDLLLoader alsoRefused;
    EXPECT_FALSE(load(alsoRefused, onTheLastPage)) << "sharing the writable segment's last page";
    TDLLLoader good;
    EXPECT_TRUE(load(good, fileBytes(QUILLON_LOADER_FIXTURE))) << "the same image unchanged still loads";
}

TEST(ElfLoader, DamagedImagesNeverCrashTheLoader) {
    FakeSystemLoader systemLoader;
    globalScopeAnswersEverything = true;
    CodeCallRecorder codeCalls;
    const std::vector<std::uint8_t> good = fileBytes(QUILLON_LOADER_FIXTURE);
    {
        TDLLLoader loader;
        ASSERT_TRUE(load(loader, good));
        EXPECT_GT(initialiserCalls, 0);
    }
    // (Section headers and debugging data follow the loaded segments, so long prefixes may load.)
    for (std::size_t length = 1; length < good.size(); length += length < 0x1000 ? 3 : 101) {
        TDLLLoader loader;
        load(loader,
             std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
    }
    std::mt19937 random(8);
    const std::size_t headerPart = std::min<std::size_t>(good.size(), 0x1000);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> bytes = good;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < changes; ++c) {
            const std::size_t at = random() % 3 != 0 ? random() % headerPart : random() % bytes.size();
            bytes[at] = static_cast<std::uint8_t>(random() % 3 == 0 ? 0xFF : random());
        }
        TDLLLoader loader;
        if (load(loader, bytes)) loader.GetExportAddress("fixture_add");
    }
    globalScopeAnswersEverything = false;
}

TEST(ElfLoader, TheAudioLibraryRunsFromMemory) {
    ASSERT_FALSE(mappedFromAFile("libquillon_audio.so"));
    const std::vector<std::uint8_t> image = fileBytes(QUILLON_AUDIO_LIBRARY);
    QString problem;
    ASSERT_TRUE(bassdll::LoadBassLibrary(bassdll::inMemoryLibraryLoader(image), problem))
        << problem.toStdString();
    EXPECT_FALSE(mappedFromAFile("libquillon_audio.so"));
    EXPECT_EQ(bassdll::BASS_GetVersion(), 65538u);
    ASSERT_TRUE(bassdll::BASS_Init(0, 44100, 0, nullptr, nullptr));

    const std::filesystem::path song =
        std::filesystem::temp_directory_path() / ("quillon-loader-" + std::to_string(getpid()) + ".wav");
    ASSERT_TRUE(fixtures::writeSine(song.string(), fixtures::Format::wav, 1.0, 440.0, 0.5));
    const HSTREAM stream = bassdll::BASS_StreamCreateFile(0, song.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(stream, 0u) << bassdll::BASS_ErrorGetCode();
    std::vector<std::int16_t> block(4096);
    std::size_t frames = 0;
    int peak = 0;
    for (;;) {
        const DWORD got =
            bassdll::BASS_ChannelGetData(stream, block.data(), static_cast<DWORD>(block.size() * 2));
        if (got == static_cast<DWORD>(-1) || got == 0) break;
        frames += got / 4;
        for (std::size_t i = 0; i < got / 2; ++i) peak = std::max(peak, std::abs(static_cast<int>(block[i])));
    }
    EXPECT_EQ(frames, 44100u);
    EXPECT_NEAR(peak, 16384, 200);
    EXPECT_TRUE(bassdll::BASS_StreamFree(stream));
    EXPECT_TRUE(bassdll::BASS_Free());
    bassdll::UnloadBassLibrary();
    std::filesystem::remove(song);
}

}  // namespace

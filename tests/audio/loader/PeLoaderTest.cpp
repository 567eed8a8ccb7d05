// Loading synthesized PE32 images: headers, sections, relocations, imports, protections, the entry
// routine and the exports, and images that are damaged or lie.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#include "FakeSystemModules.h"
#include "PagePermissions.h"
#include "PeImageBuilder.h"
#include "platform/modules/VirtualMemory.h"

namespace {

using namespace loadertest;
using peimage::put16;
using peimage::put32;
using peimage::putText;

constexpr std::uint32_t kText = 0x1000, kData = 0x2000, kConst = 0x3000;

// Code that is the same in 32-bit and 64-bit mode.
const std::vector<std::uint8_t> kReturnTrue = {0xB8, 0x01, 0x00, 0x00, 0x00, 0xC3};  // mov eax, 1; ret
const std::vector<std::uint8_t> kReturnFalse = {0x31, 0xC0, 0xC3};                   // xor eax, eax; ret

peimage::Builder codeDataConst() {
    peimage::Builder image;
    image.add(kText, 0x100, peimage::kCode).raw = kReturnTrue;
    image.add(kData, 0x100, peimage::kData).raw.assign(0x100, 0);
    image.add(kConst, 0x800, peimage::kConst).raw.assign(0x800, 0);
    return image;
}

std::vector<std::uint8_t>& sectionBytes(peimage::Builder& image, std::uint32_t rva) {
    for (peimage::Section& section : image.sections) {
        if (section.rva == rva) return section.raw;
    }
    throw std::logic_error("no such section");
}

bool load(TDLLLoader& loader, const std::vector<std::uint8_t>& bytes) {
    binary::MemoryStream stream(bytes);
    return loader.LoadFromStream(&stream);
}

std::uint32_t u32At(const TDLLLoader& loader, std::uint32_t rva) {
    std::uint32_t value = 0;
    std::memcpy(&value, loader.RVAToPointer(rva), 4);
    return value;
}

class PeLoader : public ::testing::Test {
protected:
    FakeSystemLoader systemLoader;
    CodeCallRecorder codeCalls;
};

TEST_F(PeLoader, MapsSectionsZeroFilledToTheLargerOfRawAndVirtualSize) {
    peimage::Builder image = codeDataConst();
    image.add(0x4000, 0x1800, peimage::kData);                        // raw size 0
    image.add(0x6000, 0x10, peimage::kData).raw.assign(0x300, 0xAB);  // raw larger than virtual
    TDLLLoader loader;
    ASSERT_TRUE(load(loader, image.build()));
    ASSERT_EQ(loader.sectionTable().size(), 5u);
    EXPECT_EQ(loader.sectionTable()[3].Size, 0x1800u);
    const auto* bss = static_cast<const std::uint8_t*>(loader.RVAToPointer(0x4000));
    ASSERT_NE(bss, nullptr);
    EXPECT_TRUE(std::all_of(bss, bss + 0x1800, [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(loader.sectionTable()[4].Size, 0x300u);
    EXPECT_EQ(*static_cast<const std::uint8_t*>(loader.RVAToPointer(0x62FF)), 0xAB);
    EXPECT_EQ(loader.RVAToPointer(0x6300), nullptr);
    EXPECT_EQ(loader.RVAToPointer(0x10), nullptr) << "header addresses lie in no section";
    // The headers themselves are mapped at the base, read-only.
    EXPECT_EQ(std::memcmp(loader.mappedBase(), "MZ", 2), 0);
    EXPECT_EQ(pagePermissions(loader.mappedBase()), "r--p");
}

TEST_F(PeLoader, BaseRelocationsOfEachTypeAddTheDelta) {
    peimage::Builder image = codeDataConst();
    std::vector<std::uint8_t>& data = sectionBytes(image, kData);
    put32(data, 0x10, image.imageBase + kData + 0x40);  // type 3: an absolute address
    put16(data, 0x20, 0x1234);                          // type 2: low half
    put16(data, 0x30, 0x0042);                          // type 1: high half
    put32(data, 0x50, 0xCAFEF00D);                      // only named by padding (type 0) and type 10
    std::vector<std::uint8_t>& relocations = sectionBytes(image, kConst);
    put32(relocations, 0, kData);
    put32(relocations, 4, 8 + 2 * 4);
    put16(relocations, 8, 0x3010);
    put16(relocations, 10, 0x2020);
    put16(relocations, 12, 0xA050);
    put16(relocations, 14, 0x0000);
    put32(relocations, 16, kData);  // a second block
    put32(relocations, 20, 8 + 2 * 2);
    put16(relocations, 24, 0x1030);
    put16(relocations, 26, 0x0000);
    image.directories[5] = {kConst, 28};
    TDLLLoader loader;
    ASSERT_TRUE(load(loader, image.build()));
    const auto delta = static_cast<std::uint32_t>(loader.baseDelta());
    ASSERT_NE(delta, 0u) << "the image should not land at its preferred base";
    EXPECT_EQ(delta, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(loader.mappedBase())) -
                         image.imageBase);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(loader.mappedBase()) >> 32, 0u) << "reserved below 4 GiB";
    EXPECT_EQ(
        u32At(loader, kData + 0x10),
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(loader.RVAToPointer(kData + 0x40))));
    std::uint16_t low = 0, high = 0;
    std::memcpy(&low, loader.RVAToPointer(kData + 0x20), 2);
    std::memcpy(&high, loader.RVAToPointer(kData + 0x30), 2);
    EXPECT_EQ(low, static_cast<std::uint16_t>(0x1234 + (delta & 0xFFFF)));
    EXPECT_EQ(high, static_cast<std::uint16_t>(0x0042 + (delta >> 16)));
    EXPECT_EQ(u32At(loader, kData + 0x50), 0xCAFEF00Du);
}

TEST_F(PeLoader, ImportsResolveByNameAndOrdinalIntoTheAddressTable) {
    peimage::Builder image = codeDataConst();
    std::vector<std::uint8_t>& imports = sectionBytes(image, kConst);
    std::vector<std::uint8_t>& data = sectionBytes(image, kData);
    // fake.dll, read from its lookup table (time stamp set): Alpha by name, ordinal 7, Gamma (absent).
    put32(imports, 0x00, kConst + 0x100);
    put32(imports, 0x04, 0xFFFFFFFF);
    put32(imports, 0x0C, kConst + 0x200);
    put32(imports, 0x10, kData + 0x00);
    // gone.dll (cannot be loaded), read from its address table itself (time stamp 0).
    put32(imports, 0x14 + 0x0C, kConst + 0x210);
    put32(imports, 0x14 + 0x10, kData + 0x20);
    // high.dll, whose function lies above 4 GiB.
    put32(imports, 0x28 + 0x0C, kConst + 0x220);
    put32(imports, 0x28 + 0x10, kData + 0x30);
    put32(imports, 0x100, kConst + 0x300);
    put32(imports, 0x104, 0x80000007);
    put32(imports, 0x108, kConst + 0x310);
    put32(imports, 0x10C, 0x80000107);  // ordinal 263, whose low byte is 7
    putText(imports, 0x200, "fake.dll");
    putText(imports, 0x210, "gone.dll");
    putText(imports, 0x220, "high.dll");
    putText(imports, 0x302, "Alpha");
    putText(imports, 0x312, "Gamma");
    putText(imports, 0x322, "Far");
    put32(data, 0x00, 0xDEAD0001);  // the address table's own contents must be ignored here
    put32(data, 0x04, 0xDEAD0002);
    put32(data, 0x08, 0xDEAD0003);
    put32(data, 0x20, kConst + 0x300);
    put32(data, 0x30, kConst + 0x320);
    image.directories[1] = {kConst, 0x3C};
    TDLLLoader loader;
    ASSERT_TRUE(load(loader, image.build()));
    EXPECT_EQ(u32At(loader, kData + 0x00), 0x1111u);
    EXPECT_EQ(u32At(loader, kData + 0x04), 0x7777u);
    EXPECT_EQ(u32At(loader, kData + 0x08), 0u);
    EXPECT_EQ(u32At(loader, kData + 0x0C), 0u) << "ordinal 263 is not ordinal 7";
    EXPECT_EQ(u32At(loader, kData + 0x20), 0u) << "a library that cannot be loaded gives null functions";
    EXPECT_EQ(u32At(loader, kData + 0x30), 0u) << "an address that does not fit the slot stays unresolved";

    ASSERT_EQ(loader.loadedLibraries().size(), 3u);
    EXPECT_EQ(loader.loadedLibraries()[1].Name, "gone.dll");
    EXPECT_EQ(loader.loadedLibraries()[1].Module, nullptr);
    EXPECT_EQ(loader.IndexOfLibrary("high.dll"), 2);
    EXPECT_EQ(loader.IndexOfLibrary("FAKE.DLL"), -1);
    EXPECT_EQ(loader.GetLibraryModule("fake.dll"), &fakeModule);
    ASSERT_EQ(loader.importTable().size(), 3u);
    const std::vector<TDLLFunctionImport>& functions = loader.importTable()[0].Functions;
    ASSERT_EQ(functions.size(), 4u);
    EXPECT_EQ(functions[3].Ordinal, 0x107u);
    EXPECT_FALSE(functions[0].ByOrdinal);
    EXPECT_EQ(functions[0].Name, "Alpha");
    EXPECT_TRUE(functions[1].ByOrdinal);
    EXPECT_EQ(functions[1].Ordinal, 7u);
    EXPECT_EQ(functions[1].Name, "");

    loader.UnloadImage();
    const std::vector<modules::ModuleHandle> freedInOrder = {&fakeModule, &highModule};
    EXPECT_EQ(freedModules, freedInOrder);
    EXPECT_EQ(loader.mappedBase(), nullptr);
    EXPECT_TRUE(loader.loadedLibraries().empty());
}

TEST_F(PeLoader, ExportsAreFoundByExactNameAndForwardersResolveThroughTheirLibrary) {
    peimage::Builder image = codeDataConst();
    const std::uint32_t size = peimage::writeExports(sectionBytes(image, kConst), kConst, kConst,
                                                     {{"BASS_ChannelPlay", kText + 0x10, ""},
                                                      {"BASS_ChannelPause", kText + 0x20, ""},
                                                      {"BASS_ChannelPlay", kText + 0x30, ""},
                                                      {"ForwardedByName", 0, "fake.Alpha"},
                                                      {"ForwardedByOrdinal", 0, "fake.#7x"},
                                                      {"ForwardedNowhere", 0, "gone.Alpha"}});
    image.directories[0] = {kConst, size};
    TDLLLoader loader;
    ASSERT_TRUE(load(loader, image.build()));
    EXPECT_EQ(loader.GetExportAddress("BASS_ChannelPlay"), loader.RVAToPointer(kText + 0x10))
        << "the first one is kept";
    EXPECT_EQ(loader.GetExportAddress("BASS_ChannelPause"), loader.RVAToPointer(kText + 0x20));
    EXPECT_EQ(loader.GetExportAddress("BASS_Channel"), nullptr);
    EXPECT_EQ(loader.GetExportAddress("BASS_ChannelPlayX"), nullptr);
    EXPECT_EQ(loader.GetExportAddress("bass_channelplay"), nullptr);
    EXPECT_EQ(loader.GetExportAddress("BASS_XhannelPlay"), nullptr);
    EXPECT_EQ(loader.GetExportAddress("ForwardedByName"), reinterpret_cast<void*>(0x1111));
    EXPECT_EQ(loader.GetExportAddress("ForwardedByOrdinal"), reinterpret_cast<void*>(0x7777));
    EXPECT_EQ(loader.GetExportAddress("ForwardedNowhere"), nullptr);
    EXPECT_EQ(loader.exportTable().size(), 6u);
    EXPECT_EQ(loader.exportTable()[1].Index, 1u);
    EXPECT_EQ(loader.IndexOfLibrary("fake"), 0);
}

TEST_F(PeLoader, AnExportRightAfterTheDirectoryIsCodeNotAForwarder) {
    peimage::Builder image = codeDataConst();
    std::vector<std::uint8_t>& bytes = sectionBytes(image, kConst);
    // The directory's size, then the same directory with the export at its first byte past the end.
    const std::uint32_t size = peimage::writeExports(bytes, kConst, kConst, {{"Edge", kConst, ""}});
    peimage::writeExports(bytes, kConst, kConst, {{"Edge", kConst + size, ""}});
    putText(bytes, size, "fake.Alpha");  // would resolve, were it taken for a forwarder
    image.directories[0] = {kConst, size};
    TDLLLoader loader;
    ASSERT_TRUE(load(loader, image.build()));
    EXPECT_EQ(loader.GetExportAddress("Edge"), loader.RVAToPointer(kConst + size));
}

TEST_F(PeLoader, AnEmptyOrMissingExportDirectoryExportsNothing) {
    peimage::Builder image = codeDataConst();
    image.directories[0] = {kConst, peimage::writeExports(sectionBytes(image, kConst), kConst, kConst, {})};
    TDLLLoader empty;
    ASSERT_TRUE(load(empty, image.build()));
    EXPECT_NE(empty.exportIndex(), nullptr);
    EXPECT_EQ(empty.GetExportAddress("BASS_Init"), nullptr);

    image.directories[0] = {};
    TDLLLoader none;
    ASSERT_TRUE(load(none, image.build()));
    EXPECT_EQ(none.exportIndex(), nullptr);
    EXPECT_EQ(none.GetExportAddress("BASS_Init"), nullptr);
}

TEST_F(PeLoader, SectionFlagsGivePageProtections) {
    struct Case {
        std::uint32_t flags;
        std::uint32_t protection;
    };
    const Case cases[] = {
        {0xE0000000, vm::PAGE_EXECUTE_READWRITE},
        {0x60000000, vm::PAGE_EXECUTE_READ},
        {0xA0000000, vm::PAGE_EXECUTE_WRITECOPY},
        {0x20000000, vm::PAGE_EXECUTE},
        {0xC0000000, vm::PAGE_READWRITE},
        {0x40000000, vm::PAGE_READONLY},
        {0x80000000, vm::PAGE_WRITECOPY},
        {0x00000000, vm::PAGE_NOACCESS},
        {0x44000000, vm::PAGE_READONLY | vm::PAGE_NOCACHE},
    };
    for (const Case& c : cases) EXPECT_EQ(pageProtectionFor(c.flags), c.protection) << std::hex << c.flags;

    peimage::Builder image = codeDataConst();
    image.add(0x4000, 0x100, 0);
    TDLLLoader loader;
    ASSERT_TRUE(load(loader, image.build()));
    EXPECT_EQ(pagePermissions(loader.RVAToPointer(kText)), "r-xp");
    EXPECT_EQ(pagePermissions(loader.RVAToPointer(kData)), "rw-p");
    EXPECT_EQ(pagePermissions(loader.RVAToPointer(kConst)), "r--p");
    EXPECT_EQ(pagePermissions(loader.RVAToPointer(0x4000)), "---p");
}

TEST_F(PeLoader, TheEntryRoutineIsCalledOnAttachAndDetach) {
    peimage::Builder image = codeDataConst();
    image.entryPoint = kText;
    {
        TDLLLoader loader;
        ASSERT_TRUE(load(loader, image.build()));
        ASSERT_EQ(entryCalls.size(), 1u);
        EXPECT_EQ(entryCalls[0].entry, loader.RVAToPointer(kText));
        EXPECT_EQ(entryCalls[0].module, loader.mappedBase());
        EXPECT_EQ(entryCalls[0].reason, 1u);
        EXPECT_EQ(entryCalls[0].reserved, nullptr);
    }
    ASSERT_EQ(entryCalls.size(), 2u) << "the destructor detaches";
    EXPECT_EQ(entryCalls[1].reason, 0u);

    entryCalls.clear();
    entryResult = 0x100;  // only the low byte counts
    TDLLLoader refused;
    EXPECT_FALSE(load(refused, image.build()));
    EXPECT_EQ(refused.mappedBase(), nullptr) << "a refused image is released";
    ASSERT_EQ(entryCalls.size(), 2u);
    EXPECT_EQ(entryCalls[1].reason, 0u);
}

TEST(PeLoaderRunningCode, AnEntryRoutineThatReturnsFalseFailsTheLoad) {
    FakeSystemLoader systemLoader;
    peimage::Builder image = codeDataConst();
    image.entryPoint = kText;
    TDLLLoader accepted;
    EXPECT_TRUE(load(accepted, image.build()));
    EXPECT_NE(accepted.entryRoutine(), nullptr);

    sectionBytes(image, kText) = kReturnFalse;
    TDLLLoader refused;
    EXPECT_FALSE(load(refused, image.build()));
    EXPECT_EQ(refused.mappedBase(), nullptr);
}

TEST_F(PeLoader, RejectsImagesThatAreNotWhatTheyClaim) {
    const std::vector<std::uint8_t> good = codeDataConst().build();
    const auto damaged = [&](auto change) {
        std::vector<std::uint8_t> bytes = good;
        change(bytes);
        TDLLLoader loader;
        const bool loaded = load(loader, bytes);
        EXPECT_EQ(loader.mappedBase() != nullptr, loaded) << "a failed load keeps nothing";
        return loaded;
    };
    TDLLLoader loader;
    EXPECT_FALSE(loader.LoadFromStream(nullptr));
    binary::MemoryStream empty;
    EXPECT_FALSE(loader.LoadFromStream(&empty));
    EXPECT_TRUE(damaged([](auto&) {}));
    EXPECT_FALSE(damaged([](auto& b) { b[0] = 'N'; }));
    EXPECT_FALSE(damaged([](auto& b) { put32(b, 60, static_cast<std::uint32_t>(b.size()) + 1); }))
        << "NT headers past the end";
    EXPECT_FALSE(damaged([](auto& b) { put32(b, 60, 0xFFFFFFF0); }));
    EXPECT_FALSE(damaged([](auto& b) { b[0x81] = 'X'; })) << "PE signature";
    EXPECT_FALSE(damaged([](auto& b) { put16(b, 0x84, 0x8664); })) << "machine";
    EXPECT_FALSE(damaged([](auto& b) { put16(b, 0x86, 0); })) << "no sections";
    EXPECT_FALSE(damaged([](auto& b) { put16(b, 0x86, 0xFFFF); }))
        << "more section headers than the file holds";
    EXPECT_FALSE(damaged([](auto& b) { b.resize(b.size() - 1); })) << "the last section's raw data is short";
    EXPECT_FALSE(damaged([](auto& b) { put32(b, 0x80 + 24 + 224 + 12, 0x7FFFF000); }))
        << "section beyond the image size";
    EXPECT_FALSE(damaged([](auto& b) { put32(b, 0x80 + 24 + 60, 0x100000); }))
        << "headers larger than the image";
}

TEST_F(PeLoader, ARelocationOutsideEverySectionFailsAndReleasesTheLoad) {
    peimage::Builder image = codeDataConst();
    std::vector<std::uint8_t>& relocations = sectionBytes(image, kConst);
    put32(relocations, 0, 0x9000);
    put32(relocations, 4, 10);
    image.directories[5] = {kConst, 10};
    std::vector<std::uint8_t>& imports = sectionBytes(image, kConst);
    put32(imports, 0x40 + 0x0C, kConst + 0x80);  // never reached: relocations come first
    putText(imports, 0x80, "fake.dll");
    image.directories[1] = {kConst + 0x40, 20};
    TDLLLoader loader;
    EXPECT_FALSE(load(loader, image.build()));
    EXPECT_EQ(loader.mappedBase(), nullptr);

    put32(relocations, 0, kData);
    put32(relocations, 4, 4);  // smaller than its own head
    TDLLLoader shortBlock;
    EXPECT_FALSE(load(shortBlock, image.build()));
}

// Every prefix and thousands of damaged copies of a full image must load or fail, never crash or
// read out of bounds (the sanitizer build watches).
TEST_F(PeLoader, DamagedImagesNeverCrashTheLoader) {
    peimage::Builder image = codeDataConst();
    image.entryPoint = kText;
    std::vector<std::uint8_t>& rdata = sectionBytes(image, kConst);
    put32(rdata, 0x400, kData);
    put32(rdata, 0x404, 12);
    put16(rdata, 0x408, 0x3010);
    put16(rdata, 0x40A, 0x3020);
    image.directories[5] = {kConst + 0x400, 12};
    put32(rdata, 0x500 + 0x0C, kConst + 0x600);
    put32(rdata, 0x500 + 0x10, kData + 0x40);
    putText(rdata, 0x600, "fake.dll");
    put32(sectionBytes(image, kData), 0x40, kConst + 0x610);
    putText(rdata, 0x612, "Alpha");
    image.directories[1] = {kConst + 0x500, 40};
    image.directories[0] = {
        kConst, peimage::writeExports(rdata, kConst, kConst, {{"Play", kText, ""}, {"Fwd", 0, "fake.Beta"}})};
    const std::vector<std::uint8_t> good = image.build();
    {
        TDLLLoader loader;
        ASSERT_TRUE(load(loader, good));
        ASSERT_EQ(loader.GetExportAddress("Fwd"), reinterpret_cast<void*>(0x2222));
    }
    for (std::size_t length = 1; length < good.size(); length += length < 0x500 ? 1 : 7) {
        TDLLLoader loader;
        load(loader,
             std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
    }
    std::mt19937 random(20261208);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> bytes = good;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < changes; ++c) {
            // Mostly the headers and the directories, where the offsets are.
            const std::size_t at = random() % 2 == 0 ? random() % 0x400 : random() % bytes.size();
            bytes[at] = static_cast<std::uint8_t>(random() % 3 == 0 ? 0xFF : random());
        }
        TDLLLoader loader;
        if (load(loader, bytes)) loader.GetExportAddress("Play");
    }
}

}  // namespace

// Writes seed images for the loader's fuzz target into the folder given: PE32 libraries with
// exports, imports, forwarders and relocations, and, given a shared object with an indirect
// function, that object with an empty load segment on its jump slots' page. (The seed script adds
// the shared objects it compiles.)
//   quillon-loader-seeds FOLDER [SHARED_OBJECT]

#include <fstream>
#include <iterator>
#include <string>

#include "tests/audio/loader/ElfImageCrafting.h"
#include "tests/audio/loader/PeImageBuilder.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) return 2;
    if (argc == 3) {
        std::ifstream object(argv[2], std::ios::binary);
        const std::vector<std::uint8_t> crafted = loadertest::withEmptySegmentBelowASlot(
            {std::istreambuf_iterator<char>(object), std::istreambuf_iterator<char>()});
        if (crafted.empty()) return 1;
        std::ofstream(std::string(argv[1]) + "/shared-page-segment.so", std::ios::binary)
            .write(reinterpret_cast<const char*>(crafted.data()),
                   static_cast<std::streamsize>(crafted.size()));
    }
    const std::string folder = argv[1];
    peimage::Builder image;
    image.entryPoint = 0x1000;
    image.add(0x1000, 0x100, peimage::kCode).raw = {0xB8, 0x01, 0x00, 0x00, 0x00, 0xC3};
    image.add(0x2000, 0x100, peimage::kData).raw.assign(0x40, 0);
    std::vector<std::uint8_t>& rdata = image.add(0x3000, 0x400, peimage::kConst).raw;
    rdata.assign(0x400, 0);
    image.directories[0] = {
        0x3000, peimage::writeExports(
                    rdata, 0x3000, 0x3000,
                    {{"BASS_Init", 0x1000, ""}, {"BASS_Free", 0x1000, ""}, {"Forwarded", 0, "fake.#7"}})};
    peimage::put32(rdata, 0x200 + 0x0C, 0x3300);
    peimage::put32(rdata, 0x200 + 0x10, 0x2000);
    peimage::putText(rdata, 0x300, "fake.dll");
    peimage::put32(image.sections[1].raw, 0, 0x3310);
    peimage::put32(image.sections[1].raw, 4, 0x80000007);
    peimage::putText(rdata, 0x312, "Alpha");
    image.directories[1] = {0x3200, 40};
    peimage::put32(rdata, 0x380, 0x2000);
    peimage::put32(rdata, 0x384, 16);
    peimage::put16(rdata, 0x388, 0x3010);
    peimage::put16(rdata, 0x38A, 0x2014);
    peimage::put16(rdata, 0x38C, 0x1018);
    image.directories[5] = {0x3380, 16};
    const std::vector<std::uint8_t> bytes = image.build();
    std::ofstream(folder + "/seed-library.dll", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return 0;
}

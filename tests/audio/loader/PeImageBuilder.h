#pragma once
// Writes PE32 images for the Intel 386 byte by byte, as the tests and the fuzzer's seeds need them:
// sections with their contents, an entry point, and the export, import and base-relocation
// directories. File alignment 0x200, section alignment 0x1000, headers 0x400 bytes.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace peimage {

constexpr std::uint32_t kCode = 0x60000020;   // code, execute, read
constexpr std::uint32_t kData = 0xC0000040;   // initialised data, read, write
constexpr std::uint32_t kConst = 0x40000040;  // initialised data, read

inline void put16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
    if (bytes.size() < offset + 2) bytes.resize(offset + 2);
    std::memcpy(bytes.data() + offset, &value, 2);
}
inline void put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    if (bytes.size() < offset + 4) bytes.resize(offset + 4);
    std::memcpy(bytes.data() + offset, &value, 4);
}
inline void putText(std::vector<std::uint8_t>& bytes, std::size_t offset, const std::string& text) {
    if (bytes.size() < offset + text.size() + 1) bytes.resize(offset + text.size() + 1);
    std::memcpy(bytes.data() + offset, text.c_str(), text.size() + 1);
}

struct Section {
    std::uint32_t rva = 0;
    std::uint32_t virtualSize = 0;
    std::vector<std::uint8_t> raw;
    std::uint32_t characteristics = kData;
};

struct Builder {
    std::uint32_t imageBase = 0x10000000;
    std::uint32_t entryPoint = 0;
    std::uint32_t ntOffset = 0x80;
    std::vector<Section> sections;
    struct Directory {
        std::uint32_t address = 0, size = 0;
    } directories[16];

    Section& add(std::uint32_t rva, std::uint32_t virtualSize, std::uint32_t characteristics) {
        sections.push_back({rva, virtualSize, {}, characteristics});
        return sections.back();
    }

    std::vector<std::uint8_t> build() const {
        std::vector<std::uint8_t> file(0x400, 0);
        put16(file, 0, 0x5A4D);
        put32(file, 60, ntOffset);
        std::size_t at = ntOffset;
        put32(file, at, 0x00004550);
        put16(file, at + 4, 0x014C);
        put16(file, at + 6, static_cast<std::uint16_t>(sections.size()));
        put16(file, at + 20, 224);
        put16(file, at + 22, 0x2102);  // executable, 32-bit, library
        const std::size_t optional = at + 24;
        put16(file, optional, 0x010B);
        put32(file, optional + 16, entryPoint);
        put32(file, optional + 28, imageBase);
        put32(file, optional + 32, 0x1000);
        put32(file, optional + 36, 0x200);
        std::uint32_t imageSize = 0x1000;
        for (const Section& section : sections) {
            const std::uint32_t size =
                std::max<std::uint32_t>(section.virtualSize, static_cast<std::uint32_t>(section.raw.size()));
            imageSize = std::max(imageSize, (section.rva + size + 0xFFF) & ~0xFFFu);
        }
        put32(file, optional + 56, imageSize);
        put32(file, optional + 60, 0x400);
        put32(file, optional + 92, 16);
        for (int i = 0; i < 16; ++i) {
            put32(file, optional + 96 + 8 * i, directories[i].address);
            put32(file, optional + 100 + 8 * i, directories[i].size);
        }
        std::size_t header = optional + 224;
        std::size_t rawAt = 0x400;
        std::vector<std::pair<std::size_t, const Section*>> placed;
        for (const Section& section : sections) {
            put32(file, header + 8, section.virtualSize);
            put32(file, header + 12, section.rva);
            put32(file, header + 16, static_cast<std::uint32_t>(section.raw.size()));
            put32(file, header + 20, section.raw.empty() ? 0 : static_cast<std::uint32_t>(rawAt));
            put32(file, header + 36, section.characteristics);
            if (!section.raw.empty()) {
                placed.push_back({rawAt, &section});
                rawAt += (section.raw.size() + 0x1FF) & ~std::size_t{0x1FF};
            }
            header += 40;
        }
        file.resize(std::max(file.size(), rawAt), 0);
        for (const auto& [offset, section] : placed)
            std::copy(section->raw.begin(), section->raw.end(),
                      file.begin() + static_cast<std::ptrdiff_t>(offset));
        return file;
    }
};

// An export directory at `rva` inside `bytes` (the section starting at `sectionRva`): named exports
// with their function addresses; a function address inside the directory makes a forwarder, whose
// text is given instead. Returns the directory's size.
struct Export {
    std::string name;
    std::uint32_t functionRva = 0;
    std::string forwarder;  // "library.function" when not empty
};

inline std::uint32_t writeExports(std::vector<std::uint8_t>& bytes, std::uint32_t sectionRva,
                                  std::uint32_t rva, const std::vector<Export>& exports) {
    const std::size_t base = rva - sectionRva;
    const auto count = static_cast<std::uint32_t>(exports.size());
    const std::uint32_t functions = rva + 40;
    const std::uint32_t names = functions + 4 * count;
    const std::uint32_t ordinals = names + 4 * count;
    std::uint32_t text = ordinals + 2 * count;
    put32(bytes, base + 20, count);
    put32(bytes, base + 24, count);
    put32(bytes, base + 28, functions);
    put32(bytes, base + 32, names);
    put32(bytes, base + 36, ordinals);
    for (std::uint32_t i = 0; i < count; ++i) {
        put16(bytes, ordinals - sectionRva + 2 * i, static_cast<std::uint16_t>(i));
        put32(bytes, names - sectionRva + 4 * i, text);
        putText(bytes, text - sectionRva, exports[i].name);
        text += static_cast<std::uint32_t>(exports[i].name.size() + 1);
        if (exports[i].forwarder.empty()) {
            put32(bytes, functions - sectionRva + 4 * i, exports[i].functionRva);
        } else {
            put32(bytes, functions - sectionRva + 4 * i, text);
            putText(bytes, text - sectionRva, exports[i].forwarder);
            text += static_cast<std::uint32_t>(exports[i].forwarder.size() + 1);
        }
    }
    return text - rva;
}

}  // namespace peimage

// Loading a PE32 library for the Intel 386: headers, sections, base relocations, imports, page
// protections, the entry routine and the named exports, in that order.

#include <algorithm>
#include <cstring>
#include <limits>

#include "DLLLoader.h"
#include "platform/binary/ByteReader.h"
#include "platform/modules/VirtualMemory.h"

namespace {

constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint32_t kOptionalHeaderSize = 224;
constexpr std::uint32_t kSectionHeaderSize = 40;
constexpr std::uint32_t kProcessAttach = 1;

struct DataDirectory {
    std::uint32_t address = 0;
    std::uint32_t size = 0;
};

struct PeHeaders {
    std::uint16_t sectionCount = 0;
    std::uint32_t sectionHeadersOffset = 0;
    std::uint32_t entryPoint = 0;
    std::uint32_t imageBase = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t headersSize = 0;
    DataDirectory exports, imports, relocations;
};

DataDirectory directoryAt(binary::ByteReader& reader, std::uint64_t optionalHeader, int index) {
    reader.seek(optionalHeader + 96 + 8 * static_cast<std::uint64_t>(index));
    DataDirectory directory;
    directory.address = reader.u32();
    directory.size = reader.u32();
    return directory;
}

bool readHeaders(std::span<const std::uint8_t> image, PeHeaders& headers) {
    binary::ByteReader reader(image);
    if (!reader.contains(0, 64) || reader.u16() != 0x5A4D) return false;
    reader.seek(60);
    const std::uint32_t ntOffset = reader.u32();
    if (!reader.seek(ntOffset) || reader.u32() != 0x00004550) return false;
    const std::uint64_t fileHeader = reader.position();
    if (reader.u16() != kMachineI386) return false;
    headers.sectionCount = reader.u16();
    reader.seek(fileHeader + 16);
    const std::uint16_t optionalSize = reader.u16();
    const std::uint64_t optionalHeader = fileHeader + 20;
    // The optional header is read as its 224-byte PE32 record; a shorter one cannot hold it.
    if (!reader.ok() || optionalSize < kOptionalHeaderSize || !reader.contains(optionalHeader, optionalSize))
        return false;
    reader.seek(optionalHeader + 16);
    headers.entryPoint = reader.u32();
    reader.seek(optionalHeader + 28);
    headers.imageBase = reader.u32();
    reader.seek(optionalHeader + 56);
    headers.imageSize = reader.u32();
    headers.headersSize = reader.u32();
    headers.exports = directoryAt(reader, optionalHeader, 0);
    headers.imports = directoryAt(reader, optionalHeader, 1);
    headers.relocations = directoryAt(reader, optionalHeader, 5);
    headers.sectionHeadersOffset = static_cast<std::uint32_t>(optionalHeader + optionalSize);
    return reader.ok();
}

}  // namespace

bool TDLLLoader::LoadPe(std::span<const std::uint8_t> image) {
    PeHeaders headers;
    if (!readHeaders(image, headers)) return false;

    // Memory: the image reserved low, so its 32-bit absolute addresses hold.
    if (headers.sectionCount == 0 || headers.imageSize == 0 || headers.imageSize > kLargestImage)
        return false;
    if (headers.headersSize > headers.imageSize || headers.headersSize > image.size()) return false;
    if (!ReserveImage(headers.imageSize, true)) return false;
    BaseDelta = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(MappedBase)) - headers.imageBase);
    if (headers.headersSize > 0) {
        if (!vm::commit(MappedBase, headers.headersSize, vm::PAGE_READWRITE)) return false;
        std::memcpy(MappedBase, image.data(), headers.headersSize);
        vm::protect(MappedBase, headers.headersSize, vm::PAGE_READONLY);
    }

    // Sections, each zero-filled to the larger of its raw and virtual size.
    binary::ByteReader reader(image);
    if (!reader.contains(headers.sectionHeadersOffset,
                         std::uint64_t{headers.sectionCount} * kSectionHeaderSize)) {
        return false;
    }
    for (std::uint32_t i = 0; i < headers.sectionCount; ++i) {
        reader.seek(headers.sectionHeadersOffset + std::uint64_t{i} * kSectionHeaderSize + 8);
        const std::uint32_t virtualSize = reader.u32();
        const std::uint32_t virtualAddress = reader.u32();
        const std::uint32_t rawSize = reader.u32();
        const std::uint32_t rawOffset = reader.u32();
        reader.seek(headers.sectionHeadersOffset + std::uint64_t{i} * kSectionHeaderSize + 36);
        const std::uint32_t characteristics = reader.u32();
        const std::uint32_t size = std::max(rawSize, virtualSize);
        if (!reader.ok() || std::uint64_t{virtualAddress} + size > headers.imageSize) return false;
        TImageSection section{static_cast<std::uint8_t*>(MappedBase) + virtualAddress, virtualAddress, size,
                              characteristics};
        if (size > 0) {
            if (!vm::commit(section.Memory, size, vm::PAGE_READWRITE)) return false;
            std::memset(section.Memory, 0, size);
        }
        if (rawOffset != 0) {
            const std::span<const std::uint8_t> raw = reader.bytesAt(rawOffset, rawSize);
            if (!reader.ok()) return false;
            if (!raw.empty()) std::memcpy(section.Memory, raw.data(), raw.size());
        }
        SectionTable.push_back(section);
    }

    if (!RelocatePe(headers.relocations.address, headers.relocations.size)) return false;
    if (!ImportPe(headers.imports.address)) return false;
    // Exports are read now: once protections are set, the image is not read again.
    std::vector<TDLLFunctionExport> exports;
    if (!CollectPeExports(headers.exports.address, headers.exports.size, exports)) return false;

    ApplyProtections();

    // The entry routine. An image without one (entry point 0) is attached as it is.
    if (headers.entryPoint != 0) {
        EntryRoutine = RVAToPointer(headers.entryPoint);
        if (EntryRoutine == nullptr) return false;
        attached_ = true;
        const int result = imageCodeCalls().callPeEntry(EntryRoutine, MappedBase, kProcessAttach, nullptr);
        if ((result & 0xFF) == 0) return false;
    } else {
        attached_ = true;
    }

    if (headers.exports.address != 0) {
        ExportIndex = std::make_unique<TExportTree>();
        ExportTable = std::move(exports);
        for (const TDLLFunctionExport& entry : ExportTable) ExportIndex->Add(entry.Name, entry.Address);
    }
    return true;
}

// Base relocations: 32-bit (type 3), low half (2) and high half (1) of the delta.
bool TDLLLoader::RelocatePe(std::uint32_t directoryAddress, std::uint32_t directorySize) {
    if (directoryAddress != 0) {
        std::uint64_t block = directoryAddress;
        std::uint64_t processed = 0;
        while (RVAToPointer(block) != nullptr && processed < directorySize) {
            std::uint32_t page = 0;
            std::uint32_t blockSize = 0;
            if (!ReadU32(block, page) || !ReadU32(block + 4, blockSize)) return false;
            if (RVAToPointer(page) == nullptr || blockSize < 8) return false;
            const std::uint32_t entryCount = (blockSize - 8) / 2;
            for (std::uint32_t i = 0; i < entryCount; ++i) {
                std::uint16_t entry = 0;
                if (!ReadU16(block + 8 + 2 * std::uint64_t{i}, entry)) return false;
                const std::uint64_t target = std::uint64_t{page} + (entry & 0x0FFF);
                const int type = entry >> 12;
                const auto delta = static_cast<std::uint32_t>(BaseDelta);
                std::uint32_t value32 = 0;
                std::uint16_t value16 = 0;
                if (type == 3) {
                    if (!ReadU32(target, value32) || !WriteU32(target, value32 + delta)) return false;
                } else if (type == 2) {
                    if (!ReadU16(target, value16) ||
                        !WriteU16(target, static_cast<std::uint16_t>(value16 + delta)))
                        return false;
                } else if (type == 1) {
                    if (!ReadU16(target, value16) ||
                        !WriteU16(target, static_cast<std::uint16_t>(value16 + (delta >> 16))))
                        return false;
                }
            }
            block += blockSize;
            processed += blockSize;
        }
    }
    return true;
}

// Imports, by name or by ordinal, written into the image's address table.
bool TDLLLoader::ImportPe(std::uint32_t directoryAddress) {
    if (directoryAddress != 0 && RVAToPointer(directoryAddress) != nullptr) {
        ImportTable.clear();
        for (std::uint64_t descriptor = directoryAddress;; descriptor += 20) {
            std::uint32_t lookupTable = 0, timeStamp = 0, nameAddress = 0, addressTable = 0;
            if (!ReadU32(descriptor + 12, nameAddress)) return false;
            if (nameAddress == 0) break;
            if (!ReadU32(descriptor, lookupTable) || !ReadU32(descriptor + 4, timeStamp) ||
                !ReadU32(descriptor + 16, addressTable))
                return false;
            TDLLImport import;
            if (!ReadString(nameAddress, import.Name)) return false;
            AddLibrary(import.Name);
            import.Module = GetLibraryModule(import.Name);
            const std::uint64_t entries = timeStamp != 0 ? lookupTable : addressTable;
            for (std::uint64_t i = 0;; ++i) {
                std::uint32_t entry = 0;
                if (!ReadU32(entries + 4 * i, entry)) return false;
                if (entry == 0) break;
                TDLLFunctionImport function;
                void* address = nullptr;
                if ((entry & 0x80000000u) != 0) {
                    function.ByOrdinal = true;
                    function.Ordinal = entry & 0xFFFF;
                    address = modules::symbolByOrdinal(import.Module, function.Ordinal);
                } else {
                    if (!ReadString(std::uint64_t{entry} + 2, function.Name)) return false;
                    address = modules::symbolByName(import.Module, function.Name.c_str());
                }
                // A 32-bit slot cannot hold an address above 4 GiB: such an import stays unresolved.
                const auto value = reinterpret_cast<std::uintptr_t>(address);
                const std::uint32_t slot = value <= std::numeric_limits<std::uint32_t>::max()
                                               ? static_cast<std::uint32_t>(value)
                                               : 0;
                if (!WriteU32(addressTable + 4 * i, slot)) return false;
                import.Functions.push_back(std::move(function));
            }
            ImportTable.push_back(std::move(import));
        }
    }
    return true;
}

// Named exports; a forwarder ("library.function" or "library.#ordinal") resolves through the
// system loader.
bool TDLLLoader::CollectPeExports(std::uint32_t directoryAddress, std::uint32_t directorySize,
                                  std::vector<TDLLFunctionExport>& exports) {
    if (directoryAddress != 0) {
        const std::uint64_t directory = directoryAddress;
        if (RVAToPointer(directory) == nullptr) return true;
        std::uint32_t nameCount = 0, functions = 0, names = 0, ordinals = 0;
        if (!ReadU32(directory + 24, nameCount) || !ReadU32(directory + 28, functions) ||
            !ReadU32(directory + 32, names) || !ReadU32(directory + 36, ordinals))
            return false;
        if (nameCount > 0 && (SectionBytes(names, std::uint64_t{nameCount} * 4).empty() ||
                              SectionBytes(ordinals, std::uint64_t{nameCount} * 2).empty()))
            return false;
        exports.resize(nameCount);
        for (std::uint32_t i = 0; i < nameCount; ++i) {
            TDLLFunctionExport& entry = exports[i];
            std::uint32_t nameAddress = 0, functionAddress = 0;
            std::uint16_t index = 0;
            if (!ReadU32(names + 4 * std::uint64_t{i}, nameAddress) || !ReadString(nameAddress, entry.Name) ||
                !ReadU16(ordinals + 2 * std::uint64_t{i}, index) ||
                !ReadU32(functions + 4 * std::uint64_t{index}, functionAddress))
                return false;
            entry.Index = index;
            if (functionAddress > directory && functionAddress < directory + directorySize) {
                std::string forwarder;
                if (!ReadString(functionAddress, forwarder)) return false;
                const std::size_t period = forwarder.find('.');
                if (period != std::string::npos) {
                    const std::string library = forwarder.substr(0, period);
                    const std::string function = forwarder.substr(period + 1);
                    AddLibrary(library);
                    const modules::ModuleHandle module = GetLibraryModule(library);
                    if (!function.empty() && function[0] == '#') {
                        std::uint32_t ordinal = 0;
                        for (std::size_t d = 1;
                             d < function.size() && function[d] >= '0' && function[d] <= '9'; ++d) {
                            ordinal = ordinal * 10 + static_cast<std::uint32_t>(function[d] - '0');
                        }
                        entry.Address = modules::symbolByOrdinal(module, ordinal);
                    } else {
                        entry.Address = modules::symbolByName(module, function.c_str());
                    }
                }
            } else {
                entry.Address = RVAToPointer(functionAddress);
            }
        }
    }
    return true;
}

// The parts of the loader both image formats share: the library table, section look-ups, bounded
// access to the mapped image, protections, the entry-routine calls and unloading.

#include "DLLLoader.h"

#include <cstring>
#include <limits>

#include "platform/modules/VirtualMemory.h"

extern "C" {
// The unwinder's registry of exception frames (libgcc).
void __register_frame(void* begin);
void __deregister_frame(void* begin);
}
extern char** environ;

namespace {

int callPeEntryDirectly(void* entry, void* module, std::uint32_t reason, void* reserved) {
    using EntryProc = int (*)(void*, std::uint32_t, void*);
    return reinterpret_cast<EntryProc>(entry)(module, reason, reserved);
}

void callInitialiserDirectly(void* function) {
    // As the system loader does: argument count, arguments and environment.
    using Initialiser = void (*)(int, char**, char**);
    reinterpret_cast<Initialiser>(function)(0, nullptr, environ);
}

void* callResolverDirectly(void* resolver) {
    using Resolver = void* (*)();
    return reinterpret_cast<Resolver>(resolver)();
}

}  // namespace

ImageCodeCalls& imageCodeCalls() {
    static ImageCodeCalls calls{callPeEntryDirectly, callInitialiserDirectly, callResolverDirectly,
                                __register_frame, __deregister_frame};
    return calls;
}

extern "C" __attribute__((noinline, used)) void quillon_image_mapped(const char* name, void* loadAddress) {
    // Keeps the call in place for the debugger's breakpoint.
    asm volatile("" : : "r"(name), "r"(loadAddress) : "memory");
}

std::uint32_t pageProtectionFor(std::uint32_t characteristics) {
    const bool execute = (characteristics & IMAGE_SCN_MEM_EXECUTE) != 0;
    const bool read = (characteristics & IMAGE_SCN_MEM_READ) != 0;
    const bool write = (characteristics & IMAGE_SCN_MEM_WRITE) != 0;
    std::uint32_t protection;
    if (execute) {
        protection = read ? (write ? vm::PAGE_EXECUTE_READWRITE : vm::PAGE_EXECUTE_READ)
                          : (write ? vm::PAGE_EXECUTE_WRITECOPY : vm::PAGE_EXECUTE);
    } else {
        protection = read ? (write ? vm::PAGE_READWRITE : vm::PAGE_READONLY)
                          : (write ? vm::PAGE_WRITECOPY : vm::PAGE_NOACCESS);
    }
    if ((characteristics & IMAGE_SCN_MEM_NOT_CACHED) != 0) protection |= vm::PAGE_NOCACHE;
    return protection;
}

TDLLLoader::~TDLLLoader() {
    UnloadImage();
}

bool TDLLLoader::LoadFromStream(binary::Stream* stream) {
    if (stream == nullptr || MappedBase != nullptr) return false;
    if (stream->seek(0) != 0) return false;
    const std::int64_t size = stream->size();
    if (size <= 0 || static_cast<std::uint64_t>(size) > std::numeric_limits<std::uint32_t>::max())
        return false;
    // The whole image is read once; every later access is checked against this buffer.
    std::vector<std::uint8_t> image(static_cast<std::size_t>(size));
    if (stream->read(image.data(), image.size()) != image.size()) return false;

    bool loaded = false;
    if (image.size() >= 2 && image[0] == 'M' && image[1] == 'Z') {
        format_ = Format::Pe32;
        loaded = LoadPe(image);
    } else if (image.size() >= 4 && std::memcmp(image.data(),
                                                "\x7f"
                                                "ELF",
                                                4) == 0) {
        format_ = Format::Elf64;
        loaded = LoadElf(image);
    }
    if (!loaded) UnloadImage();
    return loaded;
}

void* TDLLLoader::GetExportAddress(std::string_view name) const {
    if (ExportIndex) {
        void* value = nullptr;
        return ExportIndex->Find(name, value) ? value : nullptr;
    }
    for (const TDLLFunctionExport& entry : ExportTable) {
        if (entry.Name == name) return entry.Address;
    }
    return nullptr;
}

void TDLLLoader::UnloadImage() {
    if (attached_) {
        if (format_ == Format::Pe32 && EntryRoutine != nullptr) {
            imageCodeCalls().callPeEntry(EntryRoutine, MappedBase, 0, nullptr);
        } else if (format_ == Format::Elf64) {
            DetachElf();
        }
    }
    attached_ = false;
    if (elf_.ehFrame != nullptr) imageCodeCalls().deregisterFrames(elf_.ehFrame);
    elf_ = ElfRuntime{};
    SectionTable.clear();
    for (const TExternalLibrary& library : LoadedLibraries) modules::freeLibrary(library.Module);
    LoadedLibraries.clear();
    ImportTable.clear();
    ExportTable.clear();
    if (MappedBase != nullptr) vm::release(MappedBase, reservedSize_);
    ExportIndex.reset();
    EntryRoutine = nullptr;
    MappedBase = nullptr;
    BaseDelta = 0;
    reservedSize_ = 0;
    protectionsSet_ = false;
    format_ = Format::None;
}

int TDLLLoader::IndexOfLibrary(const std::string& name) const {
    for (std::size_t i = 0; i < LoadedLibraries.size(); ++i) {
        if (LoadedLibraries[i].Name == name) return static_cast<int>(i);
    }
    return -1;
}

int TDLLLoader::AddLibrary(const std::string& name) {
    const int index = IndexOfLibrary(name);
    if (index >= 0) return index;
    LoadedLibraries.push_back({name, modules::loadLibrary(name)});
    return static_cast<int>(LoadedLibraries.size() - 1);
}

modules::ModuleHandle TDLLLoader::GetLibraryModule(const std::string& name) const {
    const int index = IndexOfLibrary(name);
    return index >= 0 ? LoadedLibraries[static_cast<std::size_t>(index)].Module : nullptr;
}

void* TDLLLoader::RVAToPointer(std::uint64_t rva) const {
    for (const TImageSection& section : SectionTable) {
        if (section.RVA <= rva && rva < std::uint64_t{section.RVA} + section.Size) {
            return static_cast<std::uint8_t*>(section.Memory) + (rva - section.RVA);
        }
    }
    return nullptr;
}

bool TDLLLoader::ReserveImage(std::size_t size, bool below4GiB) {
    MappedBase = vm::reserve(size, below4GiB ? vm::Placement::Below4GiB : vm::Placement::Anywhere);
    if (MappedBase == nullptr) return false;
    reservedSize_ = size;
    return true;
}

void TDLLLoader::ApplyProtections(ProtectionStep step) {
    for (const TImageSection& section : SectionTable) {
        if (step == ProtectionStep::executableOnly && (section.Flags & IMAGE_SCN_MEM_EXECUTE) == 0) continue;
        // As on Windows, the result is not checked: a refused change leaves the pages read-write.
        vm::protect(section.Memory, section.Size, pageProtectionFor(section.Flags));
    }
    if (step == ProtectionStep::all) protectionsSet_ = true;
}

std::span<std::uint8_t> TDLLLoader::SectionBytes(std::uint64_t rva, std::uint64_t length) const {
    if (protectionsSet_) return {};
    for (const TImageSection& section : SectionTable) {
        if (rva < section.RVA || rva - section.RVA >= section.Size) continue;
        const std::uint64_t offset = rva - section.RVA;
        if (length > section.Size - offset) return {};
        return {static_cast<std::uint8_t*>(section.Memory) + offset, static_cast<std::size_t>(length)};
    }
    return {};
}

namespace {

template <typename Value>
bool readAt(std::span<std::uint8_t> bytes, Value& value) {
    if (bytes.size() != sizeof(Value)) return false;
    std::memcpy(&value, bytes.data(), sizeof(Value));
    return true;
}

template <typename Value>
bool writeAt(std::span<std::uint8_t> bytes, Value value) {
    if (bytes.size() != sizeof(Value)) return false;
    std::memcpy(bytes.data(), &value, sizeof(Value));
    return true;
}

}  // namespace

bool TDLLLoader::ReadU16(std::uint64_t rva, std::uint16_t& value) const {
    return readAt(SectionBytes(rva, 2), value);
}
bool TDLLLoader::ReadU32(std::uint64_t rva, std::uint32_t& value) const {
    return readAt(SectionBytes(rva, 4), value);
}
bool TDLLLoader::ReadU64(std::uint64_t rva, std::uint64_t& value) const {
    return readAt(SectionBytes(rva, 8), value);
}
bool TDLLLoader::WriteU16(std::uint64_t rva, std::uint16_t value) {
    return writeAt(SectionBytes(rva, 2), value);
}
bool TDLLLoader::WriteU32(std::uint64_t rva, std::uint32_t value) {
    return writeAt(SectionBytes(rva, 4), value);
}
bool TDLLLoader::WriteU64(std::uint64_t rva, std::uint64_t value) {
    return writeAt(SectionBytes(rva, 8), value);
}

bool TDLLLoader::ReadString(std::uint64_t rva, std::string& text) const {
    for (const TImageSection& section : SectionTable) {
        if (rva < section.RVA || rva - section.RVA >= section.Size) continue;
        const std::span<std::uint8_t> rest = SectionBytes(rva, section.Size - (rva - section.RVA));
        if (rest.empty()) return false;
        const void* end = std::memchr(rest.data(), 0, rest.size());
        if (end == nullptr) return false;
        text.assign(reinterpret_cast<const char*>(rest.data()),
                    static_cast<const std::uint8_t*>(end) - rest.data());
        return true;
    }
    return false;
}

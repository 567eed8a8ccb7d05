#pragma once
// TDLLLoader maps a library image held in a stream into memory it reserves itself, without a file
// on disk and without handing the image to the system loader: headers and sections (or load
// segments), relocations, imports through the system loader, page protections, the image's entry
// routine, and a letter tree over its exported names. It reads two formats, chosen by the image's
// signature: PE32 libraries for the Intel 386 ("MZ") and ELF64 shared objects for x86-64 (this
// platform's own format, in which the audio library is carried).
//
// Every check is a plain yes/no: a failed step ends the load with false, releases what the load
// had made, and reports nothing. Every header field, offset, size, name and table index is checked
// against the image before use. Used from one thread; the image's entry routine, initialisers and
// finalisers run on the calling thread inside LoadFromStream and UnloadImage.
//
// Formats' limits: a PE image's imports resolve only to addresses that fit its 32-bit slots (any
// other resolves to null, as an unresolved import does), and its entry routine is called with this
// platform's calling convention, so only code valid in both modes runs. An ELF image with
// thread-local storage, text relocations or relocations other than relative, 64-bit absolute,
// global data, jump slot and indirect-function ones is refused.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ExportTree.h"
#include "platform/binary/Stream.h"
#include "platform/modules/SystemModules.h"

struct TExternalLibrary {
    std::string Name;              // as written in the image
    modules::ModuleHandle Module;  // null when loading failed
};

struct TDLLFunctionImport {
    bool ByOrdinal = false;
    std::string Name;           // empty for an ordinal import
    std::uint32_t Ordinal = 0;  // 0 for a name import
};

struct TDLLImport {
    std::string Name;
    modules::ModuleHandle Module = nullptr;
    std::vector<TDLLFunctionImport> Functions;
};

struct TDLLFunctionExport {
    std::string Name;
    std::uint32_t Index = 0;  // position in the image's function-address (or symbol) table
    void* Address = nullptr;
};

struct TImageSection {
    void* Memory = nullptr;  // inside the image reservation
    std::uint32_t RVA = 0;
    std::uint32_t Size = 0;
    std::uint32_t Flags = 0;  // section characteristics (an ELF segment's flags in the same bits)
};

using TExternalLibrarys = std::vector<TExternalLibrary>;
using TImports = std::vector<TDLLImport>;
using TExports = std::vector<TDLLFunctionExport>;
using TSections = std::vector<TImageSection>;

// Section characteristics that decide page protections.
constexpr std::uint32_t IMAGE_SCN_MEM_NOT_CACHED = 0x04000000;
constexpr std::uint32_t IMAGE_SCN_MEM_EXECUTE = 0x20000000;
constexpr std::uint32_t IMAGE_SCN_MEM_READ = 0x40000000;
constexpr std::uint32_t IMAGE_SCN_MEM_WRITE = 0x80000000;

// Larger images are not a library this program would carry; they are refused before any memory
// is reserved or zeroed.
constexpr std::uint64_t kLargestImage = std::uint64_t{256} << 20;

// The page protection (vm::PAGE_*) for a section's characteristics.
std::uint32_t pageProtectionFor(std::uint32_t characteristics);

// What the loader runs of an image's own code or hands to the language runtime. Tests of
// synthesized images and the fuzzer replace it (with ScopedHook), so that random bytes never run.
struct ImageCodeCalls {
    // A PE entry routine: (module, reason, reserved) -> Boolean in its low byte.
    int (*callPeEntry)(void* entry, void* module, std::uint32_t reason, void* reserved);
    // An ELF initialiser or finaliser.
    void (*callInitialiser)(void* function);
    // An indirect function's resolver; returns the implementation's address.
    void* (*callResolver)(void* resolver);
    // Makes the unwinder see (and forget) an image's exception frames, given the start of .eh_frame.
    void (*registerFrames)(void* ehFrame);
    void (*deregisterFrames)(void* ehFrame);
};
ImageCodeCalls& imageCodeCalls();

// Called with an ELF image's name (its DT_SONAME, or "") and load address each time one is mapped,
// after relocation and before its initialisers run. A debugger breaks here to add the library's
// symbols at that address (tools/gdb-loaded-image.gdb does it).
extern "C" void quillon_image_mapped(const char* name, void* loadAddress);

class TDLLLoader {
public:
    TDLLLoader() = default;
    ~TDLLLoader();
    TDLLLoader(const TDLLLoader&) = delete;
    TDLLLoader& operator=(const TDLLLoader&) = delete;

    // Loads an image from a seekable stream, which is only read and may be freed afterwards.
    bool LoadFromStream(binary::Stream* stream);
    // The address of a named export, null when the name is not exported (compared byte for byte).
    void* GetExportAddress(std::string_view name) const;
    // Detaches the image (entry routine or finalisers) and releases it.
    void UnloadImage();

    int IndexOfLibrary(const std::string& name) const;
    int AddLibrary(const std::string& name);
    modules::ModuleHandle GetLibraryModule(const std::string& name) const;
    // The address of an image-relative address inside a mapped section, or null (header addresses
    // therefore give null).
    void* RVAToPointer(std::uint64_t rva) const;

    void* mappedBase() const { return MappedBase; }
    std::int32_t baseDelta() const { return BaseDelta; }
    void* entryRoutine() const { return EntryRoutine; }
    const TExternalLibrarys& loadedLibraries() const { return LoadedLibraries; }
    const TImports& importTable() const { return ImportTable; }
    const TExports& exportTable() const { return ExportTable; }
    const TSections& sectionTable() const { return SectionTable; }
    const TExportTree* exportIndex() const { return ExportIndex.get(); }

private:
    enum class Format { None, Pe32, Elf64 };
    // What an ELF image needs after its load: the finalisers and the registered frames.
    struct ElfRuntime {
        std::vector<void*> finalisers;  // in the order they run
        void* ehFrame = nullptr;        // registered with the unwinder
    };
    friend class ElfLoadSteps;

    bool LoadPe(std::span<const std::uint8_t> image);
    bool RelocatePe(std::uint32_t directoryAddress, std::uint32_t directorySize);
    bool ImportPe(std::uint32_t directoryAddress);
    bool CollectPeExports(std::uint32_t directoryAddress, std::uint32_t directorySize,
                          std::vector<TDLLFunctionExport>& exports);
    bool LoadElf(std::span<const std::uint8_t> image);
    bool ReserveImage(std::size_t size, bool below4GiB);
    // Sets the pages' protections from the sections' flags: those of executable sections alone
    // (the rest stays writable), or all of them, after which the image is not written any more.
    enum class ProtectionStep { executableOnly, all };
    void ApplyProtections(ProtectionStep step = ProtectionStep::all);
    void DetachElf();

    // Bounded access to the mapped image while it is being loaded: [rva, rva + length) must lie
    // inside one section. Empty when it does not, and always once protections are set (a page
    // may then hold no access, whatever its section's flags say).
    std::span<std::uint8_t> SectionBytes(std::uint64_t rva, std::uint64_t length) const;
    bool ReadU16(std::uint64_t rva, std::uint16_t& value) const;
    bool ReadU32(std::uint64_t rva, std::uint32_t& value) const;
    bool ReadU64(std::uint64_t rva, std::uint64_t& value) const;
    bool WriteU16(std::uint64_t rva, std::uint16_t value);
    bool WriteU32(std::uint64_t rva, std::uint32_t value);
    bool WriteU64(std::uint64_t rva, std::uint64_t value);
    // A NUL-terminated text that ends inside its section.
    bool ReadString(std::uint64_t rva, std::string& text) const;

    void* MappedBase = nullptr;
    std::int32_t BaseDelta = 0;
    void* EntryRoutine = nullptr;
    TExternalLibrarys LoadedLibraries;
    TImports ImportTable;
    TExports ExportTable;
    TSections SectionTable;
    std::unique_ptr<TExportTree> ExportIndex;

    Format format_ = Format::None;
    std::size_t reservedSize_ = 0;
    bool attached_ = false;        // the entry routine (or the initialisers) ran
    bool protectionsSet_ = false;  // the image is not read or written any more
    ElfRuntime elf_;
};

// Loading an ELF64 shared object for x86-64 the way the system loader would, from memory: load
// segments reserved as one span and copied, the needed libraries, relocations (bound in the system
// loader's order), protections with the read-only-after-relocation part, indirect functions, the
// exception frames, the initialisers, and the exported symbols.

#include <elf.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>

#include "DLLLoader.h"
#include "platform/binary/ByteReader.h"
#include "platform/modules/VirtualMemory.h"

namespace {

constexpr std::uint64_t kLargestSpan = kLargestImage;
constexpr std::uint64_t kSymbolSize = sizeof(Elf64_Sym);
constexpr std::uint64_t kRelaSize = sizeof(Elf64_Rela);
// Bounds the walk over version records, which a damaged image could link in a circle.
constexpr int kMostVersionRecords = 4096;

std::uint64_t pageFloor(std::uint64_t value) {
    return value - value % vm::pageSize();
}

std::uint32_t characteristicsOf(std::uint32_t segmentFlags) {
    std::uint32_t characteristics = 0;
    if ((segmentFlags & PF_X) != 0) characteristics |= IMAGE_SCN_MEM_EXECUTE;
    if ((segmentFlags & PF_R) != 0) characteristics |= IMAGE_SCN_MEM_READ;
    if ((segmentFlags & PF_W) != 0) characteristics |= IMAGE_SCN_MEM_WRITE;
    return characteristics;
}

}  // namespace

// The steps of one ELF load, with what they learn along the way.
class ElfLoadSteps {
public:
    ElfLoadSteps(TDLLLoader& loader, std::span<const std::uint8_t> image) : loader_(loader), image_(image) {}

    bool run() {
        return mapSegments() && readDynamic() && loadNeededLibraries() && countSymbols() && readVersions() &&
               relocate() && collectExports() && collectInitialisersAndFinalisers() &&
               findExceptionFrames() && protectAndFinish();
    }

private:
    struct Dynamic {
        std::vector<std::uint64_t> needed;
        std::uint64_t strtab = 0, strsz = 0, symtab = 0, syment = kSymbolSize, hash = 0, gnuHash = 0;
        std::uint64_t rela = 0, relasz = 0, relaent = kRelaSize, jmprel = 0, pltrelsz = 0, pltrel = DT_RELA;
        std::uint64_t relr = 0, relrsz = 0, relrent = 8;
        std::uint64_t init = 0, initArray = 0, initArraySize = 0, fini = 0, finiArray = 0, finiArraySize = 0;
        std::uint64_t versym = 0, verneed = 0, verneedCount = 0, soname = 0;
        bool hasSoname = false;
    };
    struct Symbol {
        std::string name;
        Elf64_Sym entry;
    };
    struct Deferred {
        std::uint8_t* target;  // checked to lie in a writable segment
        std::uint64_t resolver;
    };

    std::uint8_t* at(std::uint64_t rva) const {
        return static_cast<std::uint8_t*>(loader_.RVAToPointer(rva));
    }
    std::uint64_t bias() const { return reinterpret_cast<std::uint64_t>(loader_.MappedBase) - spanStart_; }

    const TImageSection* sectionOf(std::uint64_t rva, std::uint64_t length) const {
        for (const TImageSection& section : loader_.SectionTable) {
            if (rva >= section.RVA && rva - section.RVA < section.Size &&
                length <= section.Size - (rva - section.RVA))
                return &section;
        }
        return nullptr;
    }
    // An absolute address inside an executable segment, as an image-relative one.
    bool executableAddress(std::uint64_t address, std::uint64_t& rva) const {
        if (address < bias()) return false;
        rva = address - bias();
        const TImageSection* section = sectionOf(rva, 1);
        return section != nullptr && (section->Flags & IMAGE_SCN_MEM_EXECUTE) != 0;
    }

    bool stringAt(std::uint64_t offset, std::string& text) const {
        if (offset >= dynamic_.strsz) return false;
        return loader_.ReadString(dynamic_.strtab + offset, text) && text.size() < dynamic_.strsz - offset;
    }

    bool mapSegments() {
        binary::ByteReader reader(image_);
        const std::span<const std::uint8_t> ident = reader.bytesAt(0, EI_NIDENT);
        if (ident.empty() || ident[EI_CLASS] != ELFCLASS64 || ident[EI_DATA] != ELFDATA2LSB) return false;
        reader.seek(EI_NIDENT);
        const std::uint16_t type = reader.u16();
        const std::uint16_t machine = reader.u16();
        reader.seek(32);
        const std::uint64_t programHeaders = reader.u64();
        reader.seek(54);
        const std::uint16_t entrySize = reader.u16();
        const std::uint16_t count = reader.u16();
        if (!reader.ok() || type != ET_DYN || machine != EM_X86_64 || entrySize != sizeof(Elf64_Phdr) ||
            count == 0 || !reader.contains(programHeaders, std::uint64_t{count} * entrySize))
            return false;

        std::vector<Elf64_Phdr> loads;
        std::uint64_t spanEnd = 0;
        spanStart_ = UINT64_MAX;
        for (std::uint16_t i = 0; i < count; ++i) {
            Elf64_Phdr header;
            std::memcpy(&header,
                        reader.bytesAt(programHeaders + std::uint64_t{i} * entrySize, entrySize).data(),
                        sizeof header);
            switch (header.p_type) {
                case PT_LOAD:
                    if (header.p_filesz > header.p_memsz ||
                        !reader.contains(header.p_offset, header.p_filesz) || header.p_memsz > kLargestSpan ||
                        header.p_vaddr > kLargestSpan)
                        return false;
                    loads.push_back(header);
                    spanStart_ = std::min(spanStart_, pageFloor(header.p_vaddr));
                    spanEnd = std::max(spanEnd, header.p_vaddr + header.p_memsz);
                    break;
                case PT_DYNAMIC:
                    dynamicAddress_ = header.p_vaddr;
                    dynamicSize_ = header.p_memsz;
                    break;
                case PT_GNU_RELRO:
                    relroStart_ = header.p_vaddr;
                    relroSize_ = header.p_memsz;
                    break;
                case PT_GNU_EH_FRAME:
                    ehFrameHeader_ = header.p_vaddr;
                    break;
                case PT_TLS:
                    return false;  // thread-local storage needs the system loader
                default:
                    break;
            }
        }
        if (loads.empty() || dynamicAddress_ == 0 || spanEnd - spanStart_ > kLargestSpan) return false;
        // Protections are set per page: segments that share a page (an empty one included) would
        // set each other's, and could make a slot read-only before it is written.
        std::sort(loads.begin(), loads.end(),
                  [](const Elf64_Phdr& a, const Elf64_Phdr& b) { return a.p_vaddr < b.p_vaddr; });
        for (std::size_t i = 1; i < loads.size(); ++i) {
            const Elf64_Phdr& before = loads[i - 1];
            const std::uint64_t lastPage =
                pageFloor(before.p_vaddr + std::max<std::uint64_t>(before.p_memsz, 1) - 1);
            if (pageFloor(loads[i].p_vaddr) <= lastPage) return false;
        }
        const std::size_t span = static_cast<std::size_t>(spanEnd - spanStart_);
        if (!loader_.ReserveImage(span, false)) return false;
        for (const Elf64_Phdr& load : loads) {
            TImageSection section{
                static_cast<std::uint8_t*>(loader_.MappedBase) + (load.p_vaddr - spanStart_),
                static_cast<std::uint32_t>(load.p_vaddr), static_cast<std::uint32_t>(load.p_memsz),
                characteristicsOf(load.p_flags)};
            if (load.p_memsz > 0 && !vm::commit(section.Memory, load.p_memsz, vm::PAGE_READWRITE))
                return false;
            if (load.p_filesz > 0) std::memcpy(section.Memory, image_.data() + load.p_offset, load.p_filesz);
            loader_.SectionTable.push_back(section);
        }
        return true;
    }

    bool readDynamic() {
        for (std::uint64_t entry = dynamicAddress_;; entry += sizeof(Elf64_Dyn)) {
            std::uint64_t tag = 0, value = 0;
            if (!loader_.ReadU64(entry, tag) || !loader_.ReadU64(entry + 8, value)) return false;
            switch (tag) {
                case DT_NULL:
                    return dynamic_.strtab != 0 && dynamic_.symtab != 0;
                case DT_NEEDED:
                    dynamic_.needed.push_back(value);
                    break;
                case DT_STRTAB:
                    dynamic_.strtab = value;
                    break;
                case DT_STRSZ:
                    dynamic_.strsz = value;
                    break;
                case DT_SYMTAB:
                    dynamic_.symtab = value;
                    break;
                case DT_SYMENT:
                    dynamic_.syment = value;
                    break;
                case DT_HASH:
                    dynamic_.hash = value;
                    break;
                case DT_GNU_HASH:
                    dynamic_.gnuHash = value;
                    break;
                case DT_RELA:
                    dynamic_.rela = value;
                    break;
                case DT_RELASZ:
                    dynamic_.relasz = value;
                    break;
                case DT_RELAENT:
                    dynamic_.relaent = value;
                    break;
                case DT_JMPREL:
                    dynamic_.jmprel = value;
                    break;
                case DT_PLTRELSZ:
                    dynamic_.pltrelsz = value;
                    break;
                case DT_PLTREL:
                    dynamic_.pltrel = value;
                    break;
                case DT_RELR:
                    dynamic_.relr = value;
                    break;
                case DT_RELRSZ:
                    dynamic_.relrsz = value;
                    break;
                case DT_RELRENT:
                    dynamic_.relrent = value;
                    break;
                case DT_INIT:
                    dynamic_.init = value;
                    break;
                case DT_FINI:
                    dynamic_.fini = value;
                    break;
                case DT_INIT_ARRAY:
                    dynamic_.initArray = value;
                    break;
                case DT_INIT_ARRAYSZ:
                    dynamic_.initArraySize = value;
                    break;
                case DT_FINI_ARRAY:
                    dynamic_.finiArray = value;
                    break;
                case DT_FINI_ARRAYSZ:
                    dynamic_.finiArraySize = value;
                    break;
                case DT_VERSYM:
                    dynamic_.versym = value;
                    break;
                case DT_VERNEED:
                    dynamic_.verneed = value;
                    break;
                case DT_VERNEEDNUM:
                    dynamic_.verneedCount = value;
                    break;
                case DT_SONAME:
                    dynamic_.soname = value;
                    dynamic_.hasSoname = true;
                    break;
                // Relocations without addends, text relocations and the static thread-local model are
                // not what an x86-64 shared object built for this loader contains.
                case DT_REL:
                case DT_TEXTREL:
                    return false;
                case DT_FLAGS:
                    if ((value & (DF_TEXTREL | DF_STATIC_TLS)) != 0) return false;
                    break;
                default:
                    break;
            }
        }
    }

    bool loadNeededLibraries() {
        if (dynamic_.syment != kSymbolSize || dynamic_.relaent != kRelaSize || dynamic_.relrent != 8 ||
            dynamic_.pltrel != DT_RELA)
            return false;
        for (const std::uint64_t nameOffset : dynamic_.needed) {
            TDLLImport import;
            if (!stringAt(nameOffset, import.Name)) return false;
            loader_.AddLibrary(import.Name);
            import.Module = loader_.GetLibraryModule(import.Name);
            loader_.ImportTable.push_back(std::move(import));
        }
        return true;
    }

    // The dynamic symbol table has no size of its own; the hash tables bound it.
    bool countSymbols() {
        std::uint32_t value = 0;
        if (dynamic_.gnuHash != 0) {
            std::uint32_t bucketCount = 0, firstHashed = 0, bloomSize = 0;
            if (!loader_.ReadU32(dynamic_.gnuHash, bucketCount) ||
                !loader_.ReadU32(dynamic_.gnuHash + 4, firstHashed) ||
                !loader_.ReadU32(dynamic_.gnuHash + 8, bloomSize))
                return false;
            const std::uint64_t buckets = dynamic_.gnuHash + 16 + std::uint64_t{bloomSize} * 8;
            const std::uint64_t chains = buckets + std::uint64_t{bucketCount} * 4;
            std::uint64_t last = 0;
            for (std::uint32_t i = 0; i < bucketCount; ++i) {
                if (!loader_.ReadU32(buckets + 4 * std::uint64_t{i}, value)) return false;
                last = std::max<std::uint64_t>(last, value);
            }
            symbolCount_ = std::max<std::uint64_t>(firstHashed, 1);
            if (last >= firstHashed) {
                // Follow the last bucket's chain to the entry that ends it.
                for (;; ++last) {
                    if (!loader_.ReadU32(chains + 4 * (last - firstHashed), value)) return false;
                    if ((value & 1) != 0) break;
                }
                symbolCount_ = last + 1;
            }
        } else if (dynamic_.hash != 0) {
            if (!loader_.ReadU32(dynamic_.hash + 4, value)) return false;
            symbolCount_ = value;
        } else {
            return false;
        }
        return !loader_.SectionBytes(dynamic_.symtab, symbolCount_ * kSymbolSize).empty();
    }

    // The versions the image asks of its needed libraries, by version index. A record whose link
    // to the next is 0 ends the list, whatever the count says.
    bool readVersions() {
        if (dynamic_.verneed == 0 || dynamic_.versym == 0) return true;
        std::uint64_t record = dynamic_.verneed;
        int walked = 0;
        for (std::uint64_t n = 0; n < dynamic_.verneedCount; ++n) {
            std::uint16_t auxCount = 0;
            std::uint32_t auxOffset = 0, next = 0;
            if (++walked > kMostVersionRecords || !loader_.ReadU16(record + 2, auxCount) ||
                !loader_.ReadU32(record + 8, auxOffset) || !loader_.ReadU32(record + 12, next))
                return false;
            std::uint64_t aux = record + auxOffset;
            for (std::uint16_t a = 0; a < auxCount; ++a) {
                std::uint16_t index = 0;
                std::uint32_t name = 0, auxNext = 0;
                if (++walked > kMostVersionRecords || !loader_.ReadU16(aux + 6, index) ||
                    !loader_.ReadU32(aux + 8, name) || !loader_.ReadU32(aux + 12, auxNext))
                    return false;
                std::string text;
                if (!stringAt(name, text)) return false;
                versions_[index & 0x7FFF] = std::move(text);
                if (auxNext == 0) break;
                aux += auxNext;
            }
            if (next == 0) break;
            record += next;
        }
        return true;
    }

    bool symbolAt(std::uint64_t index, Symbol& symbol) const {
        if (index >= symbolCount_) return false;
        const std::span<std::uint8_t> bytes =
            loader_.SectionBytes(dynamic_.symtab + index * kSymbolSize, kSymbolSize);
        if (bytes.empty()) return false;
        std::memcpy(&symbol.entry, bytes.data(), sizeof symbol.entry);
        return stringAt(symbol.entry.st_name, symbol.name);
    }

    // A symbol's address in the system loader's order: the global scope, then the image's own
    // definition, then its needed libraries. Definitions the image keeps to itself bind locally.
    // `resolver` is set instead when the image's own indirect function must be resolved later.
    bool resolve(std::uint64_t index, std::uint64_t& address, std::uint64_t& resolver) {
        address = 0;
        resolver = 0;
        if (index == 0) return true;
        if (const auto known = resolved_.find(index); known != resolved_.end()) {
            std::tie(address, resolver) = known->second;
            return true;
        }
        Symbol symbol;
        if (!symbolAt(index, symbol)) return false;
        const Elf64_Sym& entry = symbol.entry;
        const bool defined = entry.st_shndx != SHN_UNDEF;
        const unsigned binding = ELF64_ST_BIND(entry.st_info);
        const unsigned visibility = ELF64_ST_VISIBILITY(entry.st_other);
        const auto own = [&] {
            const std::uint64_t value = entry.st_shndx == SHN_ABS ? entry.st_value : bias() + entry.st_value;
            (ELF64_ST_TYPE(entry.st_info) == STT_GNU_IFUNC ? resolver : address) = value;
        };
        if (defined && (binding == STB_LOCAL || visibility != STV_DEFAULT)) {
            own();
        } else {
            const char* version = nullptr;
            std::uint16_t versionIndex = 0;
            if (dynamic_.versym != 0 && loader_.ReadU16(dynamic_.versym + 2 * index, versionIndex)) {
                const auto named = versions_.find(versionIndex & 0x7FFF);
                if (named != versions_.end()) version = named->second.c_str();
            }
            if (void* global = modules::globalSymbol(symbol.name.c_str(), version)) {
                address = reinterpret_cast<std::uint64_t>(global);
            } else if (defined) {
                own();
            } else {
                for (const TDLLImport& library : loader_.ImportTable) {
                    if (void* found = modules::symbolByName(library.Module, symbol.name.c_str())) {
                        address = reinterpret_cast<std::uint64_t>(found);
                        break;
                    }
                }
                if (address == 0 && binding != STB_WEAK) return false;
            }
        }
        resolved_[index] = {address, resolver};
        return true;
    }

    bool relocateRelative(std::uint64_t rva) {
        std::uint64_t value = 0;
        return loader_.ReadU64(rva, value) && loader_.WriteU64(rva, value + bias());
    }

    bool applyRelr() {
        if (dynamic_.relrsz == 0) return true;
        if (loader_.SectionBytes(dynamic_.relr, dynamic_.relrsz).empty()) return false;
        std::uint64_t where = 0;
        for (std::uint64_t offset = 0; offset + 8 <= dynamic_.relrsz; offset += 8) {
            std::uint64_t entry = 0;
            loader_.ReadU64(dynamic_.relr + offset, entry);
            if ((entry & 1) == 0) {
                if (!relocateRelative(entry)) return false;
                where = entry + 8;
            } else {
                for (int bit = 1; bit < 64; ++bit) {
                    if (((entry >> bit) & 1) != 0 &&
                        !relocateRelative(where + 8 * static_cast<std::uint64_t>(bit - 1)))
                        return false;
                }
                where += 63 * 8;
            }
        }
        return true;
    }

    bool applyRela(std::uint64_t table, std::uint64_t size) {
        if (size == 0) return true;
        if (loader_.SectionBytes(table, size).empty()) return false;
        for (std::uint64_t offset = 0; offset + kRelaSize <= size; offset += kRelaSize) {
            std::uint64_t target = 0, info = 0, addendBits = 0;
            loader_.ReadU64(table + offset, target);
            loader_.ReadU64(table + offset + 8, info);
            loader_.ReadU64(table + offset + 16, addendBits);
            const auto type = static_cast<std::uint32_t>(ELF64_R_TYPE(info));
            const std::uint64_t addend = addendBits;  // two's complement: adding it subtracts when negative
            std::uint64_t symbolAddress = 0, resolver = 0;
            switch (type) {
                case R_X86_64_NONE:
                    break;
                case R_X86_64_RELATIVE:
                    if (!loader_.WriteU64(target, bias() + addend)) return false;
                    break;
                case R_X86_64_IRELATIVE:
                    if (!defer(target, bias() + addend)) return false;
                    break;
                case R_X86_64_64:
                case R_X86_64_GLOB_DAT:
                case R_X86_64_JUMP_SLOT:
                    if (!resolve(ELF64_R_SYM(info), symbolAddress, resolver)) return false;
                    if (type == R_X86_64_64) symbolAddress += addend;
                    if (resolver != 0) {
                        if (type == R_X86_64_64 && addend != 0) return false;
                        if (!defer(target, resolver)) return false;
                    } else if (!loader_.WriteU64(target, symbolAddress)) {
                        return false;
                    }
                    break;
                default:
                    // Thread-local relocations (their storage is the system loader's) and any kind not
                    // listed are refused.
                    return false;
            }
        }
        return true;
    }

    // Indirect functions are resolved once the text is executable; their slot must stay writable
    // until then.
    bool defer(std::uint64_t target, std::uint64_t resolver) {
        const TImageSection* section = sectionOf(target, 8);
        std::uint64_t resolverRva = 0;
        if (section == nullptr || (section->Flags & IMAGE_SCN_MEM_WRITE) == 0 ||
            !executableAddress(resolver, resolverRva))
            return false;
        deferred_.push_back({at(target), resolver});
        return true;
    }

    bool relocate() {
        return applyRelr() && applyRela(dynamic_.rela, dynamic_.relasz) &&
               applyRela(dynamic_.jmprel, dynamic_.pltrelsz);
    }

    bool collectExports() {
        for (std::uint64_t index = 1; index < symbolCount_; ++index) {
            Symbol symbol;
            if (!symbolAt(index, symbol)) return false;
            const Elf64_Sym& entry = symbol.entry;
            const unsigned binding = ELF64_ST_BIND(entry.st_info);
            const unsigned type = ELF64_ST_TYPE(entry.st_info);
            const unsigned visibility = ELF64_ST_VISIBILITY(entry.st_other);
            if (entry.st_shndx == SHN_UNDEF || symbol.name.empty() || type == STT_TLS ||
                type == STT_SECTION || type == STT_FILE ||
                (binding != STB_GLOBAL && binding != STB_WEAK && binding != STB_GNU_UNIQUE) ||
                (visibility != STV_DEFAULT && visibility != STV_PROTECTED))
                continue;
            const std::uint64_t address =
                entry.st_shndx == SHN_ABS ? entry.st_value : bias() + entry.st_value;
            if (type == STT_GNU_IFUNC) {
                std::uint64_t rva = 0;
                if (!executableAddress(address, rva)) return false;
                indirectExports_.push_back(exports_.size());
            }
            exports_.push_back({std::move(symbol.name), static_cast<std::uint32_t>(index),
                                reinterpret_cast<void*>(address)});
        }
        return true;
    }

    bool readFunctionArray(std::uint64_t array, std::uint64_t size, std::vector<void*>& functions) const {
        if (size == 0) return true;
        if (size % 8 != 0 || loader_.SectionBytes(array, size).empty()) return false;
        for (std::uint64_t offset = 0; offset < size; offset += 8) {
            std::uint64_t address = 0, rva = 0;
            loader_.ReadU64(array + offset, address);
            if (address == 0 || address == UINT64_MAX) continue;  // placeholders the linker may leave
            if (!executableAddress(address, rva)) return false;
            functions.push_back(reinterpret_cast<void*>(address));
        }
        return true;
    }

    bool collectInitialisersAndFinalisers() {
        std::uint64_t rva = 0;
        if (dynamic_.init != 0) {
            if (!executableAddress(bias() + dynamic_.init, rva)) return false;
            initialisers_.push_back(at(dynamic_.init));
        }
        if (!readFunctionArray(dynamic_.initArray, dynamic_.initArraySize, initialisers_)) return false;
        std::vector<void*> finiArray;
        if (!readFunctionArray(dynamic_.finiArray, dynamic_.finiArraySize, finiArray)) return false;
        // Finalisers run in the reverse order of their array, then the old-style one.
        finalisers_.assign(finiArray.rbegin(), finiArray.rend());
        if (dynamic_.fini != 0) {
            if (!executableAddress(bias() + dynamic_.fini, rva)) return false;
            finalisers_.push_back(at(dynamic_.fini));
        }
        return true;
    }

    // The image's name (for the debugger) and its exception frames: the unwinder registers
    // .eh_frame by its start, which .eh_frame_hdr gives as an encoded pointer.
    bool findExceptionFrames() {
        if (dynamic_.hasSoname && !stringAt(dynamic_.soname, soname_)) return false;
        if (ehFrameHeader_ == 0) return true;
        const std::span<std::uint8_t> head = loader_.SectionBytes(ehFrameHeader_, 4);
        if (head.empty() || head[0] != 1) return false;
        const std::uint8_t encoding = head[1];
        if (encoding == 0xFF) return true;  // no frames
        const std::uint64_t field = ehFrameHeader_ + 4;
        std::int64_t value = 0;
        switch (encoding & 0x0F) {
            case 0x03: {
                std::uint32_t v = 0;
                if (!loader_.ReadU32(field, v)) return false;
                value = v;
                break;
            }
            case 0x0B: {
                std::uint32_t v = 0;
                if (!loader_.ReadU32(field, v)) return false;
                value = static_cast<std::int32_t>(v);
                break;
            }
            case 0x04:
            case 0x0C: {
                std::uint64_t v = 0;
                if (!loader_.ReadU64(field, v)) return false;
                value = static_cast<std::int64_t>(v);
                break;
            }
            default:
                return false;
        }
        std::uint64_t ehFrame = 0;
        switch (encoding & 0x70) {
            case 0x10:
                ehFrame = field + static_cast<std::uint64_t>(value);
                break;  // relative to the field
            case 0x30:
                ehFrame = ehFrameHeader_ + static_cast<std::uint64_t>(value);
                break;  // relative to the header
            default:
                return false;
        }
        if (loader_.SectionBytes(ehFrame, 4).empty()) return false;
        ehFrame_ = at(ehFrame);
        return true;
    }

    bool protectAndFinish() {
        // The resolvers of indirect functions are the image's code: only the code is made
        // executable (and read-only) for them, and every slot is written before the rest of the
        // image is protected.
        loader_.ApplyProtections(TDLLLoader::ProtectionStep::executableOnly);
        for (const Deferred& slot : deferred_) {
            const auto address = reinterpret_cast<std::uint64_t>(
                imageCodeCalls().callResolver(reinterpret_cast<void*>(slot.resolver)));
            std::memcpy(slot.target, &address, sizeof address);
        }
        loader_.ApplyProtections(TDLLLoader::ProtectionStep::all);
        for (const std::size_t index : indirectExports_) {
            exports_[index].Address = imageCodeCalls().callResolver(exports_[index].Address);
        }
        if (relroSize_ > 0) {
            // Only whole pages: the rest of the last one belongs to writable data.
            const std::uint64_t first = pageFloor(relroStart_);
            const std::uint64_t end = pageFloor(relroStart_ + relroSize_);
            if (end > first && first >= spanStart_ && end - spanStart_ <= loader_.reservedSize_) {
                vm::protect(static_cast<std::uint8_t*>(loader_.MappedBase) + (first - spanStart_),
                            end - first, vm::PAGE_READONLY);
            }
        }
        if (ehFrame_ != nullptr) {
            imageCodeCalls().registerFrames(ehFrame_);
            loader_.elf_.ehFrame = ehFrame_;
        }
        quillon_image_mapped(soname_.c_str(), reinterpret_cast<void*>(bias()));

        loader_.elf_.finalisers = std::move(finalisers_);
        loader_.attached_ = true;
        for (void* initialiser : initialisers_) imageCodeCalls().callInitialiser(initialiser);

        loader_.ExportIndex = std::make_unique<TExportTree>();
        loader_.ExportTable = std::move(exports_);
        for (const TDLLFunctionExport& entry : loader_.ExportTable)
            loader_.ExportIndex->Add(entry.Name, entry.Address);
        return true;
    }

    TDLLLoader& loader_;
    std::span<const std::uint8_t> image_;
    std::uint64_t spanStart_ = 0;
    std::uint64_t dynamicAddress_ = 0, dynamicSize_ = 0, relroStart_ = 0, relroSize_ = 0, ehFrameHeader_ = 0;
    Dynamic dynamic_;
    std::uint64_t symbolCount_ = 0;
    std::map<std::uint16_t, std::string> versions_;
    std::map<std::uint64_t, std::pair<std::uint64_t, std::uint64_t>> resolved_;
    std::vector<Deferred> deferred_;
    std::vector<TDLLFunctionExport> exports_;
    std::vector<std::size_t> indirectExports_;
    std::vector<void*> initialisers_, finalisers_;
    void* ehFrame_ = nullptr;
    std::string soname_;
};

bool TDLLLoader::LoadElf(std::span<const std::uint8_t> image) {
    return ElfLoadSteps(*this, image).run();
}

void TDLLLoader::DetachElf() {
    for (void* finaliser : elf_.finalisers) imageCodeCalls().callInitialiser(finaliser);
    elf_.finalisers.clear();
}

#pragma once
// Damaged shared objects made from good ones, for the loader's tests and its fuzzing seeds.

#include <elf.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace loadertest {

// The image with its stack header turned into an empty, read-only load segment 8 bytes below the
// first jump slot, the page where the indirect function's slot lies: protected before the slot was
// written, that page made the loader crash.
// Where the empty segment goes: 8 bytes below the first jump slot, or on the last page of the
// writable segment (which shares no page with anything in a good image).
enum class EmptySegmentPlace { belowFirstJumpSlot, lastWritablePage };

inline std::vector<std::uint8_t> withEmptySegmentBelowASlot(
    std::vector<std::uint8_t> bytes, EmptySegmentPlace place = EmptySegmentPlace::belowFirstJumpSlot) {
    Elf64_Ehdr header;
    std::memcpy(&header, bytes.data(), sizeof header);
    std::vector<Elf64_Phdr> programs(header.e_phnum);
    std::memcpy(programs.data(), bytes.data() + header.e_phoff, programs.size() * sizeof(Elf64_Phdr));
    const auto fileOffset = [&](std::uint64_t address) -> std::uint64_t {
        for (const Elf64_Phdr& program : programs) {
            if (program.p_type == PT_LOAD && address >= program.p_vaddr &&
                address < program.p_vaddr + program.p_filesz)
                return program.p_offset + (address - program.p_vaddr);
        }
        return 0;
    };
    std::uint64_t jumpSlots = 0;
    for (const Elf64_Phdr& program : programs) {
        if (program.p_type != PT_DYNAMIC) continue;
        for (std::uint64_t at = program.p_offset; at + sizeof(Elf64_Dyn) <= bytes.size();
             at += sizeof(Elf64_Dyn)) {
            Elf64_Dyn entry;
            std::memcpy(&entry, bytes.data() + at, sizeof entry);
            if (entry.d_tag == DT_NULL) break;
            if (entry.d_tag == DT_JMPREL) jumpSlots = entry.d_un.d_ptr;
        }
    }
    if (jumpSlots == 0) return {};
    Elf64_Rela first;
    std::memcpy(&first, bytes.data() + fileOffset(jumpSlots), sizeof first);
    for (std::size_t i = 0; i < programs.size(); ++i) {
        if (programs[i].p_type != PT_GNU_STACK) continue;
        Elf64_Phdr& crafted = programs[i];
        crafted.p_type = PT_LOAD;
        crafted.p_flags = PF_R;
        crafted.p_vaddr = crafted.p_paddr = first.r_offset - 8;
        if (place == EmptySegmentPlace::lastWritablePage) {
            for (const Elf64_Phdr& program : programs) {
                if (program.p_type == PT_LOAD && (program.p_flags & PF_W) != 0)
                    crafted.p_vaddr = crafted.p_paddr = program.p_vaddr + program.p_memsz - 1;
            }
        }
        crafted.p_offset = 0;
        crafted.p_filesz = crafted.p_memsz = 0;
        crafted.p_align = 0x1000;
        std::memcpy(bytes.data() + header.e_phoff, programs.data(), programs.size() * sizeof(Elf64_Phdr));
        return bytes;
    }
    return {};
}

}  // namespace loadertest

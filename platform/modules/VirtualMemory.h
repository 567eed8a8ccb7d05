#pragma once
// Page-granular memory for images mapped by our own loader: a reservation that holds no access,
// parts of it committed and protected as the image asks. Protections keep the Windows page
// constants, because image formats and their documentation speak in them.

#include <cstddef>
#include <cstdint>

namespace vm {

constexpr std::uint32_t PAGE_NOACCESS = 0x01;
constexpr std::uint32_t PAGE_READONLY = 0x02;
constexpr std::uint32_t PAGE_READWRITE = 0x04;
constexpr std::uint32_t PAGE_WRITECOPY = 0x08;
constexpr std::uint32_t PAGE_EXECUTE = 0x10;
constexpr std::uint32_t PAGE_EXECUTE_READ = 0x20;
constexpr std::uint32_t PAGE_EXECUTE_READWRITE = 0x40;
constexpr std::uint32_t PAGE_EXECUTE_WRITECOPY = 0x80;
constexpr std::uint32_t PAGE_NOCACHE = 0x200;

enum class Placement {
    Anywhere,
    // Inside the low 4 GiB of the address space, so an image's 32-bit absolute addresses hold.
    Below4GiB,
};

std::size_t pageSize();

// Reserves `size` bytes (rounded up to pages) with no access; null when it cannot.
void* reserve(std::size_t size, Placement placement);
// Makes [address, address + size) accessible with `protection`, widened to whole pages. The range
// must lie inside a reservation; false when the system refuses.
bool commit(void* address, std::size_t size, std::uint32_t protection);
bool protect(void* address, std::size_t size, std::uint32_t protection);
// Gives back a whole reservation made by reserve (with the size it was reserved with).
bool release(void* base, std::size_t size);

// The system's protection bits for a Windows page protection (PAGE_NOCACHE has no equivalent and
// is ignored; the copy-on-write kinds are private writable pages here anyway).
int systemProtection(std::uint32_t protection);

}  // namespace vm

#include "VirtualMemory.h"

#include <sys/mman.h>
#include <unistd.h>

namespace vm {

namespace {

std::uintptr_t roundDown(std::uintptr_t value, std::size_t page) {
    return value - value % page;
}

// The page span that covers [address, address + size), or false when it would wrap around.
bool pageSpan(void* address, std::size_t size, void*& start, std::size_t& length) {
    const std::size_t page = pageSize();
    const auto first = reinterpret_cast<std::uintptr_t>(address);
    if (size > UINTPTR_MAX - first - page) return false;
    const std::uintptr_t begin = roundDown(first, page);
    const std::uintptr_t end = roundDown(first + size + page - 1, page);
    start = reinterpret_cast<void*>(begin);
    length = end - begin;
    return true;
}

}  // namespace

std::size_t pageSize() {
    static const std::size_t size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

int systemProtection(std::uint32_t protection) {
    switch (protection & ~PAGE_NOCACHE) {
        case PAGE_READONLY:
            return PROT_READ;
        case PAGE_READWRITE:
        case PAGE_WRITECOPY:
            return PROT_READ | PROT_WRITE;
        case PAGE_EXECUTE:
            return PROT_EXEC;
        case PAGE_EXECUTE_READ:
            return PROT_READ | PROT_EXEC;
        case PAGE_EXECUTE_READWRITE:
        case PAGE_EXECUTE_WRITECOPY:
            return PROT_READ | PROT_WRITE | PROT_EXEC;
        default:
            return PROT_NONE;
    }
}

void* reserve(std::size_t size, Placement placement) {
    if (size == 0 || size > SIZE_MAX - pageSize()) return nullptr;
    int flags = MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE;
#if defined(__x86_64__)
    // The kernel's low-memory placement keeps the whole span below 2 GiB.
    if (placement == Placement::Below4GiB) flags |= MAP_32BIT;
#else
    if (placement == Placement::Below4GiB) return nullptr;
#endif
    void* base = mmap(nullptr, size, PROT_NONE, flags, -1, 0);
    if (base == MAP_FAILED) return nullptr;
    if (placement == Placement::Below4GiB &&
        reinterpret_cast<std::uintptr_t>(base) + size > (std::uintptr_t{1} << 32)) {
        munmap(base, size);
        return nullptr;
    }
    return base;
}

bool protect(void* address, std::size_t size, std::uint32_t protection) {
    void* start = nullptr;
    std::size_t length = 0;
    if (!pageSpan(address, size, start, length)) return false;
    return length == 0 || mprotect(start, length, systemProtection(protection)) == 0;
}

bool commit(void* address, std::size_t size, std::uint32_t protection) {
    return protect(address, size, protection);
}

bool release(void* base, std::size_t size) {
    return base != nullptr && munmap(base, size) == 0;
}

}  // namespace vm

#pragma once
// What the kernel says of a mapped page, for the loader's tests.

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

namespace loadertest {

// The protection of the page holding `address`, as /proc/self/maps shows it ("r-xp").
inline std::string pagePermissions(const void* address) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    const auto wanted = reinterpret_cast<std::uintptr_t>(address);
    while (std::getline(maps, line)) {
        std::uintptr_t start = 0, end = 0;
        char dash = 0;
        std::string permissions;
        std::istringstream fields(line);
        fields >> std::hex >> start >> dash >> end >> permissions;
        if (start <= wanted && wanted < end) return permissions;
    }
    return "";
}

}  // namespace loadertest

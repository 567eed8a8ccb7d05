#pragma once
// The system loader as the in-memory loader uses it: a library by name, its symbols by name or
// ordinal, and the process's global scope. One seam (`systemModules()`) lets tests and the fuzzer
// answer in its place, so a synthesized image never pulls a real library in.

#include <cstdint>
#include <string>

namespace modules {

// A library loaded through the system loader; null when loading failed.
using ModuleHandle = void*;

struct SystemModules {
    ModuleHandle (*loadLibrary)(const std::string& name);
    void* (*symbolByName)(ModuleHandle module, const char* name);
    // Shared objects on this platform have no ordinals; the system answer is always null.
    void* (*symbolByOrdinal)(ModuleHandle module, std::uint32_t ordinal);
    void (*freeLibrary)(ModuleHandle module);
    // A definition in the process's global scope, in the system loader's search order. A version
    // of null asks for the default definition; with a version, an unversioned definition is
    // accepted too, as the system loader does.
    void* (*globalSymbol)(const char* name, const char* version);
};

// The hook in force (the system loader unless a test replaced it).
SystemModules& systemModules();
const SystemModules& realSystemModules();

inline ModuleHandle loadLibrary(const std::string& name) {
    return systemModules().loadLibrary(name);
}
inline void* symbolByName(ModuleHandle module, const char* name) {
    return module != nullptr ? systemModules().symbolByName(module, name) : nullptr;
}
inline void* symbolByOrdinal(ModuleHandle module, std::uint32_t ordinal) {
    return module != nullptr ? systemModules().symbolByOrdinal(module, ordinal) : nullptr;
}
inline void freeLibrary(ModuleHandle module) {
    if (module != nullptr) systemModules().freeLibrary(module);
}
inline void* globalSymbol(const char* name, const char* version) {
    return systemModules().globalSymbol(name, version);
}

}  // namespace modules

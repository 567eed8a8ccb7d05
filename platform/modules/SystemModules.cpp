#include "SystemModules.h"

#include <dlfcn.h>

namespace modules {

namespace {

ModuleHandle systemLoadLibrary(const std::string& name) {
    int flags = RTLD_NOW | RTLD_LOCAL;
#ifdef QUILLON_SANITIZE
    // Leak checking runs at exit; what a library unloaded by then had allocated would show up as
    // leaks of an unknown module, so sanitizer builds keep libraries mapped.
    flags |= RTLD_NODELETE;
#endif
    return dlopen(name.c_str(), flags);
}

void* systemSymbolByName(ModuleHandle module, const char* name) {
    return dlsym(module, name);
}

void* systemSymbolByOrdinal(ModuleHandle, std::uint32_t) {
    return nullptr;
}

void systemFreeLibrary(ModuleHandle module) {
    dlclose(module);
}

void* systemGlobalSymbol(const char* name, const char* version) {
    if (version != nullptr) {
        if (void* versioned = dlvsym(RTLD_DEFAULT, name, version)) return versioned;
    }
    return dlsym(RTLD_DEFAULT, name);
}

}  // namespace

const SystemModules& realSystemModules() {
    static const SystemModules real{systemLoadLibrary, systemSymbolByName, systemSymbolByOrdinal,
                                    systemFreeLibrary, systemGlobalSymbol};
    return real;
}

SystemModules& systemModules() {
    static SystemModules current = realSystemModules();
    return current;
}

}  // namespace modules

// Feeds arbitrary bytes to the in-memory library loader as a stream, PE32 and ELF64 alike. Nothing
// of the image runs and no library is loaded: the system loader and the image's code are answered
// by stand-ins, so what is fuzzed is the reading, mapping and relocating. Built and run with
// 'make fuzz'.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "audio/loader/DLLLoader.h"
#include "platform/system/ScopedHook.h"

namespace {

int standInModule;

// The system's global scope as it really answers: a few names of the C library, nothing else, so
// an image's own definitions (its indirect functions among them) are bound as the real loader
// binds them.
bool inGlobalScope(const char* name) {
    for (const char* known : {"malloc", "free", "memcpy", "memset", "strlen", "printf", "abort",
                              "__cxa_finalize", "__stack_chk_fail", "_ITM_registerTMCloneTable"}) {
        if (std::strcmp(name, known) == 0) return true;
    }
    return false;
}

modules::SystemModules standInSystemModules() {
    return {
        [](const std::string& name) -> modules::ModuleHandle {
            return name.size() % 2 == 0 ? &standInModule : nullptr;
        },
        [](modules::ModuleHandle, const char* name) -> void* {
            return name[0] != '\0' ? reinterpret_cast<void*>(0x1000) : nullptr;
        },
        [](modules::ModuleHandle, std::uint32_t ordinal) -> void* {
            return ordinal % 2 == 0 ? reinterpret_cast<void*>(0x2000) : nullptr;
        },
        [](modules::ModuleHandle) {},
        [](const char* name, const char*) -> void* {
            return inGlobalScope(name) ? reinterpret_cast<void*>(0x3000) : nullptr;
        },
    };
}

ImageCodeCalls standInCode() {
    return {[](void*, void*, std::uint32_t reason, void*) { return reason == 1 ? 1 : 0; }, [](void*) {},
            [](void*) -> void* { return reinterpret_cast<void*>(0x4000); }, [](void*) {}, [](void*) {}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScopedHook<modules::SystemModules> systemLoader(modules::systemModules(), standInSystemModules());
    static ScopedHook<ImageCodeCalls> code(imageCodeCalls(), standInCode());
    binary::MemoryStream stream(std::span<const std::uint8_t>(data, size));
    TDLLLoader loader;
    if (loader.LoadFromStream(&stream)) {
        loader.GetExportAddress("BASS_Init");
        loader.RVAToPointer(0x1000);
    }
    return 0;
}

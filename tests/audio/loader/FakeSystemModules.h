#pragma once
// A system loader the loader tests answer themselves: one library "fake.dll" (also reachable as
// "fake") whose functions are plain numbers, "high.dll" whose one function lies above 4 GiB, and
// nothing else. Records what was freed. Image code is never run while CodeCallRecorder is in
// force: entry routines answer `entryResult`, initialisers are only counted.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "audio/loader/DLLLoader.h"
#include "platform/system/ScopedHook.h"

namespace loadertest {

inline int fakeModule = 1;
inline int highModule = 2;
inline std::vector<modules::ModuleHandle> freedModules;
// Every symbol of the global scope resolves to this, so damaged images get as far as they can.
inline bool globalScopeAnswersEverything = false;

inline modules::SystemModules fakeSystemModules() {
    return {
        [](const std::string& name) -> modules::ModuleHandle {
            if (name == "fake.dll" || name == "fake") return &fakeModule;
            if (name == "high.dll") return &highModule;
            return nullptr;
        },
        [](modules::ModuleHandle module, const char* name) -> void* {
            const std::string text(name);
            if (module == &fakeModule && text == "Alpha") return reinterpret_cast<void*>(0x1111);
            if (module == &fakeModule && text == "Beta") return reinterpret_cast<void*>(0x2222);
            if (module == &highModule && text == "Far") return reinterpret_cast<void*>(0x123456789ULL);
            return nullptr;
        },
        [](modules::ModuleHandle module, std::uint32_t ordinal) -> void* {
            return module == &fakeModule && ordinal == 7 ? reinterpret_cast<void*>(0x7777) : nullptr;
        },
        [](modules::ModuleHandle module) { freedModules.push_back(module); },
        [](const char*, const char*) -> void* {
            return globalScopeAnswersEverything ? reinterpret_cast<void*>(0x4242) : nullptr;
        },
    };
}

struct FakeSystemLoader {
    FakeSystemLoader() { freedModules.clear(); }
    ScopedHook<modules::SystemModules> hook{modules::systemModules(), fakeSystemModules()};
};

struct EntryCall {
    void* entry;
    void* module;
    std::uint32_t reason;
    void* reserved;
};
inline std::vector<EntryCall> entryCalls;
inline int entryResult = 1;
inline int initialiserCalls = 0;

struct CodeCallRecorder {
    CodeCallRecorder() {
        entryCalls.clear();
        entryResult = 1;
        initialiserCalls = 0;
    }
    ScopedHook<ImageCodeCalls> hook{
        imageCodeCalls(), ImageCodeCalls{[](void* entry, void* module, std::uint32_t reason, void* reserved) {
                                             entryCalls.push_back({entry, module, reason, reserved});
                                             return entryResult;
                                         },
                                         [](void*) { ++initialiserCalls; },
                                         [](void*) -> void* { return nullptr; }, [](void*) {}, [](void*) {}}};
};

}  // namespace loadertest

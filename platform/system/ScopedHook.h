#pragma once
// Replaces a hook (a module's function object that tests answer in place of a person, a browser or
// the end of the program) for as long as the object lives, then puts the previous one back, so a
// failing test cannot leave its fake behind.

#include <utility>

template <typename Hook>
class ScopedHook {
public:
    ScopedHook(Hook& slot, Hook replacement)
        : slot_(slot), previous_(std::exchange(slot, std::move(replacement))) {}
    ~ScopedHook() { slot_ = std::move(previous_); }
    ScopedHook(const ScopedHook&) = delete;
    ScopedHook& operator=(const ScopedHook&) = delete;

private:
    Hook& slot_;
    Hook previous_;
};

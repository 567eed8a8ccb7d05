#pragma once
// What every exported function shares: the error code it leaves, the guard that keeps exceptions
// inside the library, and the look-up of a channel handle. Each export is one of
//   exported(failure, body)                     any call
//   onChannel(handle, failure, body(Channel&))  a call on a channel (music, decoder...)
// so every one of them is guarded and leaves an error code.

#include <memory>
#include <new>

#include "Engine.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace engine::api {

inline Engine& E() {
    return Engine::instance();
}

constexpr DWORD kFailDword = static_cast<DWORD>(-1);
constexpr QWORD kFailQword = static_cast<QWORD>(-1);

template <typename T>
T fail(int code, T value) {
    E().setError(code);
    return value;
}

template <typename T>
T succeed(T value) {
    E().setError(BASS_OK);
    return value;
}

// Runs an exported call: anything thrown becomes an error code and the failure value, since
// nothing may cross the C interface.
template <typename Result, typename Body>
Result exported(Result failure, Body body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        E().setError(BASS_ERROR_MEM);
    } catch (...) {
        E().setError(BASS_ERROR_UNKNOWN);
    }
    return failure;
}

// The functions of features this library does not have.
template <typename Result>
Result unavailable(int code, Result value) noexcept {
    return exported<Result>(value, [&] { return fail(code, value); });
}

enum class Want { anyChannel, music, stream };

// The channel for a handle, or null with the error set.
inline std::shared_ptr<Channel> lookup(DWORD handle, Want want = Want::anyChannel) {
    if (!E().initialized()) return fail<std::shared_ptr<Channel>>(BASS_ERROR_INIT, nullptr);
    auto channel = E().channel(handle);
    const bool kindMatches = !channel || want == Want::anyChannel ||
                             (want == Want::music) == (channel->kind == Channel::Kind::music);
    if (!channel || !kindMatches) return fail<std::shared_ptr<Channel>>(BASS_ERROR_HANDLE, nullptr);
    return channel;
}

// A guarded call on a channel. The channel stays alive for the call even if another thread frees
// its handle meanwhile.
template <typename Result, typename Body>
Result onChannel(DWORD handle, Result failure, Body body, Want want = Want::anyChannel) noexcept {
    return exported(failure, [&]() -> Result {
        const std::shared_ptr<Channel> channel = lookup(handle, want);
        if (!channel) return failure;
        return body(*channel);
    });
}

// For calls that need the channel's decoder: refused (rather than waiting on itself) from within
// one of the channel's own file, stream or decode-time callbacks.
inline bool decoderReachable(const Channel& channel) {
    if (!channel.busyOnThisThread()) return true;
    E().setError(BASS_ERROR_NOTAVAIL);
    return false;
}

inline QWORD framesToBytes(const Channel& channel, std::int64_t frames) {
    return static_cast<QWORD>(std::max<std::int64_t>(0, frames)) *
           static_cast<QWORD>(channel.bytesPerFrame());
}

}  // namespace engine::api

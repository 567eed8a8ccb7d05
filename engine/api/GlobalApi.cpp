// Configuration, the output device and its volume; 3D and EAX, which this library does not have.

#include <cmath>
#include <cstring>

#include "ApiSupport.h"

using namespace engine;
using namespace engine::api;

EXPORT DWORD BASS_SetConfig(DWORD option, DWORD value) {
    return exported<DWORD>(kFailDword, [&] {
        if (option == BASS_CONFIG_GVOL_STREAM || option == BASS_CONFIG_GVOL_MUSIC ||
            option == BASS_CONFIG_GVOL_SAMPLE) {
            value = std::min<DWORD>(value, 100);
        }
        if (option > 64) return fail(BASS_ERROR_ILLTYPE, kFailDword);
        E().setConfig(option, value);
        return succeed(value);
    });
}

EXPORT DWORD BASS_GetConfig(DWORD option) {
    return exported<DWORD>(kFailDword, [&] {
        if (const auto value = E().config(option)) return succeed(*value);
        switch (option) {
            case BASS_CONFIG_BUFFER:
                return succeed<DWORD>(500);
            case BASS_CONFIG_UPDATEPERIOD:
                return succeed<DWORD>(100);
            case BASS_CONFIG_GVOL_SAMPLE:
            case BASS_CONFIG_GVOL_STREAM:
            case BASS_CONFIG_GVOL_MUSIC:
                return succeed<DWORD>(100);
            case BASS_CONFIG_FLOATDSP:
                return succeed<DWORD>(0);
            default:
                return fail(BASS_ERROR_ILLTYPE, kFailDword);
        }
    });
}

EXPORT DWORD BASS_GetVersion(void) {
    return exported<DWORD>(0, [] { return succeed<DWORD>(BASS_VERSION); });
}

EXPORT const char* BASS_GetDeviceDescription(DWORD device) {
    return exported<const char*>(nullptr, [&]() -> const char* {
        if (device == 0) return succeed("No sound");
        if (device == 1) return succeed("Default output");
        return fail<const char*>(BASS_ERROR_DEVICE, nullptr);
    });
}

EXPORT int BASS_ErrorGetCode(void) {
    return exported<int>(BASS_ERROR_UNKNOWN, [] { return E().error(); });
}

EXPORT BOOL BASS_Init(int device, DWORD freq, DWORD /*flags*/, void* /*window*/, const void* /*clsid*/) {
    return exported<BOOL>(0, [&] {
        if (E().initialized()) return fail(BASS_ERROR_ALREADY, 0);
        if (device < -1 || device > 1) return fail(BASS_ERROR_DEVICE, 0);
        const int result = E().init(device == -1 ? 1 : device, freq);
        return result == BASS_OK ? succeed(1) : fail(result, 0);
    });
}

EXPORT BOOL BASS_SetDevice(DWORD device) {
    return exported<BOOL>(0, [&] {
        if (!E().initialized()) return fail(BASS_ERROR_INIT, 0);
        if (static_cast<int>(device) != E().device()) return fail(BASS_ERROR_DEVICE, 0);
        return succeed(1);
    });
}

EXPORT DWORD BASS_GetDevice(void) {
    return exported<DWORD>(kFailDword, [] {
        if (!E().initialized()) return fail(BASS_ERROR_INIT, kFailDword);
        return succeed(static_cast<DWORD>(E().device()));
    });
}

EXPORT BOOL BASS_Free(void) {
    return exported<BOOL>(0, [] {
        const int result = E().free();
        return result == BASS_OK ? succeed(1) : fail(result, 0);
    });
}

EXPORT void* BASS_GetDSoundObject(DWORD) {
    return exported<void*>(nullptr, [] { return fail<void*>(BASS_ERROR_NOTAVAIL, nullptr); });
}

EXPORT BOOL BASS_GetInfo(BASS_INFO* info) {
    return exported<BOOL>(0, [&] {
        if (!E().initialized()) return fail(BASS_ERROR_INIT, 0);
        if (info == nullptr) return fail(BASS_ERROR_ILLPARAM, 0);
        std::memset(info, 0, sizeof *info);
        info->size = sizeof *info;
        info->minrate = 100;
        info->maxrate = 100000;
        info->minbuf = 20;
        info->latency = static_cast<DWORD>(std::lround(std::max(0.0, E().outputLatencySeconds()) * 1000));
        info->speakers = 2;
        info->freq = static_cast<DWORD>(E().outputRate());
        return succeed(1);
    });
}

EXPORT BOOL BASS_Update(void) {
    return exported<BOOL>(0, [] {
        if (!E().initialized()) return fail(BASS_ERROR_INIT, 0);
        E().wakeDecoder();
        return succeed(1);
    });
}

EXPORT float BASS_GetCPU(void) {
    return exported<float>(0.0f, [] { return E().cpuPercent(); });
}

namespace {

// Start, stop and pause act on the output; the channels keep their positions.
BOOL setOutputPaused(bool paused) {
    return exported<BOOL>(0, [paused] {
        if (!E().initialized()) return fail(BASS_ERROR_INIT, 0);
        E().setOutputPaused(paused);
        return succeed(1);
    });
}

}  // namespace

EXPORT BOOL BASS_Start(void) {
    return setOutputPaused(false);
}
EXPORT BOOL BASS_Stop(void) {
    return setOutputPaused(true);
}
EXPORT BOOL BASS_Pause(void) {
    return setOutputPaused(true);
}

EXPORT BOOL BASS_SetVolume(DWORD volume) {
    return exported<BOOL>(0, [&] {
        if (!E().initialized()) return fail(BASS_ERROR_INIT, 0);
        if (volume > 100) return fail(BASS_ERROR_ILLPARAM, 0);
        E().setMasterVolume(volume);
        return succeed(1);
    });
}

EXPORT DWORD BASS_GetVolume(void) {
    return exported<DWORD>(kFailDword, [] {
        if (!E().initialized()) return fail(BASS_ERROR_INIT, kFailDword);
        return succeed(E().masterVolume());
    });
}

// ---------------------------------------------------------------- 3D and EAX: not available

EXPORT BOOL BASS_Set3DFactors(float, float, float) {
    return unavailable<BOOL>(BASS_ERROR_NO3D, 0);
}
EXPORT BOOL BASS_Get3DFactors(float*, float*, float*) {
    return unavailable<BOOL>(BASS_ERROR_NO3D, 0);
}
EXPORT BOOL BASS_Set3DPosition(const BASS_3DVECTOR*, const BASS_3DVECTOR*, const BASS_3DVECTOR*,
                               const BASS_3DVECTOR*) {
    return unavailable<BOOL>(BASS_ERROR_NO3D, 0);
}
EXPORT BOOL BASS_Get3DPosition(BASS_3DVECTOR*, BASS_3DVECTOR*, BASS_3DVECTOR*, BASS_3DVECTOR*) {
    return unavailable<BOOL>(BASS_ERROR_NO3D, 0);
}
EXPORT void BASS_Apply3D(void) {
    unavailable<BOOL>(BASS_ERROR_NO3D, 0);
}
EXPORT BOOL BASS_SetEAXParameters(int, float, float, float) {
    return unavailable<BOOL>(BASS_ERROR_NOEAX, 0);
}
EXPORT BOOL BASS_GetEAXParameters(DWORD*, float*, float*, float*) {
    return unavailable<BOOL>(BASS_ERROR_NOEAX, 0);
}

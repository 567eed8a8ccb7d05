// Recording: device 0, the system's default input, or silence where there is none.

#include <cstring>

#include "ApiSupport.h"

using namespace engine;
using namespace engine::api;

EXPORT const char* BASS_RecordGetDeviceDescription(DWORD device) {
    return exported<const char*>(nullptr, [&]() -> const char* {
        if (device != 0) return fail<const char*>(BASS_ERROR_DEVICE, nullptr);
        std::string name;
        return succeed(E().keepString(2, systemInputAvailable(name) ? name : "Silent input"));
    });
}

EXPORT BOOL BASS_RecordInit(int device) {
    return exported<BOOL>(0, [&] {
        if (E().recordInitialized()) return fail(BASS_ERROR_ALREADY, 0);
        if (device != 0 && device != -1) return fail(BASS_ERROR_DEVICE, 0);
        const int result = E().recordInit();
        return result == BASS_OK ? succeed(1) : fail(result, 0);
    });
}

EXPORT BOOL BASS_RecordSetDevice(DWORD device) {
    return exported<BOOL>(0, [&] {
        if (!E().recordInitialized()) return fail(BASS_ERROR_INIT, 0);
        if (device != 0) return fail(BASS_ERROR_DEVICE, 0);
        return succeed(1);
    });
}

EXPORT DWORD BASS_RecordGetDevice(void) {
    return exported<DWORD>(kFailDword, [] {
        if (!E().recordInitialized()) return fail(BASS_ERROR_INIT, kFailDword);
        return succeed<DWORD>(0);
    });
}

EXPORT BOOL BASS_RecordFree(void) {
    return exported<BOOL>(0, [] {
        const int result = E().recordFree();
        return result == BASS_OK ? succeed(1) : fail(result, 0);
    });
}

EXPORT BOOL BASS_RecordGetInfo(BASS_RECORDINFO* info) {
    return exported<BOOL>(0, [&] {
        if (!E().recordInitialized()) return fail(BASS_ERROR_INIT, 0);
        if (info == nullptr) return fail(BASS_ERROR_ILLPARAM, 0);
        std::memset(info, 0, sizeof *info);
        info->size = sizeof *info;
        info->inputs = 1;
        info->singlein = 1;
        info->freq = 44100;
        return succeed(1);
    });
}

EXPORT const char* BASS_RecordGetInputName(int input) {
    return exported<const char*>(nullptr, [&]() -> const char* {
        if (!E().recordInitialized()) return fail<const char*>(BASS_ERROR_INIT, nullptr);
        if (input != 0) return fail<const char*>(BASS_ERROR_ILLPARAM, nullptr);
        return succeed(E().keepString(3, E().recordInputName()));
    });
}

EXPORT BOOL BASS_RecordSetInput(int input, DWORD) {
    return exported<BOOL>(0, [&] {
        if (!E().recordInitialized()) return fail(BASS_ERROR_INIT, 0);
        if (input != 0 && input != -1) return fail(BASS_ERROR_ILLPARAM, 0);
        return succeed(1);
    });
}

EXPORT DWORD BASS_RecordGetInput(int input) {
    return exported<DWORD>(kFailDword, [&] {
        if (!E().recordInitialized()) return fail(BASS_ERROR_INIT, kFailDword);
        if (input != 0 && input != -1) return fail(BASS_ERROR_ILLPARAM, kFailDword);
        return succeed<DWORD>(100);
    });
}

EXPORT HRECORD BASS_RecordStart(DWORD freq, DWORD flags, RECORDPROC proc, void* user) {
    return exported<HRECORD>(0, [&] {
        if (!E().recordInitialized()) return fail<HRECORD>(BASS_ERROR_INIT, 0);
        if (freq < 100 || freq > 192000) return fail<HRECORD>(BASS_ERROR_FREQ, 0);
        const DWORD chans = (flags & BASS_SAMPLE_MONO) ? 1 : 2;
        const HRECORD handle = E().reserveChannelHandle();
        if (!E().startRecording(handle, freq, chans, proc, user)) return fail<HRECORD>(BASS_ERROR_START, 0);
        return succeed(handle);
    });
}

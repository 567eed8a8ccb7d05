#pragma once
// Shared set-up of the engine tests: the library on its null device, a temporary folder for
// generated files, and waiting for real time to pass.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "QuillonAudio.h"
#include "support/AudioFixtures.h"

// A file held in memory, for streams read through the caller's file procedures. Tests derive their
// reader from it and add what their procedures do besides reading.
struct MemoryFile {
    std::vector<std::uint8_t> bytes;
    std::size_t position = 0;

    // Reads at most `most` bytes at a time, as a slow or small-buffered source would.
    DWORD read(void* buffer, DWORD length, DWORD most = 0xFFFFFFFFu) {
        const std::size_t n = std::min<std::size_t>(std::min(length, most), bytes.size() - position);
        std::memcpy(buffer, bytes.data() + position, n);
        position += n;
        return static_cast<DWORD>(n);
    }
    BOOL seek(QWORD offset) {
        if (offset > bytes.size()) return 0;
        position = static_cast<std::size_t>(offset);
        return 1;
    }
    // Procedures for a reader of type `Reader` (derived from MemoryFile), without a close.
    template <typename Reader>
    static BASS_FILEPROCS procs() {
        BASS_FILEPROCS procs{};
        procs.close = [](void*) {};
        procs.length = [](void* user) -> QWORD { return static_cast<Reader*>(user)->bytes.size(); };
        procs.read = [](void* buffer, DWORD length, void* user) -> DWORD {
            return static_cast<Reader*>(user)->read(buffer, length);
        };
        procs.seek = [](QWORD offset, void* user) -> BOOL {
            return static_cast<Reader*>(user)->seek(offset);
        };
        return procs;
    }
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr)) << BASS_ErrorGetCode();
        folder_ = std::filesystem::temp_directory_path() /
                  ("quillon-engine-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        BASS_Free();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    std::string sine(const std::string& name, fixtures::Format format, double seconds,
                     double frequency = 440.0, double amplitude = 0.5) {
        const std::string file = path(name);
        EXPECT_TRUE(fixtures::writeSine(file, format, seconds, frequency, amplitude)) << name;
        return file;
    }

    // Waits up to `timeout` for a condition, checking every few milliseconds.
    static bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            if (condition()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return condition();
    }

    static double seconds(DWORD handle) {
        return BASS_ChannelBytes2Seconds(handle, BASS_ChannelGetPosition(handle));
    }

private:
    std::filesystem::path folder_;
};

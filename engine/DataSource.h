#pragma once
// Where a stream's bytes come from: a file (a region of it), a block of memory owned by the
// caller, or the caller's read callbacks. Decoders read through this one interface.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "QuillonAudio.h"

namespace engine {

class DataSource {
public:
    virtual ~DataSource() = default;
    // Reads up to `count` bytes; returns how many were read (0 at the end or on error).
    virtual std::size_t read(void* buffer, std::size_t count) = 0;
    // Moves to an absolute offset within the source; false when impossible.
    virtual bool seek(std::uint64_t offset) = 0;
    virtual std::uint64_t tell() const = 0;
    // Total size in bytes; 0 when unknown.
    virtual std::uint64_t size() const = 0;
    virtual bool seekable() const { return true; }
    // Reads up to `count` bytes at an offset without disturbing the read position.
    std::size_t peek(std::uint64_t offset, void* buffer, std::size_t count);
};

// A region of a file: from `offset`, `length` bytes (0 = to the end). Fails with BASS_ERROR_FILEOPEN
// for a missing path, a directory or an unreadable file.
std::unique_ptr<DataSource> openFileSource(const char* path, std::uint64_t offset, std::uint64_t length,
                                           int& error);
// Memory that the caller keeps valid while the stream exists.
std::unique_ptr<DataSource> openMemorySource(const void* data, std::uint64_t length);
// What the interface's `mem` and `file` arguments name: the caller's memory (from `offset`, `length`
// bytes, which must not be 0: BASS_ERROR_ILLPARAM) or a region of a file.
std::unique_ptr<DataSource> openFileOrMemorySource(bool memory, const void* file, std::uint64_t offset,
                                                   std::uint64_t length, int& error);
// The caller's callbacks; closed (through `close`) when the source is destroyed.
std::unique_ptr<DataSource> openCallbackSource(const BASS_FILEPROCS& procs, void* user);

}  // namespace engine

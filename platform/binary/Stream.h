#pragma once
// A seekable stream of bytes, and the memory stream that holds them in a growing buffer. Positions
// are absolute offsets from the start.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace binary {

class Stream {
public:
    virtual ~Stream() = default;
    virtual std::int64_t size() const = 0;
    virtual std::int64_t position() const = 0;
    // Moves to `offset` and returns the position reached.
    virtual std::int64_t seek(std::int64_t offset) = 0;
    // Reads up to `count` bytes and returns how many arrived.
    virtual std::size_t read(void* buffer, std::size_t count) = 0;
};

class MemoryStream : public Stream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::span<const std::uint8_t> bytes) : bytes_(bytes.begin(), bytes.end()) {}

    std::int64_t size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    std::int64_t position() const override { return static_cast<std::int64_t>(position_); }
    std::int64_t seek(std::int64_t offset) override {
        position_ = static_cast<std::size_t>(std::clamp<std::int64_t>(offset, 0, size()));
        return position();
    }
    std::size_t read(void* buffer, std::size_t count) override {
        const std::size_t available = std::min(count, bytes_.size() - position_);
        if (available > 0) std::memcpy(buffer, bytes_.data() + position_, available);
        position_ += available;
        return available;
    }
    // Writes at the position, growing the stream as needed.
    void write(const void* data, std::size_t count) {
        if (count == 0) return;
        if (bytes_.size() - position_ < count) bytes_.resize(position_ + count);
        std::memcpy(bytes_.data() + position_, data, count);
        position_ += count;
    }
    std::span<const std::uint8_t> bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

}  // namespace binary

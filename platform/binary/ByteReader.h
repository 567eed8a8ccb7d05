#pragma once
// The one way binary input (bitmap files, library images, audio headers) is read: every access is
// checked against the buffer, sizes are widened before they are added, and a declared offset is
// never trusted. A failed read leaves the reader failed and yields zeros, so callers check once.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace binary {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::size_t size() const { return data_.size(); }
    std::size_t position() const { return position_; }
    bool ok() const { return ok_; }

    // True when [offset, offset + length) lies inside the buffer, computed without overflow.
    bool contains(std::uint64_t offset, std::uint64_t length) const {
        return offset <= data_.size() && length <= data_.size() - offset;
    }

    bool seek(std::uint64_t offset) {
        if (offset > data_.size()) {
            ok_ = false;
            return false;
        }
        position_ = static_cast<std::size_t>(offset);
        return true;
    }

    bool skip(std::uint64_t count) { return seek(static_cast<std::uint64_t>(position_) + count); }

    std::uint8_t u8() { return static_cast<std::uint8_t>(readLittleEndian(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(readLittleEndian(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(readLittleEndian(4)); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::uint64_t u64() { return readLittleEndian(8); }

    // A view of `length` bytes at `offset`, or an empty span (and a failed reader) when it does
    // not fit.
    std::span<const std::uint8_t> bytesAt(std::uint64_t offset, std::uint64_t length) {
        if (!contains(offset, length)) {
            ok_ = false;
            return {};
        }
        return data_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    }

private:
    std::uint64_t readLittleEndian(int byteCount) {
        if (!contains(position_, static_cast<std::uint64_t>(byteCount))) {
            ok_ = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (int i = 0; i < byteCount; ++i) {
            value |= static_cast<std::uint64_t>(data_[position_ + static_cast<std::size_t>(i)]) << (8 * i);
        }
        position_ += static_cast<std::size_t>(byteCount);
        return value;
    }

    std::span<const std::uint8_t> data_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

}  // namespace binary

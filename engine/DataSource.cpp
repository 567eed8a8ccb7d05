#include "DataSource.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace engine {

std::size_t DataSource::peek(std::uint64_t offset, void* buffer, std::size_t count) {
    const std::uint64_t saved = tell();
    if (!seek(offset)) return 0;
    const std::size_t got = read(buffer, count);
    seek(saved);
    return got;
}

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file != nullptr) std::fclose(file);
    }
};

class FileSource : public DataSource {
public:
    FileSource(std::unique_ptr<std::FILE, FileCloser> file, std::uint64_t begin, std::uint64_t length)
        : file_(std::move(file)), begin_(begin), length_(length) {}

    std::size_t read(void* buffer, std::size_t count) override {
        const std::uint64_t remaining = length_ - std::min(length_, position_);
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(count, remaining));
        if (wanted == 0) return 0;
        const std::size_t got = std::fread(buffer, 1, wanted, file_.get());
        position_ += got;
        return got;
    }
    bool seek(std::uint64_t offset) override {
        if (offset > length_) return false;
        if (fseeko(file_.get(), static_cast<off_t>(begin_ + offset), SEEK_SET) != 0) return false;
        position_ = offset;
        return true;
    }
    std::uint64_t tell() const override { return position_; }
    std::uint64_t size() const override { return length_; }

private:
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::uint64_t begin_;
    std::uint64_t length_;
    std::uint64_t position_ = 0;
};

class MemorySource : public DataSource {
public:
    MemorySource(const std::uint8_t* data, std::uint64_t length) : data_(data), length_(length) {}

    std::size_t read(void* buffer, std::size_t count) override {
        const std::uint64_t remaining = length_ - std::min(length_, position_);
        const std::size_t got = static_cast<std::size_t>(std::min<std::uint64_t>(count, remaining));
        if (got > 0) std::memcpy(buffer, data_ + position_, got);
        position_ += got;
        return got;
    }
    bool seek(std::uint64_t offset) override {
        if (offset > length_) return false;
        position_ = offset;
        return true;
    }
    std::uint64_t tell() const override { return position_; }
    std::uint64_t size() const override { return length_; }

private:
    const std::uint8_t* data_;
    std::uint64_t length_;
    std::uint64_t position_ = 0;
};

class CallbackSource : public DataSource {
public:
    CallbackSource(const BASS_FILEPROCS& procs, void* user) : procs_(procs), user_(user) {
        length_ = procs_.length != nullptr ? procs_.length(user_) : 0;
    }
    ~CallbackSource() override {
        if (procs_.close != nullptr) procs_.close(user_);
    }

    std::size_t read(void* buffer, std::size_t count) override {
        if (procs_.read == nullptr || count == 0) return 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, 0x7FFFFFFF));
        DWORD got = procs_.read(buffer, chunk, user_);
        if (got == static_cast<DWORD>(-1) || got > chunk) got = 0;
        position_ += got;
        return got;
    }
    bool seek(std::uint64_t offset) override {
        if (procs_.seek == nullptr || !procs_.seek(offset, user_)) return false;
        position_ = offset;
        return true;
    }
    std::uint64_t tell() const override { return position_; }
    std::uint64_t size() const override { return length_; }
    bool seekable() const override { return procs_.seek != nullptr; }

private:
    BASS_FILEPROCS procs_;
    void* user_;
    std::uint64_t length_ = 0;
    std::uint64_t position_ = 0;
};

}  // namespace

std::unique_ptr<DataSource> openFileSource(const char* path, std::uint64_t offset, std::uint64_t length,
                                           int& error) {
    error = BASS_ERROR_FILEOPEN;
    if (path == nullptr || path[0] == '\0') return nullptr;
    struct stat info {};
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file) return nullptr;
    const auto fileSize = static_cast<std::uint64_t>(info.st_size);
    if (offset > fileSize) return nullptr;
    const std::uint64_t available = fileSize - offset;
    const std::uint64_t span = length == 0 ? available : std::min(length, available);
    auto source = std::make_unique<FileSource>(std::move(file), offset, span);
    if (!source->seek(0)) return nullptr;
    error = BASS_OK;
    return source;
}

std::unique_ptr<DataSource> openMemorySource(const void* data, std::uint64_t length) {
    return std::make_unique<MemorySource>(static_cast<const std::uint8_t*>(data), length);
}

std::unique_ptr<DataSource> openFileOrMemorySource(bool memory, const void* file, std::uint64_t offset,
                                                   std::uint64_t length, int& error) {
    if (!memory) return openFileSource(static_cast<const char*>(file), offset, length, error);
    if (length == 0) {
        error = BASS_ERROR_ILLPARAM;
        return nullptr;
    }
    error = BASS_OK;
    return openMemorySource(static_cast<const std::uint8_t*>(file) + offset, length);
}

std::unique_ptr<DataSource> openCallbackSource(const BASS_FILEPROCS& procs, void* user) {
    return std::make_unique<CallbackSource>(procs, user);
}

}  // namespace engine

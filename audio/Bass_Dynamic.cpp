#include "Bass_Dynamic.h"

#include <dlfcn.h>

#include <QFileInfo>

#include "loader/DLLLoader.h"

namespace bassdll {

#define QUILLON_DEFINE_ENTRY(name) decltype(&::name) name = nullptr;
QUILLON_BASS_ENTRY_POINTS(QUILLON_DEFINE_ENTRY)
QUILLON_BASS_EXTENSION_ENTRY_POINTS(QUILLON_DEFINE_ENTRY)
#undef QUILLON_DEFINE_ENTRY

namespace {

std::unique_ptr<LibraryLoader>& currentLoader() {
    static std::unique_ptr<LibraryLoader> loader;
    return loader;
}

void nullTable() {
#define QUILLON_NULL_ENTRY(name) name = nullptr;
    QUILLON_BASS_ENTRY_POINTS(QUILLON_NULL_ENTRY)
    QUILLON_BASS_EXTENSION_ENTRY_POINTS(QUILLON_NULL_ENTRY)
#undef QUILLON_NULL_ENTRY
}

class SystemLibraryLoader : public LibraryLoader {
public:
    explicit SystemLibraryLoader(QString path) : path_(std::move(path)) {}
    ~SystemLibraryLoader() override { unload(); }

    bool load(QString& reason) override {
        int flags = RTLD_NOW | RTLD_LOCAL;
#ifdef QUILLON_SANITIZE
        // Leak checking runs at exit; memory that an unloaded library's own data still pointed to
        // would then show up as leaks of an unknown module, so sanitizer builds keep it mapped.
        flags |= RTLD_NODELETE;
#endif
        handle_ = dlopen(QFile::encodeName(path_).constData(), flags);
        if (handle_ == nullptr) {
            const char* error = dlerror();
            reason = error != nullptr ? QString::fromLocal8Bit(error) : QStringLiteral("unknown error");
            return false;
        }
        return true;
    }
    void* symbol(const char* name) override {
        return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
    }
    void unload() override {
        if (handle_ != nullptr) dlclose(handle_);
        handle_ = nullptr;
    }

private:
    QString path_;
    void* handle_ = nullptr;
};

class InMemoryLibraryLoader : public LibraryLoader {
public:
    explicit InMemoryLibraryLoader(std::span<const std::uint8_t> image) : image_(image) {}

    bool load(QString& reason) override {
        auto loader = std::make_unique<TDLLLoader>();
        {
            binary::MemoryStream stream;
            stream.write(image_.data(), image_.size());
            if (!loader->LoadFromStream(&stream)) {
                reason =
                    QStringLiteral("its image (%1 bytes) could not be mapped from memory").arg(image_.size());
                return false;
            }
        }
        loader_ = std::move(loader);
        return true;
    }
    void* symbol(const char* name) override { return loader_ ? loader_->GetExportAddress(name) : nullptr; }
    void unload() override { loader_.reset(); }

private:
    std::span<const std::uint8_t> image_;
    std::unique_ptr<TDLLLoader> loader_;
};

}  // namespace

const QStringList& entryPointNames() {
    static const QStringList names = [] {
        QStringList list;
#define QUILLON_NAME_ENTRY(name) list << QStringLiteral(#name);
        QUILLON_BASS_ENTRY_POINTS(QUILLON_NAME_ENTRY)
#undef QUILLON_NAME_ENTRY
        return list;
    }();
    return names;
}

std::unique_ptr<LibraryLoader> inMemoryLibraryLoader(std::span<const std::uint8_t> image) {
    return std::make_unique<InMemoryLibraryLoader>(image);
}

std::unique_ptr<LibraryLoader> systemLibraryLoader(const QString& path) {
    return std::make_unique<SystemLibraryLoader>(path);
}

bool LoadBassLibrary(std::unique_ptr<LibraryLoader> loader, QString& problem) {
    UnloadBassLibrary();
    QString reason;
    if (!loader || !loader->load(reason)) {
        problem = QStringLiteral("The audio library could not be loaded: %1").arg(reason);
        return false;
    }
    bool complete = true;
#define QUILLON_LOOK_UP_ENTRY(name)                                                                          \
    name = reinterpret_cast<decltype(&::name)>(loader->symbol(#name));                                       \
    if (name == nullptr && complete) {                                                                       \
        complete = false;                                                                                    \
        problem = QStringLiteral("The audio library has no entry point \"%1\".").arg(QStringLiteral(#name)); \
    }
    QUILLON_BASS_ENTRY_POINTS(QUILLON_LOOK_UP_ENTRY)
    QUILLON_BASS_EXTENSION_ENTRY_POINTS(QUILLON_LOOK_UP_ENTRY)
#undef QUILLON_LOOK_UP_ENTRY
    if (!complete) {
        nullTable();
        loader->unload();
        return false;
    }
    currentLoader() = std::move(loader);
    return true;
}

void UnloadBassLibrary() {
    nullTable();
    if (currentLoader()) {
        currentLoader()->unload();
        currentLoader().reset();
    }
}

bool BassLibraryLoaded() {
    return currentLoader() != nullptr;
}

}  // namespace bassdll

#include "Bass_Dynamic.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace bassdll {

#define QUILLON_DEFINE_ENTRY(name) decltype(&::name) name = nullptr;
QUILLON_BASS_ENTRY_POINTS(QUILLON_DEFINE_ENTRY)
#undef QUILLON_DEFINE_ENTRY

namespace {

std::unique_ptr<LibraryLoader>& currentLoader() {
    static std::unique_ptr<LibraryLoader> loader;
    return loader;
}

void nullTable() {
#define QUILLON_NULL_ENTRY(name) name = nullptr;
    QUILLON_BASS_ENTRY_POINTS(QUILLON_NULL_ENTRY)
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
    void* symbol(const char* name) override { return handle_ != nullptr ? dlsym(handle_, name) : nullptr; }
    void unload() override {
        if (handle_ != nullptr) dlclose(handle_);
        handle_ = nullptr;
    }

private:
    QString path_;
    void* handle_ = nullptr;
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

std::unique_ptr<LibraryLoader> systemLibraryLoader(const QString& path) {
    return std::make_unique<SystemLibraryLoader>(path);
}

QString defaultLibraryPath() {
    const QString name = QStringLiteral("libquillon_audio.so");
    const QDir programFolder(QCoreApplication::applicationDirPath());
    for (const QString& candidate : {programFolder.filePath(name), programFolder.filePath(QStringLiteral("../lib/") + name)}) {
        if (QFileInfo::exists(candidate)) return QFileInfo(candidate).absoluteFilePath();
    }
    return programFolder.filePath(name);
}

bool LoadBassLibrary(std::unique_ptr<LibraryLoader> loader, QString& problem) {
    UnloadBassLibrary();
    QString reason;
    if (!loader || !loader->load(reason)) {
        problem = QStringLiteral("The audio library could not be loaded: %1").arg(reason);
        return false;
    }
    bool complete = true;
#define QUILLON_LOOK_UP_ENTRY(name)                                                                 \
    name = reinterpret_cast<decltype(&::name)>(loader->symbol(#name));                              \
    if (name == nullptr && complete) {                                                              \
        complete = false;                                                                           \
        problem = QStringLiteral("The audio library has no entry point \"%1\".").arg(QStringLiteral(#name)); \
    }
    QUILLON_BASS_ENTRY_POINTS(QUILLON_LOOK_UP_ENTRY)
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

bool BassLibraryLoaded() { return currentLoader() != nullptr; }

}  // namespace bassdll

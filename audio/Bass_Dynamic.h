#pragma once
// The binding of the audio library: one table of 91 function pointers, filled at start-up before
// any window exists, through which every call of the program goes. How the library is brought into
// memory is behind LibraryLoader: the program maps the image it carries with our own loader; tests
// may reach the built library file through the system loader.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <span>

#include "BassEntryPoints.h"
#include "QuillonAudio.h"

namespace bassdll {

// The table: bassdll::BASS_Init(...) calls the library's BASS_Init.
#define QUILLON_DECLARE_ENTRY(name) extern decltype(&::name) name;
QUILLON_BASS_ENTRY_POINTS(QUILLON_DECLARE_ENTRY)
QUILLON_BASS_EXTENSION_ENTRY_POINTS(QUILLON_DECLARE_ENTRY)
#undef QUILLON_DECLARE_ENTRY

constexpr int kEntryPointCount = 91;
// The names in look-up order.
const QStringList& entryPointNames();

class LibraryLoader {
public:
    virtual ~LibraryLoader() = default;
    // Brings the library in; false with a reason when it cannot.
    virtual bool load(QString& reason) = 0;
    // The address of an exported name, or null.
    virtual void* symbol(const char* name) = 0;
    virtual void unload() = 0;
};

// Maps a library image from memory with TDLLLoader. The image is written into a memory stream that
// lives only for the load; `image` must stay valid until load() returns.
std::unique_ptr<LibraryLoader> inMemoryLibraryLoader(std::span<const std::uint8_t> image);
// Loads a library file through the system loader.
std::unique_ptr<LibraryLoader> systemLibraryLoader(const QString& path);

// Loads the library and fills the table in order. On failure the table is left empty and `problem`
// names what is missing (the library, or the first name not found).
bool LoadBassLibrary(std::unique_ptr<LibraryLoader> loader, QString& problem);
// Nulls all 91 entries and unloads the library.
void UnloadBassLibrary();
bool BassLibraryLoaded();

}  // namespace bassdll

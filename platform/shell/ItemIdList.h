#pragma once
// Items of the shell namespace as small values: the root of the namespace (the "Desktop"), or a
// folder or file given by its path. The special folders of the desktop map to their Linux meanings
// (the home folder, the XDG user folders, the file-system root as "Computer"); those without one
// resolve to nothing.

#include <QString>
#include <optional>

namespace shell {

enum class SpecialFolder {
    desktop,           // the root of the namespace
    desktopDirectory,  // the folder whose contents the desktop shows
    drives,            // "Computer": the file-system root
    documents,
    music,
    pictures,
    videos,
    downloads,
    templates,
    publicShare,
    profile,  // the home folder
    appData,
    localAppData,
    fonts,
    temporary,
};

class ItemIdList {
public:
    // The root of the namespace.
    static ItemIdList root() { return ItemIdList(); }
    // The item of a path ("/" is "Computer"); the path is cleaned, a trailing "/" dropped.
    static ItemIdList fromPath(const QString& path);
    // The special folder's item; nothing when it has no meaning here.
    static std::optional<ItemIdList> fromSpecialFolder(SpecialFolder folder);

    bool isRoot() const { return path_.isEmpty(); }
    // The item's file-system path; for the root, the folder the desktop shows.
    QString path() const;
    // What the dialog shows for it: "Desktop", "Computer", or the last part of the path.
    QString displayName() const;

    bool operator==(const ItemIdList& other) const { return path_ == other.path_; }

private:
    QString path_;  // empty for the root
};

// The path of a special folder, or nothing when it has no meaning here (the desktop is the root,
// which has none of its own).
std::optional<QString> specialFolderPath(SpecialFolder folder);

// Whether a file-system entry exists at the path (a file or a folder).
bool pathExists(const QString& path);

}  // namespace shell

#include "ItemIdList.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace shell {

namespace {

std::optional<QString> standardLocation(QStandardPaths::StandardLocation location) {
    const QString path = QStandardPaths::writableLocation(location);
    if (path.isEmpty()) return std::nullopt;
    return path;
}

}  // namespace

std::optional<QString> specialFolderPath(SpecialFolder folder) {
    switch (folder) {
        case SpecialFolder::desktop:
            return std::nullopt;
        case SpecialFolder::desktopDirectory:
            return standardLocation(QStandardPaths::DesktopLocation);
        case SpecialFolder::drives:
            return QStringLiteral("/");
        case SpecialFolder::documents:
            return standardLocation(QStandardPaths::DocumentsLocation);
        case SpecialFolder::music:
            return standardLocation(QStandardPaths::MusicLocation);
        case SpecialFolder::pictures:
            return standardLocation(QStandardPaths::PicturesLocation);
        case SpecialFolder::videos:
            return standardLocation(QStandardPaths::MoviesLocation);
        case SpecialFolder::downloads:
            return standardLocation(QStandardPaths::DownloadLocation);
        case SpecialFolder::templates:
            return QDir::homePath() + QStringLiteral("/Templates");
        case SpecialFolder::publicShare:
            return QDir::homePath() + QStringLiteral("/Public");
        case SpecialFolder::profile:
            return QDir::homePath();
        case SpecialFolder::appData:
            return standardLocation(QStandardPaths::GenericConfigLocation);
        case SpecialFolder::localAppData:
            return standardLocation(QStandardPaths::GenericDataLocation);
        case SpecialFolder::fonts:
            return standardLocation(QStandardPaths::FontsLocation);
        case SpecialFolder::temporary:
            return standardLocation(QStandardPaths::TempLocation);
    }
    return std::nullopt;
}

ItemIdList ItemIdList::fromPath(const QString& path) {
    ItemIdList item;
    if (path.isEmpty()) {
        item.path_ = QStringLiteral("/");
        return item;
    }
    item.path_ = QDir::cleanPath(path);
    return item;
}

std::optional<ItemIdList> ItemIdList::fromSpecialFolder(SpecialFolder folder) {
    if (folder == SpecialFolder::desktop) return root();
    const std::optional<QString> path = specialFolderPath(folder);
    if (!path) return std::nullopt;
    return fromPath(*path);
}

QString ItemIdList::path() const {
    if (!isRoot()) return path_;
    return specialFolderPath(SpecialFolder::desktopDirectory).value_or(QDir::homePath());
}

QString ItemIdList::displayName() const {
    if (isRoot()) return QStringLiteral("Desktop");
    if (path_ == QLatin1String("/")) return QStringLiteral("Computer");
    return QFileInfo(path_).fileName();
}

bool pathExists(const QString& path) {
    if (path.isEmpty()) return false;
    QString withoutSeparator = path;
    while (withoutSeparator.size() > 1 && withoutSeparator.endsWith(QLatin1Char('/')))
        withoutSeparator.chop(1);
    return QFileInfo::exists(withoutSeparator);
}

}  // namespace shell

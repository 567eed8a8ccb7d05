#include "ResourceTable.h"

#include <QFile>
#include <map>

#include "platform/gdi/BmpFile.h"

namespace resources {

// Resources are stored under ":/KIND/NAME" with upper-case names (bitmaps with a ".BMP" suffix), so
// upper-casing the requested name is the case-insensitive look-up.
namespace {
std::map<QString, QByteArray>& addedResources() {
    static std::map<QString, QByteArray> added;
    return added;
}
QString keyOf(const QString& kind, const QString& name) {
    return kind.toUpper() + QLatin1Char('/') + name.toUpper();
}
}  // namespace

void addResource(const QString& kind, const QString& name, const QByteArray& bytes) {
    addedResources()[keyOf(kind, name)] = bytes;
}

std::optional<QByteArray> findResource(const QString& kind, const QString& name) {
    if (name.isEmpty() || name.contains(QLatin1Char('/'))) return std::nullopt;
    if (const auto added = addedResources().find(keyOf(kind, name)); added != addedResources().end()) {
        return added->second;
    }
    QString path = QStringLiteral(":/") + kind.toUpper() + QLatin1Char('/') + name.toUpper();
    if (kind.compare(kBitmap, Qt::CaseInsensitive) == 0) path += QStringLiteral(".BMP");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll();
}

gdi::Bitmap loadBitmapResource(const QString& name) {
    const auto bytes = findResource(kBitmap, name);
    if (!bytes) return {};
    return gdi::readBmp(*bytes).bitmap;
}

}  // namespace resources

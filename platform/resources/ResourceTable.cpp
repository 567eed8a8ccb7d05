#include "ResourceTable.h"

#include <QFile>

#include "platform/gdi/BmpFile.h"

namespace resources {

// Resources are stored under ":/KIND/NAME" with upper-case names (bitmaps with a ".BMP" suffix), so
// upper-casing the requested name is the case-insensitive look-up.
std::optional<QByteArray> findResource(const QString& kind, const QString& name) {
    if (name.isEmpty() || name.contains(QLatin1Char('/'))) return std::nullopt;
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

#pragma once
// The program's resource table: data compiled into the program (bitmaps, raw data), looked up by
// kind and name without regard to case, as the classic desktop's resource functions do.

#include <QByteArray>
#include <QString>
#include <optional>

#include "platform/gdi/Bitmap.h"

namespace resources {

inline const QString kBitmap = QStringLiteral("BITMAP");
inline const QString kRawData = QStringLiteral("RCDATA");

// The bytes of a resource, or nothing when the program has none of that kind and name.
std::optional<QByteArray> findResource(const QString& kind, const QString& name);

// Adds a resource at run time (consulted before the compiled-in ones), for data the program makes
// itself and for tests.
void addResource(const QString& kind, const QString& name, const QByteArray& bytes);

// A bitmap resource; an empty bitmap when it is missing or unreadable.
gdi::Bitmap loadBitmapResource(const QString& name);

}  // namespace resources

#include "Utility.h"

#include <algorithm>

#include "platform/system/UserName.h"

QString GetCurrentUserName() {
    char buffer[16];
    unsigned long size = sizeof buffer;
    if (!desktop::GetUserNameA(buffer, &size)) return QString();
    QByteArray name(buffer, static_cast<qsizetype>(std::min<unsigned long>(size, sizeof buffer)));
    if (!name.isEmpty() && name.back() == '\0') name.chop(1);
    return QString::fromLocal8Bit(name);
}

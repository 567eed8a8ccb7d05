#include "UserName.h"

#include <pwd.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace desktop {

namespace {

std::optional<QByteArray> passwordDatabaseName() {
    long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
    if (bufferSize <= 0) bufferSize = 16384;
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize));
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    return QByteArray(found->pw_name);
}

}  // namespace

FixedUserName& fixedUserName() {
    static FixedUserName name;
    return name;
}

bool GetUserNameA(char* buffer, unsigned long* size) {
    if (size == nullptr) return false;
    const std::optional<QByteArray> name = fixedUserName() ? *fixedUserName() : passwordDatabaseName();
    if (!name) {
        *size = 0;
        return false;
    }
    const unsigned long needed = static_cast<unsigned long>(name->size()) + 1;
    if (buffer == nullptr || *size < needed) {
        *size = needed;
        return false;
    }
    std::memcpy(buffer, name->constData(), needed);  // with the terminating zero
    *size = needed;
    return true;
}

}  // namespace desktop

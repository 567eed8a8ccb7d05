#pragma once
// The name of the user running the program, from the password database, with the classic
// contract: the caller's buffer holds `size` characters including the terminating zero.

#include <QByteArray>
#include <functional>
#include <optional>

namespace desktop {

// On success writes the name and its terminating zero and sets `size` to the characters written,
// the zero included. Fails when the name cannot be read or does not fit; `size` then holds the
// size needed (0 when unknown).
bool GetUserNameA(char* buffer, unsigned long* size);

// While it lives, the user name is `name` (nothing: the name cannot be read).
class ScopedUserName {
public:
    explicit ScopedUserName(std::optional<QByteArray> name);
    ~ScopedUserName();
    ScopedUserName(const ScopedUserName&) = delete;
    ScopedUserName& operator=(const ScopedUserName&) = delete;

private:
    std::optional<std::optional<QByteArray>> previous_;
};

}  // namespace desktop

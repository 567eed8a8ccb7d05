#pragma once
// The name of the user running the program, from the password database, with the classic
// contract: the caller's buffer holds `size` characters including the terminating zero.

#include <QByteArray>
#include <functional>
#include <optional>

#include "ScopedHook.h"

namespace desktop {

// On success writes the name and its terminating zero and sets `size` to the characters written,
// the zero included. Fails when the name cannot be read or does not fit; `size` then holds the
// size needed (0 when unknown).
bool GetUserNameA(char* buffer, unsigned long* size);

// A user name fixed in place of the password database's: unset, the database answers; set to
// nothing, the name cannot be read.
using FixedUserName = std::optional<std::optional<QByteArray>>;
FixedUserName& fixedUserName();

// While it lives, the user name is `name` (nothing: the name cannot be read).
class ScopedUserName : ScopedHook<FixedUserName> {
public:
    explicit ScopedUserName(std::optional<QByteArray> name)
        : ScopedHook(fixedUserName(), FixedUserName(std::move(name))) {}
};

}  // namespace desktop

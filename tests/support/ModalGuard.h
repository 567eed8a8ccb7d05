#pragma once
// Fails a test that leaves a modal dialog open (a message box or file dialog nobody answers) after a
// few seconds, and closes the dialog, instead of hanging until CTest's timeout. Installed for every
// test by the test main.

#include <chrono>

namespace testsupport {

// How long a modal dialog may stay open before the test fails.
std::chrono::milliseconds modalLimit();
void installModalGuard();

// While it lives, the limit is `limit` (the guard's own test keeps it short).
class ScopedModalLimit {
public:
    explicit ScopedModalLimit(std::chrono::milliseconds limit);
    ~ScopedModalLimit();
    ScopedModalLimit(const ScopedModalLimit&) = delete;
    ScopedModalLimit& operator=(const ScopedModalLimit&) = delete;

private:
    std::chrono::milliseconds previous_;
};

}  // namespace testsupport

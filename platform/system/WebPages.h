#pragma once
// Opening a web page in the desktop's browser, as the shell's "open" verb would. Failures (no
// browser, no network) are not reported.

#include <QString>
#include <functional>

class QWidget;

namespace desktop {

void openWebPage(QWidget* parent, const QString& address);

// While it lives, pages go to `opener` instead of the browser (tests record them).
class ScopedWebPageOpener {
public:
    explicit ScopedWebPageOpener(std::function<void(const QString& address)> opener);
    ~ScopedWebPageOpener();
    ScopedWebPageOpener(const ScopedWebPageOpener&) = delete;
    ScopedWebPageOpener& operator=(const ScopedWebPageOpener&) = delete;

private:
    std::function<void(const QString&)> previous_;
};

}  // namespace desktop

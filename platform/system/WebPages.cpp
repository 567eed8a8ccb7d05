#include "WebPages.h"

#include <QDesktopServices>
#include <QUrl>
#include <utility>

namespace desktop {

namespace {
std::function<void(const QString&)>& opener() {
    static std::function<void(const QString&)> current;
    return current;
}
}  // namespace

void openWebPage(QWidget* /*parent*/, const QString& address) {
    if (opener()) {
        opener()(address);
        return;
    }
    QDesktopServices::openUrl(QUrl(address));
}

ScopedWebPageOpener::ScopedWebPageOpener(std::function<void(const QString&)> newOpener)
    : previous_(std::exchange(opener(), std::move(newOpener))) {}

ScopedWebPageOpener::~ScopedWebPageOpener() {
    opener() = std::move(previous_);
}

}  // namespace desktop

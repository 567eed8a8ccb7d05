#pragma once
// Opening a web page in the desktop's browser, as the shell's "open" verb would. Failures (no
// browser, no network) are not reported.

#include <QString>
#include <functional>

#include "ScopedHook.h"

class QWidget;

namespace desktop {

void openWebPage(QWidget* parent, const QString& address);

using WebPageOpener = std::function<void(const QString& address)>;
WebPageOpener& webPageOpener();

// While it lives, pages go to `opener` instead of the browser (tests record them).
class ScopedWebPageOpener : ScopedHook<WebPageOpener> {
public:
    explicit ScopedWebPageOpener(WebPageOpener opener) : ScopedHook(webPageOpener(), std::move(opener)) {}
};

}  // namespace desktop

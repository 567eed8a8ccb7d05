#include "WebPages.h"

#include <QDesktopServices>
#include <QUrl>

namespace desktop {

WebPageOpener& webPageOpener() {
    static WebPageOpener current;
    return current;
}

void openWebPage(QWidget* /*parent*/, const QString& address) {
    if (webPageOpener()) {
        webPageOpener()(address);
        return;
    }
    QDesktopServices::openUrl(QUrl(address));
}

}  // namespace desktop

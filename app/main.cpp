// The program block: sets the application title and runs the message loop until the main window
// has closed.

#include <QApplication>

#include "platform/gdi/Font.h"
#include "platform/windowless/WindowlessHost.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillon"));
    gdi::registerApplicationFonts();

    windowless::WindowlessHost window;
    window.setWindowTitle(QStringLiteral("Quillon"));
    window.resize(469, 346);
    window.show();
    return app.exec();
}

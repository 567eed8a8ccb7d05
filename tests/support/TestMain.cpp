// The main of every test executable: the program's application object on the offscreen platform (unless the
// caller chose another) with the program's fonts registered, then GoogleTest.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/gdi/Font.h"
#include "platform/widgets/Application.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // Keeps Qt from warning on every run in containers without a session.
        QByteArray dir = QByteArray("/tmp/quillon-test-runtime-") + QByteArray::number(getuid());
        mkdir(dir.constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", dir);
    }
    // Settings go to a folder of this run's own, never to the user's.
    char configTemplate[] = "/tmp/quillon-test-config-XXXXXX";
    if (mkdtemp(configTemplate) != nullptr) qputenv("XDG_CONFIG_HOME", configTemplate);
    ::testing::InitGoogleTest(&argc, argv);
    widgets::Application app(argc, argv);
    gdi::registerApplicationFonts();
    return RUN_ALL_TESTS();
}

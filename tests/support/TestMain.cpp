// The main of every test executable: the program's application object on the offscreen platform (unless the
// caller chose another) with the program's fonts registered, then GoogleTest.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "ModalGuard.h"
#include "platform/gdi/Font.h"
#include "platform/widgets/Application.h"

namespace {

// The settings folder of this run, in the temporary folder (TMPDIR), removed when the run ends,
// also through exit(): CTest starts every executable once per test, and each run made one.
class RunSettingsFolder {
public:
    RunSettingsFolder() {
        std::error_code ignored;
        std::string pattern =
            (std::filesystem::temp_directory_path(ignored) / "quillon-test-config-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) return;
        path_ = pattern;
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(path_));
        // The waveform's peaks are cached there too.
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(path_ + "/cache"));
    }
    ~RunSettingsFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    RunSettingsFolder(const RunSettingsFolder&) = delete;
    RunSettingsFolder& operator=(const RunSettingsFolder&) = delete;

private:
    std::string path_;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // Keeps Qt from warning on every run in containers without a session.
        QByteArray dir = QByteArray("/tmp/quillon-test-runtime-") + QByteArray::number(getuid());
        mkdir(dir.constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", dir);
    }
    // Settings and cached peaks go to a folder of this run's own, never to the user's.
    static RunSettingsFolder settingsFolder;
    ::testing::InitGoogleTest(&argc, argv);
    widgets::Application app(argc, argv);
    gdi::registerApplicationFonts();
    testsupport::installModalGuard();
    return RUN_ALL_TESTS();
}

#pragma once
// Set-up for the player tests: the real audio library loaded through the binding, a player with
// the main window's design values, generated songs in a temporary folder, and a log of selected
// library calls made through the table.

#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "audio/BassDLLPlayer.h"
#include "audio/Bass_Dynamic.h"
#include "support/AudioFixtures.h"

namespace playertest {

inline void loadLibrary() {
    if (bassdll::BassLibraryLoaded()) return;
    QString problem;
    ASSERT_TRUE(bassdll::LoadBassLibrary(bassdll::systemLibraryLoader(QStringLiteral(QUILLON_AUDIO_LIBRARY)),
                                         problem))
        << problem.toStdString();
}

// A player as the main window makes it.
inline std::unique_ptr<TBassdllPlayer> designPlayer() {
    auto player = std::make_unique<TBassdllPlayer>();
    player->SetPosition(0);
    player->SetVolume(100);
    player->SetPlaybackSpeed(100);
    player->SetBalance(0);
    player->SetRotate(false);
    player->SetEcho(false);
    player->SetFlanger(false);
    player->SetFadeOut(false);
    player->SetFadeOutTime(10);
    return player;
}

class Folder {
public:
    Folder() {
        path_ = std::filesystem::temp_directory_path() /
                ("quillon-player-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(path_);
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    QString file(const std::string& name) const { return QString::fromStdString((path_ / name).string()); }
    QString wav(const std::string& name, double seconds, int rate = 8000) const {
        const QString path = file(name);
        EXPECT_TRUE(
            fixtures::writeSine(path.toStdString(), fixtures::Format::wav, seconds, 440.0, 0.5, rate));
        return path;
    }
    QString module(const std::string& name) const {
        const QString path = file(name);
        fixtures::writeBytes(path.toStdString(), fixtures::fourChannelModule());
        return path;
    }

private:
    std::filesystem::path path_;
};

}  // namespace playertest

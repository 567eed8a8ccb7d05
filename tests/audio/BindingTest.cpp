#include <gtest/gtest.h>

#include <QStringList>

#include "PlayerTestSupport.h"
#include "platform/widgets/MessageBox.h"

namespace {

// Forwards to the system loader but hides one name.
class HidingLoader : public bassdll::LibraryLoader {
public:
    HidingLoader(std::unique_ptr<bassdll::LibraryLoader> inner, const char* hidden)
        : inner_(std::move(inner)), hidden_(hidden) {}
    bool load(QString& reason) override { return inner_->load(reason); }
    void* symbol(const char* name) override {
        return std::strcmp(name, hidden_) == 0 ? nullptr : inner_->symbol(name);
    }
    void unload() override { inner_->unload(); }

private:
    std::unique_ptr<bassdll::LibraryLoader> inner_;
    const char* hidden_;
};

}  // namespace

TEST(Binding, TableHolds91NamesInOrder) {
    const QStringList& names = bassdll::entryPointNames();
    ASSERT_EQ(names.size(), 91);
    EXPECT_EQ(names.first(), QStringLiteral("BASS_SetConfig"));
    EXPECT_EQ(names[5], QStringLiteral("BASS_Init"));
    EXPECT_EQ(names[25], QStringLiteral("BASS_MusicLoad"));
    EXPECT_EQ(names[40], QStringLiteral("BASS_StreamCreateFile"));
    EXPECT_EQ(names.last(), QStringLiteral("BASS_FXGetParameters"));
    QStringList unique = names;
    EXPECT_EQ(unique.removeDuplicates(), 0);
}

TEST(Binding, LoadsEveryNameAndNullsThemAllOnUnload) {
    playertest::loadLibrary();
    ASSERT_NE(bassdll::BASS_GetVersion, nullptr);
    EXPECT_EQ(bassdll::BASS_GetVersion(), 65538u);
    EXPECT_NE(bassdll::BASS_FXGetParameters, nullptr);
    bassdll::UnloadBassLibrary();
    EXPECT_FALSE(bassdll::BassLibraryLoaded());
    EXPECT_EQ(bassdll::BASS_GetVersion, nullptr);
    EXPECT_EQ(bassdll::BASS_SetConfig, nullptr);
    EXPECT_EQ(bassdll::BASS_FXGetParameters, nullptr);
    playertest::loadLibrary();
}

TEST(Binding, AMissingLibraryOrNameIsNamedAndLeavesTheTableEmpty) {
    QString problem;
    EXPECT_FALSE(bassdll::LoadBassLibrary(
        bassdll::systemLibraryLoader(QStringLiteral("/nowhere/libquillon_audio.so")), problem));
    EXPECT_TRUE(problem.contains(QStringLiteral("could not be loaded"))) << problem.toStdString();
    EXPECT_TRUE(problem.contains(QStringLiteral("/nowhere/libquillon_audio.so"))) << problem.toStdString();
    EXPECT_EQ(bassdll::BASS_GetVersion, nullptr);

    EXPECT_FALSE(bassdll::LoadBassLibrary(
        std::make_unique<HidingLoader>(bassdll::systemLibraryLoader(QStringLiteral(QUILLON_AUDIO_LIBRARY)),
                                       "BASS_ChannelGetLevel"),
        problem));
    EXPECT_EQ(problem, QStringLiteral("The audio library has no entry point \"BASS_ChannelGetLevel\"."));
    EXPECT_EQ(bassdll::BASS_Init, nullptr) << "nothing half-filled";

    // The image the program carries, damaged: the load fails with a reason, not a crash.
    const std::vector<std::uint8_t> damaged = {0x7F, 'E', 'L', 'F', 2, 1, 1, 0};
    EXPECT_FALSE(bassdll::LoadBassLibrary(bassdll::inMemoryLibraryLoader(damaged), problem));
    EXPECT_EQ(
        problem,
        QStringLiteral(
            "The audio library could not be loaded: its image (8 bytes) could not be mapped from memory"));
    EXPECT_EQ(bassdll::BASS_GetVersion, nullptr);
    playertest::loadLibrary();
}

namespace {
struct StartupFailure {};
DWORD oldVersion() {
    return 0x00000102;
}
BOOL noRecordingDevice(int) {
    return 0;
}
std::vector<std::string>* calls = nullptr;
decltype(bassdll::BASS_Free) realFree = nullptr;
decltype(bassdll::BASS_RecordFree) realRecordFree = nullptr;
BOOL loggingFree() {
    calls->push_back("BASS_Free");
    return realFree();
}
BOOL loggingRecordFree() {
    calls->push_back("BASS_RecordFree");
    return realRecordFree();
}
}  // namespace

TEST(PlayerStartUp, WrongLibraryVersionShowsItsMessageAndEndsTheProgram) {
    playertest::loadLibrary();
    QString shown;
    QString caption;
    widgets::ScopedMessageBoxAnswerer answerer([&](QMessageBox& box) {
        shown = box.text();
        caption = box.windowTitle();
        return 0;
    });
    TBassdllPlayer::ScopedTerminator terminator([] { throw StartupFailure{}; });
    const auto realVersion = bassdll::BASS_GetVersion;
    bassdll::BASS_GetVersion = oldVersion;
    EXPECT_THROW(TBassdllPlayer player, StartupFailure);
    bassdll::BASS_GetVersion = realVersion;
    EXPECT_EQ(shown, QStringLiteral("Falsche Version der BASS.DLL (benötigt wird 2.1)"));
    EXPECT_EQ(caption, QStringLiteral("Unit: BassDLLPlayer 1.26"));
}

TEST(PlayerStartUp, MissingRecordingDeviceFreesBothThenShowsItsMessage) {
    playertest::loadLibrary();
    std::vector<std::string> log;
    calls = &log;
    QString shown;
    widgets::ScopedMessageBoxAnswerer answerer([&](QMessageBox& box) {
        shown = box.text();
        log.push_back("message");
        return 0;
    });
    TBassdllPlayer::ScopedTerminator terminator([] { throw StartupFailure{}; });
    const auto realRecordInit = bassdll::BASS_RecordInit;
    realFree = bassdll::BASS_Free;
    realRecordFree = bassdll::BASS_RecordFree;
    bassdll::BASS_RecordInit = noRecordingDevice;
    bassdll::BASS_Free = loggingFree;
    bassdll::BASS_RecordFree = loggingRecordFree;
    EXPECT_THROW(TBassdllPlayer player, StartupFailure);
    bassdll::BASS_RecordInit = realRecordInit;
    bassdll::BASS_Free = realFree;
    bassdll::BASS_RecordFree = realRecordFree;
    EXPECT_EQ(shown, QStringLiteral("Die standard Aufnahmequelle kann nicht gestarted werden."));
    EXPECT_EQ(log, (std::vector<std::string>{"BASS_RecordFree", "BASS_Free", "message"}));
}

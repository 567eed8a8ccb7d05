#include <QApplication>
#include <chrono>
#include <cstring>
#include <thread>

#include "PlayerTestSupport.h"
#include "platform/resources/ResourceTable.h"
#include "platform/system/Errors.h"

using namespace std::chrono_literals;
using playertest::Folder;

namespace {

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        playertest::loadLibrary();
        player = playertest::designPlayer();
    }
    void TearDown() override { player.reset(); }
    std::unique_ptr<TBassdllPlayer> player;
    Folder folder;
};

// Records the effect routines added and removed through the table.
std::vector<std::string>* effectLog = nullptr;
decltype(bassdll::BASS_ChannelSetDSP) realSetDsp = nullptr;
decltype(bassdll::BASS_ChannelRemoveDSP) realRemoveDsp = nullptr;
HDSP loggingSetDsp(DWORD channel, DSPPROC proc, void* user, int priority) {
    const HDSP handle = realSetDsp(channel, proc, user, priority);
    effectLog->push_back("add " + std::to_string(priority) + " -> " + std::to_string(handle));
    return handle;
}
BOOL loggingRemoveDsp(DWORD channel, HDSP dsp) {
    effectLog->push_back("remove " + std::to_string(dsp));
    return realRemoveDsp(channel, dsp);
}

}  // namespace

TEST_F(PlayerTest, NoFileLoadedReportsNotLoaded) {
    EXPECT_EQ(player->Status(), sndNotLoaded);
    TBassSongInfo info;
    player->GetSongTimeInfo(0, info);
    EXPECT_EQ(info.Seconds, 0);
    EXPECT_EQ(info.TimeText, QStringLiteral("--:--"));
    EXPECT_EQ(player->Position(), 0u);
    EXPECT_EQ(player->SongLength(), 0);
    player->Play();
    player->Stop();
    EXPECT_EQ(player->Status(), sndNotLoaded);
}

TEST_F(PlayerTest, ExtensionsDecideBetweenMusicAndStream) {
    for (const char* name : {"SONG.mod", "song.MOD", "tune.xm"}) {
        // The module data is the same; the name alone decides the kind.
        const DWORD channel = player->LoadFromFile(folder.module(name));
        EXPECT_NE(channel, 0u) << name;
        EXPECT_TRUE(player->isMusic()) << name;
        EXPECT_EQ(player->musicBaseSpeed(), 6) << name;
    }
    const QString mp3 = folder.file("song.mp3");
    ASSERT_TRUE(fixtures::writeSine(mp3.toStdString(), fixtures::Format::mp3, 1.0));
    EXPECT_NE(player->LoadFromFile(mp3), 0u);
    EXPECT_FALSE(player->isMusic());
    EXPECT_EQ(player->LoadFromFile(folder.file("missing.mp3")), 0u) << "nothing reported, just no channel";
    EXPECT_EQ(player->Status(), sndNotLoaded);
}

TEST_F(PlayerTest, SpeedZeroMeansAHundredAndAStreamRateOutsideItsRangeIsLeftAlone) {
    player->LoadFromFile(folder.wav("speed.wav", 2.0, 44100));
    player->SetPlaybackSpeed(0);
    EXPECT_EQ(player->PlaybackSpeed(), 100);
    player->SetPlaybackSpeed(50);
    DWORD frequency = 0;
    bassdll::BASS_ChannelGetAttributes(player->channel(), &frequency, nullptr, nullptr);
    EXPECT_EQ(frequency, 22050u);
    player->SetPlaybackSpeed(1000);
    EXPECT_EQ(player->PlaybackSpeed(), 1000);
    bassdll::BASS_ChannelGetAttributes(player->channel(), &frequency, nullptr, nullptr);
    EXPECT_EQ(frequency, 22050u) << "441,000 Hz is out of range";
}

TEST_F(PlayerTest, MusicSpeedScalesTheBaseSpeedAndTheLength) {
    player->LoadFromFile(folder.module("speed.mod"));
    EXPECT_EQ(player->SongLength(), 8) << "7.68 s";
    player->SetPlaybackSpeed(200);
    EXPECT_EQ(bassdll::BASS_MusicGetAttribute(player->channel(), BASS_MUSIC_ATTRIB_SPEED), 12u);
    EXPECT_EQ(player->SongLength(), 15) << "7.68 s times 2, rounded";
}

TEST_F(PlayerTest, VolumeAboveAHundredIsAHundredForStreamsAndMusicChannels) {
    player->SetVolume(150);
    EXPECT_EQ(bassdll::BASS_GetConfig(BASS_CONFIG_GVOL_STREAM), 100u);
    player->SetVolume(40);
    EXPECT_EQ(player->Volume(), 40);
    player->LoadFromFile(folder.module("volume.mod"));
    player->SetVolume(30);
    for (DWORD channel = 0; channel < 4; ++channel) {
        EXPECT_EQ(bassdll::BASS_MusicGetAttribute(player->channel(), BASS_MUSIC_ATTRIB_VOL_CHAN + channel),
                  30u);
    }
    EXPECT_EQ(player->Volume(), 30);
    EXPECT_EQ(bassdll::BASS_GetConfig(BASS_CONFIG_GVOL_STREAM), 40u) << "the stream volume is left as it was";
}

TEST_F(PlayerTest, EffectOnTwiceAddsTwoRoutinesAndOffRemovesTheLastOne) {
    std::vector<std::string> log;
    effectLog = &log;
    realSetDsp = bassdll::BASS_ChannelSetDSP;
    realRemoveDsp = bassdll::BASS_ChannelRemoveDSP;
    bassdll::BASS_ChannelSetDSP = loggingSetDsp;
    bassdll::BASS_ChannelRemoveDSP = loggingRemoveDsp;
    player->LoadFromFile(folder.wav("effects.wav", 1.0));
    player->SetEcho(true);
    player->SetEcho(true);
    player->SetEcho(false);
    player->SetRotate(true);
    player->SetFlanger(true);
    bassdll::BASS_ChannelSetDSP = realSetDsp;
    bassdll::BASS_ChannelRemoveDSP = realRemoveDsp;
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0].substr(0, 6), "add 3 ");
    EXPECT_EQ(log[1].substr(0, 6), "add 3 ");
    EXPECT_EQ(log[2], "remove " + log[1].substr(log[1].find("-> ") + 3)) << "the one added last";
    EXPECT_EQ(log[3].substr(0, 6), "add 4 ");
    EXPECT_EQ(log[4].substr(0, 6), "add 2 ");
    EXPECT_TRUE(player->Rotate());
    EXPECT_FALSE(player->Echo());
}

TEST_F(PlayerTest, EffectsAreAppliedAgainToEveryNewChannel) {
    std::vector<std::string> log;
    effectLog = &log;
    realSetDsp = bassdll::BASS_ChannelSetDSP;
    realRemoveDsp = bassdll::BASS_ChannelRemoveDSP;
    player->SetFlanger(true);
    bassdll::BASS_ChannelSetDSP = loggingSetDsp;
    player->LoadFromFile(folder.wav("again.wav", 1.0));
    bassdll::BASS_ChannelSetDSP = realSetDsp;
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].substr(0, 6), "add 2 ");
}

TEST_F(PlayerTest, TimeInfoOfA185SecondStreamAtSecondSixty) {
    player->LoadFromFile(folder.wav("long.wav", 185.0, 8000));
    player->SetPosition(60);
    TBassSongInfo info;
    player->GetSongTimeInfo(0, info);
    EXPECT_EQ(info.TimeText, QStringLiteral("01:00"));
    EXPECT_EQ(info.Seconds, 60);
    player->GetSongTimeInfo(1, info);
    EXPECT_EQ(info.TimeText, QStringLiteral("-02:05"));
    EXPECT_EQ(info.Seconds, -125);
    player->GetSongTimeInfo(2, info);
    EXPECT_EQ(info.TimeText, QStringLiteral("03:05"));
    EXPECT_EQ(info.Seconds, 185);
    info.Seconds = 7;
    player->GetSongTimeInfo(9, info);
    EXPECT_EQ(info.Seconds, 7) << "another mode leaves the caller's value";
    EXPECT_EQ(player->Position(), 60u);
    EXPECT_EQ(player->SongLength(), 185);
}

TEST(SongTimeText, FormatsMinutesAndSeconds) {
    EXPECT_EQ(songTimeText(125), QStringLiteral("02:05"));
    EXPECT_EQ(songTimeText(-125), QStringLiteral("-02:05"));
    EXPECT_EQ(songTimeText(-5), QStringLiteral("00:05"));
    EXPECT_EQ(songTimeText(6000), QStringLiteral("100:00"));
    EXPECT_EQ(songTimeText(0), QStringLiteral("00:00"));
    EXPECT_EQ(songTimeText(59), QStringLiteral("00:59"));
}

TEST_F(PlayerTest, StopSeeksAStreamToZeroButNotAMusic) {
    player->LoadFromFile(folder.wav("stop.wav", 10.0));
    player->SetPosition(4);
    player->Play();
    std::this_thread::sleep_for(50ms);
    player->Stop();
    EXPECT_EQ(player->Status(), sndStopped);
    EXPECT_EQ(player->Position(), 0u);

    player->LoadFromFile(folder.module("stop.mod"));
    player->Play();
    player->SetPosition(4);
    std::this_thread::sleep_for(50ms);
    player->Stop();
    EXPECT_EQ(player->Position(), 4u);
}

TEST_F(PlayerTest, PlayWhilePlayingChangesNothingAndPlayWhilePausedResumes) {
    player->LoadFromFile(folder.wav("resume.wav", 10.0));
    player->SetPosition(3);
    player->Play();  // stopped: restarts from the beginning
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(player->Status(), sndPlaying);
    EXPECT_EQ(player->Position(), 0u);
    player->SetPosition(5);
    player->Play();
    EXPECT_EQ(player->Position(), 5u) << "playing: left alone";
    player->Pause();
    EXPECT_EQ(player->Status(), sndPaused);
    std::this_thread::sleep_for(100ms);
    player->Play();
    EXPECT_EQ(player->Status(), sndPlaying);
    EXPECT_EQ(player->Position(), 5u) << "resumed where it paused";
}

TEST_F(PlayerTest, LevelsFollowThePlayingSong) {
    player->LoadFromFile(folder.wav("level.wav", 3.0, 44100));
    EXPECT_EQ(player->LeftPeak(), 0u);
    player->Play();
    std::this_thread::sleep_for(150ms);
    EXPECT_NEAR(static_cast<double>(player->LeftPeak()), 16384.0, 300.0);
    EXPECT_NEAR(static_cast<double>(player->RightPeak()), 16384.0, 300.0);
    std::vector<float> fft(256, -1.0f);
    player->GetFFTData(fft.data());
    EXPECT_GE(fft[10], 0.0f);
    std::vector<std::uint8_t> wave(8196, 0xEE);
    player->GetWaveData(wave.data());
    EXPECT_EQ(wave[8195], 0xEE) << "a full answer leaves the spare bytes";
    EXPECT_GE(player->CpuUsage(), 0.0f);
    player->Pause();
    std::vector<float> untouched(256, -1.0f);
    player->GetFFTData(untouched.data());
    EXPECT_EQ(untouched[0], -1.0f) << "only while playing";
}

TEST_F(PlayerTest, FadeOutStartsOnceAtTheFirstTickWithTenSecondsLeft) {
    player->SetFadeOut(true);
    player->LoadFromFile(folder.wav("fade.wav", 30.0));
    EXPECT_TRUE(player->fadeTimerEnabled());
    EXPECT_EQ(bassdll::BASS_ChannelIsSliding(player->channel()), 0u) << "the fade-in waits for play";
    player->Play();
    EXPECT_EQ(bassdll::BASS_ChannelIsSliding(player->channel()), static_cast<DWORD>(BASS_SLIDE_VOL))
        << "fade-in";
    DWORD volume = 99;
    bassdll::BASS_ChannelGetAttributes(player->channel(), nullptr, &volume, nullptr);
    EXPECT_EQ(volume, 0u) << "the fade-in starts from silence";
    bassdll::BASS_ChannelSetAttributes(player->channel(), -1, 100, -101);  // end the fade-in

    player->SetPosition(19);
    player->FadeTimerTick();
    EXPECT_EQ(bassdll::BASS_ChannelIsSliding(player->channel()), 0u) << "11 s left";
    player->SetPosition(20);
    player->FadeTimerTick();
    EXPECT_EQ(bassdll::BASS_ChannelIsSliding(player->channel()), static_cast<DWORD>(BASS_SLIDE_VOL));
    EXPECT_EQ(player->Status(), sndPlaying) << "a volume slide counts as playing";
    EXPECT_FALSE(player->fadeTimerEnabled()) << "once per load";
}

TEST_F(PlayerTest, AFadeInRunsWhileTheSongPlaysAndAPauseHoldsIt) {
    player->SetFadeOut(true);
    player->SetFadeOutTime(1);
    player->LoadFromFile(folder.wav("fade-in.wav", 5.0));
    EXPECT_EQ(player->Status(), sndStopped) << "loaded, not yet playing";
    player->Play();
    EXPECT_EQ(bassdll::BASS_ChannelIsActive(player->channel()), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
    std::this_thread::sleep_for(300ms);
    DWORD volume = 0;
    bassdll::BASS_ChannelGetAttributes(player->channel(), nullptr, &volume, nullptr);
    EXPECT_GT(volume, 5u);
    EXPECT_LT(volume, 95u);
    player->Pause();
    EXPECT_EQ(player->Status(), sndPaused);
    std::this_thread::sleep_for(300ms);
    DWORD held = 0;
    bassdll::BASS_ChannelGetAttributes(player->channel(), nullptr, &held, nullptr);
    EXPECT_LE(held, volume + 10) << "the fade waits while paused";
    player->Play();
    EXPECT_EQ(bassdll::BASS_ChannelIsActive(player->channel()), static_cast<DWORD>(BASS_ACTIVE_PLAYING))
        << "resumed";
    std::this_thread::sleep_for(1000ms);
    bassdll::BASS_ChannelGetAttributes(player->channel(), nullptr, &volume, nullptr);
    EXPECT_EQ(volume, 100u) << "the fade-in ended";
    EXPECT_GT(player->Position(), 0u);
}

TEST_F(PlayerTest, ASongOfFiveSecondsNeverFadesOut) {
    player->SetFadeOut(true);
    player->LoadFromFile(folder.wav("short.wav", 5.0));
    bassdll::BASS_ChannelSetAttributes(player->channel(), -1, 100, -101);
    player->FadeTimerTick();
    EXPECT_EQ(bassdll::BASS_ChannelIsSliding(player->channel()), 0u);
    EXPECT_TRUE(player->fadeTimerEnabled());
}

TEST_F(PlayerTest, ResourcesLoadAsMusicOrStreamAndAMissingOneRaises) {
    const auto module = fixtures::fourChannelModule();
    resources::addResource(
        resources::kRawData, QStringLiteral("JINGLE"),
        QByteArray(reinterpret_cast<const char*>(module.data()), static_cast<int>(module.size())));
    player->SetVolume(70);
    const std::uint8_t loaded = player->LoadFromResourceName("jingle", 0);
    EXPECT_EQ(loaded, player->channel() & 0xFF);
    EXPECT_TRUE(player->isMusic());
    EXPECT_NE(player->channel(), 0u);

    const QString wav = folder.wav("jingle.wav", 1.0);
    const std::vector<std::uint8_t> bytes = fixtures::readBytes(wav.toStdString());
    resources::addResource(
        resources::kRawData, QStringLiteral("CHIME"),
        QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())));
    player->LoadFromResourceName("CHIME", 1);
    EXPECT_FALSE(player->isMusic());
    EXPECT_EQ(player->SongLength(), 1);

    EXPECT_EQ(player->LoadFromResourceName("CHIME", 7), 0) << "another kind loads nothing";
    try {
        player->LoadFromResourceName("NOSUCH", 1);
        FAIL() << "no error";
    } catch (const errors::QuillonError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Ressource NOSUCH wurde nicht gefunden"));
    }
    EXPECT_EQ(player->channel(), 0u) << "the previous channel was freed first";
}

namespace {

// A stereo 44.1 kHz float wav of the given interleaved samples.
QString floatWav(const Folder& folder, const char* name, const std::vector<float>& samples) {
    const QString path = folder.file(name);
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.toStdString().c_str(), SFM_WRITE, &info);
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size() / 2));
    sf_close(file);
    return path;
}

// One second of silence with one click of 0.5 at `clickFrame`.
QString clickTrack(const Folder& folder, std::size_t clickFrame) {
    std::vector<float> samples(2 * 44100, 0.0f);
    samples[2 * clickFrame] = samples[2 * clickFrame + 1] = 0.5f;
    return floatWav(folder, "click.wav", samples);
}

}  // namespace

TEST_F(PlayerTest, EchoSoundsTwelveHundredFramesAfterTheClick) {
    player->SetEcho(true);
    player->LoadFromFile(clickTrack(folder, 1000));
    player->Play();
    // Once the echo has played, and while the click is still among the recent output.
    const DWORD channel = player->channel();
    const auto frameNow = [channel] {
        return bassdll::BASS_ChannelBytes2Seconds(channel, bassdll::BASS_ChannelGetPosition(channel)) * 44100;
    };
    for (int i = 0; i < 400 && frameNow() < 2600; ++i) std::this_thread::sleep_for(2ms);
    std::vector<float> recent(2 * 4096, 0.0f);
    ASSERT_NE(bassdll::BASS_ChannelGetData(channel, recent.data(),
                                           static_cast<DWORD>(recent.size() * 4) | BASS_DATA_FLOAT),
              static_cast<DWORD>(-1));
    std::size_t click = 0;
    while (click < 4096 && recent[2 * click] < 0.4f) ++click;
    ASSERT_LT(click + 1200, 4096u) << "the click is among the recent output";
    EXPECT_NEAR(recent[2 * (click + 1200)], 0.25f, 0.01f) << "its echo, from the other side at half";
    EXPECT_NEAR(recent[2 * (click + 600)], 0.0f, 0.01f);
}

TEST_F(PlayerTest, FlangerLeavesNoDryStretchInsideTheEngineBlocks) {
    // The flanger's history starts empty with every block it gets, so each block begins with about
    // 175 dry frames; with whole update periods (4,410 frames) that is one short stretch per 100 ms.
    player->SetFlanger(true);
    player->LoadFromFile(floatWav(folder, "steady.wav", std::vector<float>(2 * 3 * 44100, 0.25f)));
    player->Play();
    const DWORD channel = player->channel();
    for (int i = 0; i < 500 && bassdll::BASS_ChannelBytes2Seconds(
                                   channel, bassdll::BASS_ChannelGetPosition(channel)) < 0.5f;
         ++i) {
        std::this_thread::sleep_for(2ms);
    }
    std::vector<float> recent(2 * 8192, 0.0f);
    ASSERT_EQ(bassdll::BASS_ChannelGetData(channel, recent.data(),
                                           static_cast<DWORD>(recent.size() * 4) | BASS_DATA_FLOAT),
              static_cast<DWORD>(recent.size() * 4));
    std::size_t dry = 0;
    for (std::size_t frame = 0; frame < 8192; ++frame)
        dry += std::fabs(recent[2 * frame] - 0.25f) < 0.002f ? 1 : 0;
    EXPECT_LE(dry, 2u * 180u) << "8,192 frames hold at most two block starts";
    EXPECT_GT(dry, 0u) << "the block starts are there";
}

TEST_F(PlayerTest, SongTagsComeFromId3v2VorbisCommentsAndTheModulesTitle) {
    // The mp3 encoder writes the texts it is given as Latin-1 frames, so its title stays ASCII; it is
    // longer than an ID3v1 block holds, so only the ID3v2 frame has it whole.
    for (const auto& [format, title] :
         {std::pair{fixtures::Format::mp3, "A Title Longer Than Thirty Characters"},
          std::pair{fixtures::Format::ogg, "Grüße"}}) {
        const QString path = folder.file(format == fixtures::Format::mp3 ? "tagged.mp3" : "tagged.ogg");
        ASSERT_TRUE(
            fixtures::writeSineWithTags(path.toStdString(), format, 1.0, {title, "Someone", "An Album"}));
        ASSERT_NE(player->LoadFromFile(path), 0u) << path.toStdString();
        const SongTags tags = player->Tags();
        EXPECT_EQ(tags.title, QString::fromUtf8(title)) << path.toStdString();
        EXPECT_EQ(tags.artist, QStringLiteral("Someone")) << path.toStdString();
        EXPECT_EQ(tags.album, QStringLiteral("An Album")) << path.toStdString();
    }
    ASSERT_NE(player->LoadFromFile(folder.module("song.mod")), 0u);
    EXPECT_EQ(player->Tags().title, QStringLiteral("quillon test"));
    EXPECT_TRUE(player->Tags().artist.isEmpty());
    const QString wav = folder.file("plain.wav");
    ASSERT_TRUE(fixtures::writeSine(wav.toStdString(), fixtures::Format::wav, 1.0));
    ASSERT_NE(player->LoadFromFile(wav), 0u);
    EXPECT_TRUE(player->Tags().isEmpty());
}

TEST(SongTags, AnId3v1BlockAndAKeyValueListAreReadAndMerged) {
    char block[128] = {};
    std::memcpy(block, "TAG", 3);
    std::memcpy(block + 3, "Title  ", 7);
    std::memcpy(block + 33, "Artist", 6);
    std::memcpy(block + 63,
                "Gr\xFC\xDF"
                "e",
                5);
    const SongTags v1 = tagsFromId3v1(block);
    EXPECT_EQ(v1.title, QStringLiteral("Title"));
    EXPECT_EQ(v1.album, QStringLiteral("Grüße")) << "Latin-1";
    EXPECT_TRUE(tagsFromId3v1("NOT a tag").isEmpty());

    const char list[] = "title=From List\0ARTIST=\0Album=A\0TITLE=Second\0\0";
    const SongTags fromList = tagsFromKeyValueList(list);
    EXPECT_EQ(fromList.title, QStringLiteral("From List")) << "the first value counts, keys in any case";
    EXPECT_TRUE(fromList.artist.isEmpty());
    const SongTags merged = mergedTags(fromList, v1);
    EXPECT_EQ(merged.title, QStringLiteral("From List"));
    EXPECT_EQ(merged.artist, QStringLiteral("Artist"));
    EXPECT_EQ(merged.album, QStringLiteral("A"));
    EXPECT_TRUE(tagsFromKeyValueList(nullptr).isEmpty());
}

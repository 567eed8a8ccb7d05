#include <filesystem>
#include <vector>

#include "EngineTestSupport.h"

using fixtures::Format;

TEST(EngineBeforeInit, CallsFailWithTheInitCode) {
    EXPECT_EQ(BASS_GetVersion(), 65538u);
    EXPECT_EQ(BASS_StreamCreateFile(0, "/nonexistent.wav", 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(BASS_ChannelPlay(1, 0));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(BASS_Free());
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
}

TEST_F(EngineTest, InitTwiceAndUnknownDevicesFail) {
    EXPECT_FALSE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    EXPECT_EQ(BASS_GetDevice(), 0u);
    BASS_INFO info{};
    ASSERT_TRUE(BASS_GetInfo(&info));
    EXPECT_EQ(info.freq, 44100u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK) << "a success clears the code";
}

TEST_F(EngineTest, BadFilesFailCleanlyWithACode) {
    const std::string empty = path("empty.mp3");
    fixtures::writeBytes(empty, {});
    const std::string noise = path("noise.wav");
    std::vector<std::uint8_t> bytes(5000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>((i * 7919) >> 3);
    fixtures::writeBytes(noise, bytes);
    const std::string folder = path("folder.ogg");
    std::filesystem::create_directories(folder);

    struct Case {
        std::string file;
        int code;
    };
    for (const Case& c : {Case{path("missing.wav"), BASS_ERROR_FILEOPEN}, Case{folder, BASS_ERROR_FILEOPEN},
                          Case{empty, BASS_ERROR_FILEFORM}, Case{noise, BASS_ERROR_FILEFORM}}) {
        EXPECT_EQ(BASS_StreamCreateFile(0, c.file.c_str(), 0, 0, 0), 0u) << c.file;
        EXPECT_EQ(BASS_ErrorGetCode(), c.code) << c.file;
        EXPECT_EQ(BASS_MusicLoad(0, c.file.c_str(), 0, 0, 0, 0), 0u) << c.file;
        EXPECT_NE(BASS_ErrorGetCode(), BASS_OK) << c.file;
    }
}

TEST_F(EngineTest, TruncatedFilesOfEveryFormatNeverCrash) {
    for (Format format : {Format::wav, Format::ogg, Format::mp3}) {
        const std::string file = sine("whole" + std::to_string(static_cast<int>(format)), format, 1.0);
        const std::vector<std::uint8_t> bytes = fixtures::readBytes(file);
        for (std::size_t length :
             {std::size_t{1}, std::size_t{3}, std::size_t{40}, std::size_t{200}, bytes.size() / 2}) {
            const HSTREAM stream = BASS_StreamCreateFile(1, bytes.data(), 0, length, BASS_STREAM_DECODE);
            if (stream == 0) {
                EXPECT_NE(BASS_ErrorGetCode(), BASS_OK);
                continue;
            }
            std::vector<std::int16_t> block(8192);
            while (BASS_ChannelGetData(stream, block.data(), 16384) > 0 &&
                   BASS_ChannelGetData(stream, block.data(), 16384) != static_cast<DWORD>(-1)) {
            }
            EXPECT_TRUE(BASS_StreamFree(stream));
        }
    }
}

TEST_F(EngineTest, MemoryOfZeroLengthAndNullArgumentsAreRefused) {
    const char data[4] = {};
    EXPECT_EQ(BASS_StreamCreateFile(1, data, 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    EXPECT_EQ(BASS_StreamCreateFile(0, nullptr, 0, 0, 0), 0u);
    EXPECT_EQ(BASS_MusicLoad(1, data, 0, 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    EXPECT_EQ(BASS_StreamCreate(44100, 2, 0, nullptr, nullptr), 0u);
}

TEST_F(EngineTest, BadHandlesAndDoubleFreesFailWithTheHandleCode) {
    const HSTREAM stream = BASS_StreamCreateFile(0, sine("free.wav", Format::wav, 0.5).c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    EXPECT_FALSE(BASS_MusicFree(stream)) << "a stream is not a music";
    EXPECT_TRUE(BASS_StreamFree(stream));
    EXPECT_FALSE(BASS_StreamFree(stream));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    for (DWORD handle : {DWORD{0}, stream, DWORD{12345}}) {
        EXPECT_FALSE(BASS_ChannelPlay(handle, 0));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_EQ(BASS_ChannelGetPosition(handle), static_cast<QWORD>(-1));
        EXPECT_EQ(BASS_ChannelIsActive(handle), 0u);
        EXPECT_EQ(BASS_ChannelGetLevel(handle), static_cast<DWORD>(-1));
        EXPECT_FALSE(BASS_ChannelSetPosition(handle, 0));
        EXPECT_EQ(BASS_MusicSetAttribute(handle, BASS_MUSIC_ATTRIB_VOL_CHAN, 1), static_cast<DWORD>(-1));
    }
}

TEST_F(EngineTest, MissingFeaturesSayTheyAreNotAvailable) {
    EXPECT_FALSE(BASS_Set3DFactors(1, 1, 1));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NO3D);
    EXPECT_FALSE(BASS_SetEAXParameters(0, 0, 0, 0));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOEAX);
    EXPECT_EQ(BASS_StreamCreateURL("http://localhost/x", 0, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NONET);
    EXPECT_EQ(BASS_SampleLoad(0, "x.wav", 0, 0, 1, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    EXPECT_EQ(BASS_ChannelSetFX(1, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOFX);
    EXPECT_EQ(BASS_GetDSoundObject(0), nullptr);
}

TEST_F(EngineTest, RecordingStartsOnTheDefaultInputOrASilentOne) {
    ASSERT_TRUE(BASS_RecordInit(0));
    EXPECT_FALSE(BASS_RecordInit(0));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    std::atomic<int> blocks{0};
    const HRECORD record = BASS_RecordStart(
        44100, 0,
        [](HRECORD, const void*, DWORD length, void* user) -> BOOL {
            if (length > 0) ++*static_cast<std::atomic<int>*>(user);
            return 1;
        },
        &blocks);
    EXPECT_NE(record, 0u);
    EXPECT_TRUE(waitFor([&] { return blocks.load() >= 2; }, std::chrono::milliseconds(1000)));
    EXPECT_TRUE(BASS_RecordFree());
    EXPECT_FALSE(BASS_RecordFree());
}

TEST_F(EngineTest, MemoryMayBeReleasedAsSoonAsItsStreamIsFreed) {
    const std::vector<std::uint8_t> wave = fixtures::readBytes(sine("memory.wav", Format::wav, 2.0));
    for (int round = 0; round < 40; ++round) {
        auto copy = std::make_unique<std::vector<std::uint8_t>>(wave);
        const HSTREAM stream = BASS_StreamCreateFile(1, copy->data(), 0, copy->size(), 0);
        ASSERT_NE(stream, 0u);
        BASS_ChannelPlay(stream, 0);
        BASS_ChannelSetPosition(stream, static_cast<QWORD>(round % 5) * 44100 * 4 / 5);
        ASSERT_TRUE(BASS_StreamFree(stream));
        copy.reset();  // the sanitizer build catches any read after this
    }
}

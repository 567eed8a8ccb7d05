#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "EngineTestSupport.h"

using fixtures::Format;

namespace {

constexpr int kRate = 44100;

// Decodes a whole decode-only stream as float frames.
std::vector<float> decodeAll(HSTREAM stream) {
    std::vector<float> all;
    std::vector<float> block(4096 * 2);
    for (;;) {
        const DWORD got = BASS_ChannelGetData(
            stream, block.data(), static_cast<DWORD>(block.size() * sizeof(float)) | BASS_DATA_FLOAT);
        if (got == 0 || got == static_cast<DWORD>(-1)) break;
        all.insert(all.end(), block.begin(), block.begin() + got / sizeof(float));
    }
    return all;
}

HSTREAM openDecoding(const std::string& file) {
    return BASS_StreamCreateFile(0, file.c_str(), 0, 0, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
}

}  // namespace

TEST_F(EngineTest, LengthsAreExactToTheSampleForWavOggAndMp3WithAnInfoHeader) {
    const double seconds = 2.5;
    const auto frames = static_cast<QWORD>(seconds * kRate);
    for (Format format : {Format::wav, Format::ogg, Format::mp3}) {
        const std::string file = sine("song" + std::to_string(static_cast<int>(format)), format, seconds);
        const HSTREAM stream = BASS_StreamCreateFile(0, file.c_str(), 0, 0, 0);
        ASSERT_NE(stream, 0u) << "format " << static_cast<int>(format) << " error " << BASS_ErrorGetCode();
        EXPECT_EQ(BASS_StreamGetLength(stream), frames * 4)
            << "16-bit stereo bytes, format " << static_cast<int>(format);
        EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(stream, BASS_StreamGetLength(stream)), 2.5f);
        EXPECT_TRUE(BASS_StreamFree(stream));
    }
}

TEST_F(EngineTest, Mp3WithoutAnInfoHeaderIsWithinOneFrame) {
    const std::string file = sine("plain.mp3", Format::mp3, 3.0);
    std::vector<std::uint8_t> bytes = fixtures::readBytes(file);
    ASSERT_TRUE(fixtures::stripMp3InfoFrame(bytes)) << "the encoder wrote an info frame";
    fixtures::writeBytes(file, bytes);
    const HSTREAM stream = BASS_StreamCreateFile(0, file.c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    const auto frames = static_cast<long long>(BASS_StreamGetLength(stream) / 4);
    EXPECT_LE(std::llabs(frames - 3 * kRate), 1152);
}

TEST_F(EngineTest, FormatIsRecognisedByContentNotByName) {
    const std::string oggNamedMp3 = sine("really-ogg.mp3", Format::ogg, 1.0);
    const std::string wavNamedOgg = sine("really-wav.ogg", Format::wav, 1.0);
    for (const std::string& file : {oggNamedMp3, wavNamedOgg}) {
        const HSTREAM stream = BASS_StreamCreateFile(0, file.c_str(), 0, 0, 0);
        ASSERT_NE(stream, 0u) << file;
        EXPECT_EQ(BASS_StreamGetLength(stream), static_cast<QWORD>(kRate) * 4);
    }
    BASS_CHANNELINFO info{};
    const HSTREAM stream = BASS_StreamCreateFile(0, oggNamedMp3.c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_ChannelGetInfo(stream, &info));
    EXPECT_EQ(info.ctype, static_cast<DWORD>(BASS_CTYPE_STREAM_OGG));
    EXPECT_EQ(info.freq, 44100u);
    EXPECT_EQ(info.chans, 2u);
}

TEST_F(EngineTest, StreamsOpenFromARegionOfMemory) {
    const std::string file = sine("memory.wav", Format::wav, 1.0);
    std::vector<std::uint8_t> bytes = fixtures::readBytes(file);
    std::vector<std::uint8_t> padded(100 + bytes.size(), 0xAB);
    std::copy(bytes.begin(), bytes.end(), padded.begin() + 100);
    const HSTREAM stream = BASS_StreamCreateFile(1, padded.data(), 100, bytes.size(), 0);
    ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_StreamGetLength(stream), static_cast<QWORD>(kRate) * 4);
    EXPECT_EQ(BASS_StreamGetFilePosition(stream, BASS_FILEPOS_END), bytes.size());
    // The memory must outlive the stream; after the free it may go at once.
    EXPECT_TRUE(BASS_StreamFree(stream));
}

TEST_F(EngineTest, SeekThenReadGivesTheSamplesOfAStraightDecode) {
    for (Format format : {Format::wav, Format::ogg, Format::mp3}) {
        const std::string file = sine("seek" + std::to_string(static_cast<int>(format)), format, 2.0, 523.0);
        const HSTREAM straight = openDecoding(file);
        ASSERT_NE(straight, 0u);
        const std::vector<float> reference = decodeAll(straight);
        ASSERT_EQ(reference.size(), static_cast<std::size_t>(2 * 2 * kRate))
            << "format " << static_cast<int>(format);

        for (std::int64_t frame :
             {std::int64_t{0}, std::int64_t{1}, std::int64_t{12345}, std::int64_t{60000}}) {
            const HSTREAM seeking = openDecoding(file);
            ASSERT_TRUE(BASS_ChannelSetPosition(seeking, static_cast<QWORD>(frame) * 8))
                << "float stereo bytes";
            EXPECT_EQ(BASS_ChannelGetPosition(seeking), static_cast<QWORD>(frame) * 8);
            std::vector<float> block(2 * 1000);
            const DWORD got =
                BASS_ChannelGetData(seeking, block.data(), static_cast<DWORD>(block.size() * 4));
            ASSERT_EQ(got, block.size() * 4);
            for (std::size_t i = 0; i < block.size(); ++i) {
                ASSERT_NEAR(block[i], reference[static_cast<std::size_t>(2 * frame) + i], 1e-5)
                    << "format " << static_cast<int>(format) << " frame " << frame << " sample " << i;
            }
            BASS_StreamFree(seeking);
        }
    }
}

TEST_F(EngineTest, BytesAndSecondsConvertBothWays) {
    const std::string file = sine("convert.wav", Format::wav, 1.0);
    const HSTREAM stream = BASS_StreamCreateFile(0, file.c_str(), 0, 0, 0);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, 0.5f), static_cast<QWORD>(kRate / 2) * 4);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(stream, 44100 * 4), 1.0f);
    for (float s : {0.0f, 0.25f, 0.75f}) {
        EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(stream, BASS_ChannelSeconds2Bytes(stream, s)), s);
    }
    EXPECT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 0.75f)));
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream)), 0.75f);
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 5.0f))) << "past the end";
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
}

TEST_F(EngineTest, CallbackStreamsPlayTheCallersSamples) {
    struct Counter {
        int calls = 0;
    } counter;
    const HSTREAM stream = BASS_StreamCreate(
        22050, 1, BASS_STREAM_DECODE,
        [](HSTREAM, void* buffer, DWORD length, void* user) -> DWORD {
            auto* c = static_cast<Counter*>(user);
            auto* samples = static_cast<std::int16_t*>(buffer);
            for (DWORD i = 0; i < length / 2; ++i) samples[i] = 1000;
            return ++c->calls >= 3 ? (length | BASS_STREAMPROC_END) : length;
        },
        &counter);
    ASSERT_NE(stream, 0u);
    std::vector<std::int16_t> out(100);
    ASSERT_EQ(BASS_ChannelGetData(stream, out.data(), 200), 200u);
    EXPECT_EQ(out[0], 1000);
    EXPECT_EQ(out[99], 1000);
}

TEST_F(EngineTest, VorbisCommentsAreTheStreamsTagsAndWaveHasNone) {
    const std::string file = path("tagged.ogg");
    {
        SF_INFO info{};
        info.samplerate = kRate;
        info.channels = 2;
        info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        SNDFILE* out = sf_open(file.c_str(), SFM_WRITE, &info);
        ASSERT_NE(out, nullptr);
        sf_set_string(out, SF_STR_TITLE, "Little Star");
        std::vector<float> silence(2 * kRate, 0.0f);
        sf_writef_float(out, silence.data(), kRate);
        sf_close(out);
    }
    const HSTREAM stream = BASS_StreamCreateFile(0, file.c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    const char* tags = BASS_StreamGetTags(stream, BASS_TAG_OGG);
    ASSERT_NE(tags, nullptr);
    bool found = false;
    for (const char* tag = tags; *tag != '\0'; tag += std::strlen(tag) + 1) {
        found |= std::string(tag) == "TITLE=Little Star" || std::string(tag) == "title=Little Star";
    }
    EXPECT_TRUE(found);
    const HSTREAM wave = BASS_StreamCreateFile(0, sine("plain.wav", Format::wav, 0.5).c_str(), 0, 0, 0);
    EXPECT_EQ(BASS_StreamGetTags(wave, BASS_TAG_OGG), nullptr);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
}

TEST_F(EngineTest, StreamsReadThroughTheCallersFileCallbacks) {
    struct Reader : MemoryFile {
        bool closed = false;
    };
    Reader reader;
    reader.bytes = fixtures::readBytes(sine("user.wav", Format::wav, 1.0));
    BASS_FILEPROCS procs = MemoryFile::procs<Reader>();
    procs.close = [](void* user) { static_cast<Reader*>(user)->closed = true; };
    const HSTREAM stream = BASS_StreamCreateFileUser(0, BASS_STREAM_DECODE, &procs, &reader);
    ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_StreamGetLength(stream), static_cast<QWORD>(kRate) * 4);
    std::vector<std::int16_t> block(2 * 100);
    EXPECT_EQ(BASS_ChannelGetData(stream, block.data(), 400), 400u);
    EXPECT_TRUE(BASS_StreamFree(stream));
    EXPECT_TRUE(reader.closed) << "the source is closed with the stream";
}

TEST_F(EngineTest, AFileCallbackStreamIsClosedBeforeItsFreeReturns) {
    // Reads slowly, so the decode thread is inside a read (and holds the channel) when it is freed.
    struct SlowReader : MemoryFile {
        std::atomic<bool> closed{false};
        std::thread::id closedOn;
    };
    SlowReader reader;
    reader.bytes = fixtures::readBytes(sine("slow.wav", Format::wav, 5.0));
    BASS_FILEPROCS procs = MemoryFile::procs<SlowReader>();
    procs.close = [](void* user) {
        auto* r = static_cast<SlowReader*>(user);
        r->closedOn = std::this_thread::get_id();
        r->closed = true;
    };
    procs.read = [](void* buffer, DWORD length, void* user) -> DWORD {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return static_cast<SlowReader*>(user)->read(buffer, length, 4096);
    };
    const HSTREAM stream = BASS_StreamCreateFileUser(0, 0, &procs, &reader);
    ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
    ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(BASS_StreamFree(stream));
    EXPECT_TRUE(reader.closed.load()) << "closed before the free returned";
    EXPECT_EQ(reader.closedOn, std::this_thread::get_id());
}

TEST_F(EngineTest, OpeningAStreamDoesNotHoldUpWhatPlays) {
    struct Opening : MemoryFile {
        HSTREAM playing = 0;
        double advanced = -1;  // seconds the playing stream moved on while this one was being opened
    };
    Opening opening;
    opening.bytes = fixtures::readBytes(sine("opened.wav", Format::wav, 1.0));
    opening.playing = BASS_StreamCreateFile(0, sine("playing.wav", Format::wav, 3.0).c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_ChannelPlay(opening.playing, 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    BASS_FILEPROCS procs = MemoryFile::procs<Opening>();
    procs.read = [](void* buffer, DWORD length, void* user) -> DWORD {
        auto* o = static_cast<Opening*>(user);
        if (o->advanced < 0) {  // a slow disk, on the first read
            const auto where = [o] {
                return BASS_ChannelBytes2Seconds(o->playing, BASS_ChannelGetPosition(o->playing));
            };
            const double before = where();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            o->advanced = where() - before;
        }
        return o->read(buffer, length);
    };
    ASSERT_NE(BASS_StreamCreateFileUser(0, BASS_STREAM_DECODE, &procs, &opening), 0u) << BASS_ErrorGetCode();
    EXPECT_NEAR(opening.advanced, 0.3, 0.08) << "the mixer went on while the file was opened";
}

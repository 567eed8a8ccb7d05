// The caller's callbacks (file and stream procedures, syncs) calling the library back while the
// control thread works on the same channel, and the mixer going on while a callback is slow. A
// deadlock here would hang the test binary, so each scene runs against a deadline and the process
// ends with a message when it is missed.

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <mutex>
#include <vector>

#include "EngineTestSupport.h"

using namespace std::chrono_literals;
using fixtures::Format;

namespace {

// Runs `scene` on a thread; a scene still running after `deadline` has deadlocked.
void runWithin(std::chrono::seconds deadline, const std::function<void()>& scene) {
    auto done = std::async(std::launch::async, scene);
    if (done.wait_for(deadline) != std::future_status::ready) {
        std::fprintf(stderr, "deadlock: the scene did not finish within %lld s\n",
                     static_cast<long long>(deadline.count()));
        std::_Exit(3);
    }
    done.get();
}

// A wav file read through the caller's procedures, which call the library on their own channel.
struct CallingReader : MemoryFile {
    std::atomic<HSTREAM> handle{0};
    std::atomic<int> reads{0};
    std::atomic<int> refusedSeeks{0};
    bool seekOwnChannel = false;
};

BASS_FILEPROCS callingProcs() {
    BASS_FILEPROCS procs = MemoryFile::procs<CallingReader>();
    procs.read = [](void* buffer, DWORD length, void* user) -> DWORD {
        auto* r = static_cast<CallingReader*>(user);
        ++r->reads;
        const HSTREAM own = r->handle.load();
        // What a caller's reader might ask while it reads (from a slow disk): where playback is,
        // whether it plays.
        std::this_thread::sleep_for(1ms);
        BASS_ChannelGetPosition(own);
        BASS_ChannelIsActive(own);
        BASS_ChannelGetLevel(own);
        if (r->seekOwnChannel && own != 0) {
            if (!BASS_ChannelSetPosition(own, 0) && BASS_ErrorGetCode() == BASS_ERROR_NOTAVAIL)
                ++r->refusedSeeks;
        }
        return r->read(buffer, length, 8192);
    };
    return procs;
}

}  // namespace

TEST_F(EngineTest, FileCallbacksMayCallTheLibraryWhileTheControlThreadSeeksRestartsAndFrees) {
    CallingReader reader;
    reader.bytes = fixtures::readBytes(sine("calling.wav", Format::wav, 20.0));
    const BASS_FILEPROCS procs = callingProcs();
    runWithin(20s, [&] {
        const HSTREAM stream = BASS_StreamCreateFileUser(0, 0, &procs, &reader);
        ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
        reader.handle = stream;
        ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
        for (int i = 0; i < 150; ++i) {
            const float where = static_cast<float>((i * 7) % 19);
            EXPECT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, where)));
            if (i % 10 == 0) {
                EXPECT_TRUE(BASS_ChannelPlay(stream, 1));
            }
            std::this_thread::sleep_for(1ms);
        }
        EXPECT_TRUE(BASS_StreamFree(stream));
    });
    EXPECT_GT(reader.reads.load(), 150) << "the reader ran (and called back) throughout";
}

TEST_F(EngineTest, ACallbackReachingForItsOwnDecoderIsRefusedInsteadOfWaitingOnItself) {
    CallingReader reader;
    reader.bytes = fixtures::readBytes(sine("own.wav", Format::wav, 5.0));
    reader.seekOwnChannel = true;
    const BASS_FILEPROCS procs = callingProcs();
    runWithin(10s, [&] {
        const HSTREAM stream = BASS_StreamCreateFileUser(0, 0, &procs, &reader);
        ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
        reader.handle = stream;
        ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
        EXPECT_TRUE(waitFor([&] { return reader.refusedSeeks.load() > 0; }, 2000ms));
        EXPECT_TRUE(BASS_StreamFree(stream));
    });

    // A stream procedure freeing its own stream is refused the same way; the control thread may.
    struct Freeing {
        std::atomic<int> refused{0};
    } freeing;
    runWithin(10s, [&] {
        const HSTREAM stream = BASS_StreamCreate(
            44100, 2, 0,
            [](HSTREAM handle, void* buffer, DWORD length, void* user) -> DWORD {
                auto* f = static_cast<Freeing*>(user);
                if (!BASS_StreamFree(handle) && BASS_ErrorGetCode() == BASS_ERROR_NOTAVAIL) {
                    ++f->refused;
                }
                std::memset(buffer, 0, length);
                return length;
            },
            &freeing);
        ASSERT_NE(stream, 0u);
        ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
        EXPECT_TRUE(waitFor([&] { return freeing.refused.load() > 0; }, 2000ms));
        EXPECT_TRUE(BASS_StreamFree(stream));
    });
}

TEST_F(EngineTest, PlaybackAndControlCallsGoOnWhileAStreamProcedureIsSlow) {
    // One stream plays; the procedure of another blocks until released, while the control thread
    // seeks that other stream (and so waits for it). Neither the mixer nor calls on the playing
    // stream may wait with it.
    struct Gate {
        std::mutex mutex;
        std::condition_variable changed;
        bool armed = false;
        bool inside = false;
        bool open = false;
    } gate;
    const HSTREAM playing = BASS_StreamCreateFile(0, sine("playing.wav", Format::wav, 5.0).c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_ChannelPlay(playing, 0));
    std::this_thread::sleep_for(200ms);
    const HSTREAM slow = BASS_StreamCreate(
        44100, 2, 0,
        [](HSTREAM, void* buffer, DWORD length, void* user) -> DWORD {
            auto* g = static_cast<Gate*>(user);
            std::unique_lock<std::mutex> lock(g->mutex);
            if (g->armed) {
                g->inside = true;
                g->changed.notify_all();
                g->changed.wait_for(lock, 3s, [g] { return g->open; });
                g->armed = false;
            }
            std::memset(buffer, 0, length);
            return length;
        },
        &gate);
    ASSERT_NE(slow, 0u);
    // The procedure uses the gate: the stream goes (with the gate open) before the gate does, on
    // every way out of this test.
    struct Cleanup {
        Gate& gate;
        HSTREAM slow;
        ~Cleanup() {
            {
                std::lock_guard<std::mutex> lock(gate.mutex);
                gate.open = true;
            }
            gate.changed.notify_all();
            BASS_StreamFree(slow);
        }
    } cleanup{gate, slow};
    std::this_thread::sleep_for(100ms);  // its ring is full: the next call comes once it plays
    {
        std::lock_guard<std::mutex> lock(gate.mutex);
        gate.armed = true;
    }
    ASSERT_TRUE(BASS_ChannelPlay(slow, 0));
    {
        std::unique_lock<std::mutex> lock(gate.mutex);
        ASSERT_TRUE(gate.changed.wait_for(lock, 2s, [&] { return gate.inside; }));
    }
    auto seeking = std::async(std::launch::async, [slow] { return BASS_ChannelSetPosition(slow, 0); });
    std::this_thread::sleep_for(20ms);  // the seek now waits for the procedure

    const auto start = std::chrono::steady_clock::now();
    const double before = seconds(playing);
    double slowestCall = 0;
    while (std::chrono::steady_clock::now() - start < 300ms) {
        const auto callStart = std::chrono::steady_clock::now();
        BASS_ChannelGetPosition(playing);
        BASS_ChannelGetLevel(playing);
        slowestCall = std::max(
            slowestCall, std::chrono::duration<double>(std::chrono::steady_clock::now() - callStart).count());
        std::this_thread::sleep_for(10ms);
    }
    const double advanced = seconds(playing) - before;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    {
        std::lock_guard<std::mutex> lock(gate.mutex);
        gate.open = true;
    }
    gate.changed.notify_all();
    seeking.wait();
    EXPECT_LT(slowestCall, 0.05) << "calls on the playing stream did not wait for the slow one";
    EXPECT_NEAR(advanced, elapsed, 0.05) << "the playing stream went on in real time";
}

TEST_F(EngineTest, NoSyncRunsAfterTheCallThatRemovedItHasReturned) {
    // The sync takes a while; the control thread frees its channel while it runs. Once the free
    // has returned, the caller may release what the sync uses.
    struct SlowSync {
        std::atomic<bool> started{false};
        std::atomic<bool> finished{false};
        std::atomic<int> calls{0};
    };
    for (const bool freeChannel : {true, false}) {
        SlowSync state;
        const HSTREAM stream =
            BASS_StreamCreateFile(0, sine("synced.wav", Format::wav, 3.0).c_str(), 0, 0, 0);
        const HSYNC sync = BASS_ChannelSetSync(
            stream, BASS_SYNC_POS, BASS_ChannelSeconds2Bytes(stream, 0.1f),
            [](HSYNC, DWORD, DWORD, void* user) {
                auto* s = static_cast<SlowSync*>(user);
                ++s->calls;
                s->started = true;
                std::this_thread::sleep_for(200ms);
                s->finished = true;
            },
            &state);
        ASSERT_NE(sync, 0u);
        ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
        ASSERT_TRUE(waitFor([&] { return state.started.load(); }, 2000ms));
        if (freeChannel) {
            ASSERT_TRUE(BASS_StreamFree(stream));
        } else {
            ASSERT_TRUE(BASS_ChannelRemoveSync(stream, sync));
        }
        EXPECT_TRUE(state.finished.load())
            << (freeChannel ? "free" : "remove sync") << " returned while the sync ran";
        BASS_StreamFree(stream);
    }
}

TEST_F(EngineTest, NoEffectRoutineRunsAfterItsChannelIsFreedAndOneMayFreeItsOwn) {
    struct SlowRoutine {
        std::atomic<bool> inside{false};
        std::atomic<int> callsAfterFree{0};
        std::atomic<bool> freed{false};
    } slow;
    const HSTREAM stream = BASS_StreamCreateFile(0, sine("effect.wav", Format::wav, 3.0).c_str(), 0, 0, 0);
    ASSERT_NE(BASS_ChannelSetDSP(
                  stream,
                  [](HDSP, DWORD, void*, DWORD, void* user) {
                      auto* s = static_cast<SlowRoutine*>(user);
                      if (s->freed) ++s->callsAfterFree;
                      s->inside = true;
                      std::this_thread::sleep_for(50ms);
                      s->inside = false;
                  },
                  &slow, 0),
              0u);
    ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
    ASSERT_TRUE(waitFor([&] { return slow.inside.load(); }, 2000ms));
    ASSERT_TRUE(BASS_StreamFree(stream));
    slow.freed = true;
    EXPECT_FALSE(slow.inside.load()) << "the free waited for the routine";
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(slow.callsAfterFree.load(), 0);

    std::atomic<BOOL> freedItself{0};
    const HSTREAM own = BASS_StreamCreateFile(0, sine("own-effect.wav", Format::wav, 3.0).c_str(), 0, 0, 0);
    ASSERT_NE(BASS_ChannelSetDSP(
                  own,
                  [](HDSP, DWORD channel, void*, DWORD, void* user) {
                      auto* result = static_cast<std::atomic<BOOL>*>(user);
                      if (result->load() == 0) result->store(BASS_StreamFree(channel) ? 1 : -1);
                  },
                  &freedItself, 0),
              0u);
    EXPECT_TRUE(waitFor([&] { return freedItself.load() != 0; }, 2000ms));
    EXPECT_EQ(freedItself.load(), 1) << "an effect routine freed its own stream";
    EXPECT_EQ(BASS_ChannelIsActive(own), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

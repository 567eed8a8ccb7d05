// The default output on a PulseAudio server (and on PipeWire, which speaks its protocol), driven by
// the server: it asks for sound when its buffer runs low, and the request is rendered on the spot,
// like a sound card's callback. The buffer is chosen on purpose: 80 ms in all, enough for a
// desktop under load, small enough that the sound follows play, pause and seeks at once. The
// position stays what is audible through the latency the server reports (interpolated between its
// timing updates), taken after every write.
//
// A server that does not answer is given up on: the connection must be ready within a second, and
// a running stream counts as failed once the server has neither asked for sound nor answered a
// timing query for 1.5 s (a server stopped or hung). A server that answers but asks for nothing
// has a sink that sleeps (an idle sink wakes for a new stream at its own pace) and is waited for.
// While nothing plays, the stream is corked, so an idle program does not wake the machine.

#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>

#include "Output.h"

namespace engine {

namespace {

constexpr double kServerBufferSeconds = 0.080;
constexpr double kRequestSeconds = 0.010;
constexpr pa_usec_t kConnectTimeoutUsec = 1000 * 1000;
constexpr double kSilentServerSeconds = 1.5;
constexpr double kAskAfterSeconds = 0.3;

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

class PulseOutput : public Output {
public:
    PulseOutput(int rate, RenderFunction render) : rate_(rate), render_(std::move(render)) {}
    ~PulseOutput() override { close(); }

    bool open() {
        mainloop_ = pa_threaded_mainloop_new();
        if (mainloop_ == nullptr) return false;
        context_ = pa_context_new(pa_threaded_mainloop_get_api(mainloop_), "Quillon");
        if (context_ == nullptr) return false;
        pa_context_set_state_callback(context_, contextChanged, this);
        // No server is started for us: a desktop's server runs already.
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
        pa_threaded_mainloop_lock(mainloop_);
        if (pa_threaded_mainloop_start(mainloop_) < 0) {
            pa_threaded_mainloop_unlock(mainloop_);
            return false;
        }
        // A server that accepts the connection but never answers (stopped, hung) is not waited for.
        pa_time_event* deadline =
            pa_context_rttime_new(context_, pa_rtclock_now() + kConnectTimeoutUsec, connectTimedOut, this);
        bool ready = waitFor([this] { return contextState() == PA_CONTEXT_READY; },
                             [this] { return !PA_CONTEXT_IS_GOOD(contextState()); });
        if (ready) ready = connectStream();
        if (deadline != nullptr) pa_threaded_mainloop_get_api(mainloop_)->time_free(deadline);
        lastAnswer_.store(now(), std::memory_order_relaxed);
        pa_threaded_mainloop_unlock(mainloop_);
        return ready;
    }

    // The stream runs from its connection on (silence until started): a stream connected corked
    // waits, once uncorked, for a sink that went idle at its longest latency, up to two seconds.
    bool start() override {
        started_ = true;
        return true;
    }
    void stop() override {
        if (!started_) return;
        // The server's thread renders while holding its loop's lock; taking that lock waits for a
        // render in progress, and none starts afterwards.
        pa_threaded_mainloop_lock(mainloop_);
        started_ = false;
        pa_threaded_mainloop_unlock(mainloop_);
    }
    double latencySeconds() const override {
        return std::max(0.0, reportedLatency_.load(std::memory_order_relaxed) -
                                 (now() - reportedAt_.load(std::memory_order_relaxed)));
    }
    std::string description() const override { return "PulseAudio server"; }
    bool timedOut() const { return timedOut_; }
    bool isNull() const override { return false; }
    bool failed() const override {
        if (failed_.load(std::memory_order_relaxed)) return true;
        if (!started_.load(std::memory_order_relaxed) || corked_.load(std::memory_order_relaxed))
            return false;
        const double quiet = now() - lastAnswer_.load(std::memory_order_relaxed);
        // A running stream is asked for sound every few milliseconds. Once it has not been for a
        // while, the server is asked whether it is still there.
        if (quiet > kAskAfterSeconds &&
            now() - lastQuery_.load(std::memory_order_relaxed) > kAskAfterSeconds) {
            lastQuery_.store(now(), std::memory_order_relaxed);
            pa_threaded_mainloop_lock(mainloop_);
            drop(pa_stream_update_timing_info(stream_, timingAnswered, const_cast<PulseOutput*>(this)));
            pa_threaded_mainloop_unlock(mainloop_);
        }
        return quiet > kSilentServerSeconds;
    }
    void suspend() override {
        pa_threaded_mainloop_lock(mainloop_);
        if (!corked_ && stream_ != nullptr) {
            corked_ = true;
            drop(pa_stream_cork(stream_, 1, nullptr, nullptr));
        }
        pa_threaded_mainloop_unlock(mainloop_);
    }
    // The silence queued ahead is flushed, which also makes the server fetch the new sound at
    // once instead of at its next wake-up (an idle sink may sleep for up to two seconds).
    void resume() override {
        pa_threaded_mainloop_lock(mainloop_);
        if (stream_ != nullptr) {
            drop(pa_stream_flush(stream_, nullptr, nullptr));
            if (corked_) drop(pa_stream_cork(stream_, 0, nullptr, nullptr));
            corked_ = false;
            reportedLatency_.store(0.0, std::memory_order_relaxed);
            reportedAt_.store(now(), std::memory_order_relaxed);
            lastAnswer_.store(now(), std::memory_order_relaxed);
        }
        pa_threaded_mainloop_unlock(mainloop_);
    }

private:
    pa_context_state_t contextState() const { return pa_context_get_state(context_); }

    template <typename Done, typename Broken>
    bool waitFor(Done done, Broken broken) {
        while (!done()) {
            if (broken() || timedOut_) return false;
            pa_threaded_mainloop_wait(mainloop_);
        }
        return true;
    }

    std::uint32_t bytes(double seconds) const {
        return static_cast<std::uint32_t>(std::lround(seconds * rate_)) * 2 * sizeof(float);
    }

    bool connectStream() {
        const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, static_cast<std::uint32_t>(rate_), 2};
        stream_ = pa_stream_new(context_, "Playback", &format, nullptr);
        if (stream_ == nullptr) return false;
        pa_stream_set_state_callback(stream_, streamChanged, this);
        pa_stream_set_write_callback(stream_, writeRequested, this);
        pa_buffer_attr buffer{};
        buffer.maxlength = static_cast<std::uint32_t>(-1);
        buffer.tlength = bytes(kServerBufferSeconds);
        buffer.prebuf = static_cast<std::uint32_t>(-1);
        buffer.minreq = bytes(kRequestSeconds);
        buffer.fragsize = static_cast<std::uint32_t>(-1);
        const auto flags = static_cast<pa_stream_flags_t>(
            PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY);
        if (pa_stream_connect_playback(stream_, nullptr, &buffer, flags, nullptr, nullptr) < 0) return false;
        return waitFor([this] { return pa_stream_get_state(stream_) == PA_STREAM_READY; },
                       [this] { return !PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)); });
    }

    void close() {
        if (mainloop_ != nullptr) {
            stop();
            pa_threaded_mainloop_stop(mainloop_);
        }
        if (stream_ != nullptr) {
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
        }
        if (context_ != nullptr) {
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        if (mainloop_ != nullptr) pa_threaded_mainloop_free(mainloop_);
    }

    static void drop(pa_operation* operation) {
        if (operation != nullptr) pa_operation_unref(operation);
    }
    static void connectTimedOut(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
        auto* output = static_cast<PulseOutput*>(self);
        output->timedOut_ = true;
        pa_threaded_mainloop_signal(output->mainloop_, 0);
    }
    static void timingAnswered(pa_stream*, int success, void* self) {
        if (success != 0)
            static_cast<PulseOutput*>(self)->lastAnswer_.store(now(), std::memory_order_relaxed);
    }
    static void contextChanged(pa_context* context, void* self) {
        auto* output = static_cast<PulseOutput*>(self);
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) output->failed_ = true;
        pa_threaded_mainloop_signal(output->mainloop_, 0);
    }
    static void streamChanged(pa_stream* stream, void* self) {
        auto* output = static_cast<PulseOutput*>(self);
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) output->failed_ = true;
        pa_threaded_mainloop_signal(output->mainloop_, 0);
    }

    // On the server loop's thread, with its lock held.
    static void writeRequested(pa_stream* stream, std::size_t requested, void* self) {
        auto* output = static_cast<PulseOutput*>(self);
        void* memory = nullptr;
        std::size_t size = requested - requested % (2 * sizeof(float));
        output->lastAnswer_.store(now(), std::memory_order_relaxed);
        if (size == 0 || pa_stream_begin_write(stream, &memory, &size) < 0 || memory == nullptr) return;
        size -= size % (2 * sizeof(float));
        std::memset(memory, 0, size);
        // Until started, the engine may be waiting for this stream while holding what render needs.
        if (output->started_) output->render_(static_cast<float*>(memory), size / (2 * sizeof(float)));
        if (pa_stream_write(stream, memory, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
            output->failed_ = true;
            return;
        }
        pa_usec_t latency = 0;
        int negative = 0;
        if (pa_stream_get_latency(stream, &latency, &negative) == 0) {
            output->reportedLatency_.store(negative != 0 ? 0.0 : static_cast<double>(latency) / 1e6,
                                           std::memory_order_relaxed);
            output->reportedAt_.store(now(), std::memory_order_relaxed);
        }
    }

    int rate_;
    RenderFunction render_;
    pa_threaded_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    std::atomic<bool> started_{false};
    std::atomic<bool> failed_{false};
    std::atomic<bool> corked_{false};
    bool timedOut_ = false;                // under the loop's lock
    std::atomic<double> lastAnswer_{0.0};  // the server's last request or answer
    mutable std::atomic<double> lastQuery_{0.0};
    std::atomic<double> reportedLatency_{0.0};
    std::atomic<double> reportedAt_{0.0};
};

}  // namespace

std::unique_ptr<Output> openPulseOutput(int rate, RenderFunction render, bool* hung) {
    auto output = std::make_unique<PulseOutput>(rate, std::move(render));
    const bool opened = output->open();
    if (hung != nullptr) *hung = !opened && output->timedOut();
    if (!opened) return nullptr;
    return output;
}

}  // namespace engine

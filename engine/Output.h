#pragma once
// Where mixed sound goes: a PulseAudio server (most desktops, PipeWire included), else the
// system's default output through PortAudio (plain ALSA, JACK), or a null device that consumes
// sound in real time and discards it (for machines without sound, for device 0, and in place of an
// output that stopped working).

#include <functional>
#include <memory>
#include <string>

namespace engine {

// Fills `frames` stereo float frames. Called on the output's own thread.
using RenderFunction = std::function<void(float* out, std::size_t frames)>;

class Output {
public:
    virtual ~Output() = default;
    virtual bool start() = 0;
    virtual void stop() = 0;
    // Seconds between handing a frame to the output and hearing it. Negative when the output has
    // already played past the last frame handed to it (a null device between its blocks).
    virtual double latencySeconds() const = 0;
    virtual std::string description() const = 0;
    virtual bool isNull() const = 0;
    // True once the output has stopped taking sound (its callbacks never started or stopped, its
    // server went away or hangs). Any thread.
    virtual bool failed() const { return false; }
    // Nothing plays: the output may stop asking for sound, so an idle program does not wake the
    // machine. Control threads, never the output's own.
    virtual void suspend() {}
    // Sound comes now: ask for it at once, dropping whatever silence is queued before it.
    virtual void resume() {}
};

std::unique_ptr<Output> openNullOutput(int rate, RenderFunction render);
// Null when the system has no usable default output.
std::unique_ptr<Output> openSystemOutput(int rate, RenderFunction render);
// Null when no PulseAudio server answers; `hung` tells whether one was there but did not answer in
// time (then no other output is tried: the system's default would lead to the same server).
std::unique_ptr<Output> openPulseOutput(int rate, RenderFunction render, bool* hung = nullptr);

// Whether the system offers a default input device, and its name.
bool systemInputAvailable(std::string& name);

}  // namespace engine

#pragma once
// Tracker modules (mod, xm, it, s3m, mtm, umx, mo3 and the other formats libopenmpt reads),
// rendered as stereo float at the output rate, with the module's speed and channel volumes
// adjustable while it plays.

#include <memory>
#include <string>

#include "Decoder.h"

namespace engine {

class MusicDecoder : public Decoder {
public:
    virtual std::string name() const = 0;
    virtual int moduleChannels() const = 0;
    virtual int orderCount() const = 0;
    virtual double durationSeconds() const = 0;
    virtual bool seekSeconds(double seconds) = 0;
    // Ticks per row; more ticks play slower.
    virtual int speed() const = 0;
    virtual bool setSpeed(int ticksPerRow) = 0;
    // Volume of one module channel, 0 to 100; false for a channel the module does not have.
    virtual bool channelVolume(int channel, int& volume) const = 0;
    virtual bool setChannelVolume(int channel, int volume) = 0;
};

// Copies the data. `ramping` softens volume changes (fewer clicks).
std::unique_ptr<MusicDecoder> openMusicDecoder(std::unique_ptr<DataSource> source, int sampleRate,
                                               bool ramping, int& error);

}  // namespace engine

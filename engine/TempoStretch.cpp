#include "TempoStretch.h"

#include <SoundTouch.h>

namespace engine {

TempoStretch::TempoStretch(int sampleRate) : touch_(std::make_unique<soundtouch::SoundTouch>()) {
    touch_->setSampleRate(static_cast<unsigned>(sampleRate));
    touch_->setChannels(2);
    // Speech and singing: shorter sequences than the library's music default keep consonants
    // crisp and the stretch's delay short, so a speed change is heard soon.
    touch_->setSetting(SETTING_SEQUENCE_MS, 40);
    touch_->setSetting(SETTING_SEEKWINDOW_MS, 15);
    touch_->setSetting(SETTING_OVERLAP_MS, 8);
}

TempoStretch::~TempoStretch() = default;

void TempoStretch::setTempo(double tempo) {
    touch_->setTempo(tempo);
}

void TempoStretch::put(const float* stereo, std::size_t frames) {
    touch_->putSamples(stereo, static_cast<unsigned>(frames));
}

std::size_t TempoStretch::take(float* stereo, std::size_t frames) {
    return touch_->receiveSamples(stereo, static_cast<unsigned>(frames));
}

void TempoStretch::finish() {
    touch_->flush();
}

void TempoStretch::clear() {
    touch_->clear();
}

}  // namespace engine

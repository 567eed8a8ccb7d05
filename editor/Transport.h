#pragma once
// Small rules of the transport, apart from the window.

#include <cmath>
#include <cstdint>

// A level meter's position: the peak (0 to 32768) scaled by the volume bar (0 to 100), rounded to
// nearest with ties to even.
inline int meterPosition(std::uint32_t peak, int volume) {
    return static_cast<int>(std::nearbyint(static_cast<double>(peak) / 100.0 * volume));
}

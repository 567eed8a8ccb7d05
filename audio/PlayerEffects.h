#pragma once
// The player's three effect routines. The audio library calls them with blocks of interleaved
// stereo 32-bit floats; they work in single precision on length / 8 left-right pairs in order.
// They touch only the block, their own per-block history on the stack and the module-wide angle
// of the rotate effect.

#include <atomic>
#include <cstdint>

#include "QuillonAudio.h"

namespace playereffects {

// The rotate effect's angle, kept across blocks and players.
extern std::atomic<float> RotateAngle;
// The angle rotate starts from: the bit pattern 0x3F490FDA, one step below the single nearest to pi/4.
float rotateStartAngle();

void RotateDSP(HDSP handle, DWORD channel, void* buffer, DWORD length, void* user);
void EchoDSP(HDSP handle, DWORD channel, void* buffer, DWORD length, void* user);
void FlangerDSP(HDSP handle, DWORD channel, void* buffer, DWORD length, void* user);

}  // namespace playereffects

#pragma once
// The audio library's image, built into the program as data and mapped from memory at start-up.

#include <cstdint>
#include <span>

std::span<const std::uint8_t> embeddedEngineImage();

#include "EmbeddedEngine.h"

// The assembler includes the library file as it was built; the build re-assembles this file
// whenever the library changes.
asm(R"(
    .section .rodata.quillon_engine_image, "a"
    .balign 64
    .globl quillon_engine_image_start, quillon_engine_image_end
    .hidden quillon_engine_image_start, quillon_engine_image_end
quillon_engine_image_start:
    .incbin ")" QUILLON_ENGINE_IMAGE R"("
quillon_engine_image_end:
    .previous
)");

extern "C" const std::uint8_t quillon_engine_image_start[];
extern "C" const std::uint8_t quillon_engine_image_end[];

std::span<const std::uint8_t> embeddedEngineImage() {
    return {quillon_engine_image_start,
            static_cast<std::size_t>(quillon_engine_image_end - quillon_engine_image_start)};
}

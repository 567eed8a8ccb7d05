#pragma once
// Ternary raster operations: the high byte of the 24-bit code (bits 16..23) is a truth table over
// pattern P, source S and destination D, indexed by P*4 + S*2 + D, applied to every bit of a pixel.

#include <cstdint>

namespace gdi {

using RasterOp = std::uint32_t;

constexpr RasterOp SRCCOPY = 0x00CC0020;
constexpr RasterOp SRCPAINT = 0x00EE0086;
constexpr RasterOp SRCAND = 0x008800C6;
constexpr RasterOp SRCINVERT = 0x00660046;
constexpr RasterOp SRCERASE = 0x00440328;
constexpr RasterOp NOTSRCCOPY = 0x00330008;
constexpr RasterOp NOTSRCERASE = 0x001100A6;
constexpr RasterOp MERGECOPY = 0x00C000CA;
constexpr RasterOp MERGEPAINT = 0x00BB0226;
constexpr RasterOp PATCOPY = 0x00F00021;
constexpr RasterOp PATPAINT = 0x00FB0A09;
constexpr RasterOp PATINVERT = 0x005A0049;
constexpr RasterOp DSTINVERT = 0x00550009;
constexpr RasterOp BLACKNESS = 0x00000042;
constexpr RasterOp WHITENESS = 0x00FF0062;
// Pattern where the source is 1, destination where it is 0: paints a brush through a mask. Named,
// as the ternary operations are, by its reverse-Polish formula: D ^ (S & (P ^ D)).
constexpr RasterOp ROP_DSPDxax = 0x00E20746;

constexpr std::uint8_t truthTableOf(RasterOp rop) {
    return static_cast<std::uint8_t>((rop >> 16) & 0xFF);
}

// Whether the result depends on the source (or the pattern): the table differs when S (P) flips.
constexpr bool usesSource(RasterOp rop) {
    const std::uint8_t t = truthTableOf(rop);
    return ((t >> 2) & 0x33) != (t & 0x33);
}
constexpr bool usesPattern(RasterOp rop) {
    const std::uint8_t t = truthTableOf(rop);
    return ((t >> 4) & 0x0F) != (t & 0x0F);
}

// Applies the truth table to every bit of the three operands.
constexpr std::uint32_t applyTruthTable(std::uint8_t table, std::uint32_t p, std::uint32_t s,
                                        std::uint32_t d) {
    switch (table) {  // the common codes, for speed
        case 0xCC:
            return s;
        case 0x33:
            return ~s;
        case 0x88:
            return s & d;
        case 0xEE:
            return s | d;
        case 0x66:
            return s ^ d;
        case 0xF0:
            return p;
        case 0x5A:
            return p ^ d;
        case 0x55:
            return ~d;
        case 0x00:
            return 0;
        case 0xFF:
            return ~0u;
        case 0xE2:
            return (s & p) | (~s & d);
        default:
            break;
    }
    std::uint32_t result = 0;
    for (int index = 0; index < 8; ++index) {
        if (((table >> index) & 1) == 0) continue;
        const std::uint32_t pp = (index & 4) ? p : ~p;
        const std::uint32_t ss = (index & 2) ? s : ~s;
        const std::uint32_t dd = (index & 1) ? d : ~d;
        result |= pp & ss & dd;
    }
    return result;
}

}  // namespace gdi

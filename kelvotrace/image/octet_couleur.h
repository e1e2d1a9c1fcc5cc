// The colour-to-byte rule: v * 255 in double, truncated toward zero, low 8 bits kept.
// No clamping and no rounding: 1.0 gives 255, 0.5 gives 127, 8.3294115 gives 75 (2123 mod 256),
// -0.5 gives 129 (-127 mod 256).
#pragma once

#include <cmath>
#include <cstdint>

inline std::uint8_t octetCouleur(float v) {
    const double produit = static_cast<double>(v) * 255.0;
    // Out of the range of a 64-bit integer (or not a number) there are no low bits to keep.
    if (!(std::fabs(produit) < 9.2e18)) {
        return 0;
    }
    // The conversion to an integer truncates toward zero.
    return static_cast<std::uint8_t>(
        static_cast<std::uint64_t>(static_cast<std::int64_t>(produit)) & 0xFFu);
}

#pragma once
// The program's two number conversions, written once: rounding halves to even, and the checked
// conversion to a 16-bit count.

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace corvin {

// Nearest whole number, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
inline double RoundHalfEven(double v) {
    return std::nearbyint(v);
}

// A value rounded half to even as a 16-bit integer, or nothing when it does not fit (or is not a
// number): callers report that instead of wrapping.
inline std::optional<int16_t> ToInt16(double v) {
    if (!std::isfinite(v))
        return std::nullopt;
    const double r = RoundHalfEven(v);
    if (r < std::numeric_limits<int16_t>::min() || r > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return static_cast<int16_t>(r);
}

} // namespace corvin

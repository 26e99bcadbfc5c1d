#include "patch/format_fixed.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace patch {

namespace {

__extension__ typedef unsigned __int128 uint128;

fixed_field right_aligned(std::string_view text) noexcept {
    fixed_field f;
    f.fill(' ');
    std::memcpy(f.data() + (fixed_width - text.size()), text.data(), text.size());
    return f;
}

// |v| * 10^9 rounded to the nearest integer, ties to even, for 0 <= |v| < 2^14.
// The double is m * 2^e with m below 2^53; m * 10^9 is below 2^83, so one 128-bit product and
// one shift give the exact quotient and remainder: no decimal text is rounded on the way.
std::uint64_t scaled_by_1e9(double magnitude) noexcept {
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const auto biased = static_cast<int>(bits >> 52);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    const std::uint64_t m = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    // magnitude = m * 2^-shift; below 2^14 the shift is at least 39.
    const int shift = 1075 - (biased == 0 ? 1 : biased);
    const uint128 product = static_cast<uint128>(m) * 1000000000u;
    if (shift >= 128) return 0;  // far below half a unit of the ninth decimal
    const uint128 one = 1;
    std::uint64_t q = static_cast<std::uint64_t>(product >> shift);
    const uint128 rem = product & ((one << shift) - 1);
    const uint128 half = one << (shift - 1);
    if (rem > half || (rem == half && (q & 1) != 0)) ++q;
    return q;
}

}  // namespace

fixed_field format_fixed(double v) noexcept {
    if (std::isnan(v)) return right_aligned("NaN");
    if (std::isinf(v)) return right_aligned(v < 0 ? "-Infinity" : "Infinity");

    fixed_field stars;
    stars.fill('*');
    // Anything this large needs at least 14 characters.
    if (std::fabs(v) >= 1e4) return stars;

    std::uint64_t q = scaled_by_1e9(std::fabs(v));
    // Build the text backwards: nine decimals, the point, the integer part, the sign.
    char buf[24];
    char* p = buf + sizeof buf;
    for (int i = 0; i < 9; ++i) {
        *--p = static_cast<char>('0' + q % 10);
        q /= 10;
    }
    *--p = '.';
    do {
        *--p = static_cast<char>('0' + q % 10);
        q /= 10;
    } while (q != 0);
    if (std::signbit(v)) *--p = '-';  // also for -0.0 and for negatives that round to zero

    const auto len = static_cast<std::size_t>(buf + sizeof buf - p);
    if (len > static_cast<std::size_t>(fixed_width)) return stars;
    return right_aligned({p, len});
}

bool overflows_fixed_field(double v) noexcept { return format_fixed(v)[0] == '*'; }

}  // namespace patch

#include "patch/format_fixed.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace patch {

namespace {

__extension__ typedef unsigned __int128 uint128;

// |v| * 10^9 rounded to the nearest integer, ties to even, for 0 <= |v| < 2^14.
// The double is m * 2^-shift with m below 2^53, so m * 10^9 is below 2^83: one 128-bit product
// and one shift give the exact quotient and remainder, and no decimal text is rounded on the way.
std::uint64_t scaled_by_1e9(double magnitude) noexcept {
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const auto biased = static_cast<int>(bits >> 52);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    const std::uint64_t m = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const int shift = 1075 - (biased == 0 ? 1 : biased);  // at least 39 below 2^14
    if (shift >= 128) return 0;  // far below half a unit of the ninth decimal
    const uint128 product = static_cast<uint128>(m) * 1000000000u;
    const uint128 one = 1;
    auto q = static_cast<std::uint64_t>(product >> shift);
    const uint128 rem = product & ((one << shift) - 1);
    const uint128 half = one << (shift - 1);
    if (rem > half || (rem == half && (q & 1) != 0)) ++q;
    return q;
}

// The eight decimal digits of n < 10^8 at out[0] to out[7], by splitting all lanes of one 64-bit
// word at once: 4+4 digits, then 2+2 within each half, then 1+1 (each division by a constant
// is a multiply and a shift that is exact in its range).
void write_eight_digits(std::uint32_t n, char* out) noexcept {
    std::uint64_t x = (n / 10000) | (static_cast<std::uint64_t>(n % 10000) << 32);
    const std::uint64_t hundreds = ((x * 10486) >> 20) & 0x0000007F0000007FULL;
    x = hundreds | ((x - hundreds * 100) << 16);
    const std::uint64_t tens = ((x * 103) >> 10) & 0x000F000F000F000FULL;
    x = tens | ((x - tens * 10) << 8);
    x += 0x3030303030303030ULL;
    if constexpr (std::endian::native == std::endian::big) x = __builtin_bswap64(x);
    std::memcpy(out, &x, 8);
}

void write_word(const char* word, std::size_t len, char* out) noexcept {
    std::memset(out, ' ', fixed_width - len);
    std::memcpy(out + (fixed_width - len), word, len);
}

}  // namespace

bool write_fixed(double v, char* out) noexcept {
    if (std::isnan(v)) {
        write_word("NaN", 3, out);
        return true;
    }
    if (std::isinf(v)) {
        if (v < 0)
            write_word("-Infinity", 9, out);
        else
            write_word("Infinity", 8, out);
        return true;
    }
    // Anything this large needs at least 14 characters.
    if (std::fabs(v) >= 1e4) {
        std::memset(out, '*', fixed_width);
        return false;
    }

    // Whole numbers (0, 1, the bounds of a unit box) are common and need no rounding.
    const double magnitude = std::fabs(v);
    std::uint32_t whole = 0;  // below 10^4
    std::uint32_t frac = 0;   // the nine decimals
    if (const auto truncated = static_cast<std::uint32_t>(magnitude); truncated == magnitude) {
        whole = truncated;
    } else {
        const std::uint64_t q = scaled_by_1e9(magnitude);
        whole = static_cast<std::uint32_t>(q / 1000000000u);
        frac = static_cast<std::uint32_t>(q % 1000000000u);
    }

    // Right-aligned: nine decimals in out[4..12], the point in out[3], then the integer part
    // and the sign leftward; at most 13 of the 15 possible characters fit.
    int at = 3;
    const bool negative = std::signbit(v);  // also -0.0 and negatives that round to zero
    const int digits = whole >= 1000 ? 4 : whole >= 100 ? 3 : whole >= 10 ? 2 : 1;
    if (digits + (negative ? 1 : 0) > at) {
        std::memset(out, '*', fixed_width);
        return false;
    }
    std::memset(out, ' ', 3);
    out[3] = '.';
    if (frac == 0) {
        std::memset(out + 4, '0', 9);
    } else {
        out[4] = static_cast<char>('0' + frac / 100000000u);
        write_eight_digits(frac % 100000000u, out + 5);
    }
    do {
        out[--at] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    if (negative) out[--at] = '-';
    return true;
}

fixed_field format_fixed(double v) noexcept {
    fixed_field f;
    write_fixed(v, f.data());
    return f;
}

}  // namespace patch

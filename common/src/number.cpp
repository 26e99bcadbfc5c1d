#include "patch/number.hpp"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string>

namespace patch {

namespace {

constexpr bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }

constexpr char lower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool equals_ignoring_case(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

constexpr bool is_exponent_letter(char c) noexcept {
    const char l = lower(c);
    return l == 'e' || l == 'd' || l == 'q';
}

// An exponent is read up to this size and no further: far beyond any digit count that an input
// can hold, and far from overflowing the arithmetic below.
constexpr long long exponent_saturation = 1000000000000000;

// Beyond these decimal exponents of 0.DDD x 10^E every double is an infinity or a zero.
constexpr long long exponent_limit = 100000;

list_item malformed() noexcept { return {}; }

__extension__ typedef unsigned __int128 uint128;

// The double nearest to n x 2^e2, ties to even; `sticky` says that n stands for a value a
// little above n (a remainder was dropped below its last bit). Returns false when the result
// would not be a normal double, so that the caller takes the general route.
bool nearest_double(uint128 n, bool sticky, int e2, double& out) noexcept {
    const auto high = static_cast<std::uint64_t>(n >> 64);
    const int bits = high != 0 ? 128 - __builtin_clzll(high)
                               : 64 - __builtin_clzll(static_cast<std::uint64_t>(n));
    int drop = bits - 53;
    std::uint64_t mantissa = 0;
    if (drop <= 0) {
        if (sticky) return false;  // too few bits to place the dropped remainder
        mantissa = static_cast<std::uint64_t>(n) << -drop;
    } else {
        mantissa = static_cast<std::uint64_t>(n >> drop);
        const uint128 rest = n & ((uint128{1} << drop) - 1);
        const uint128 half = uint128{1} << (drop - 1);
        if (rest > half || (rest == half && (sticky || (mantissa & 1) != 0))) {
            if (++mantissa == (std::uint64_t{1} << 53)) {
                mantissa >>= 1;
                ++drop;
            }
        }
    }
    const long long biased = 1023 + 52 + static_cast<long long>(e2) + drop;
    if (biased < 1 || biased > 2046) return false;
    const std::uint64_t bits_of_double =
        (static_cast<std::uint64_t>(biased) << 52) | (mantissa & ((std::uint64_t{1} << 52) - 1));
    out = std::bit_cast<double>(bits_of_double);
    return true;
}

constexpr std::uint64_t powers_of_five[] = {
    1ull,
    5ull,
    25ull,
    125ull,
    625ull,
    3125ull,
    15625ull,
    78125ull,
    390625ull,
    1953125ull,
    9765625ull,
    48828125ull,
    244140625ull,
    1220703125ull,
    6103515625ull,
    30517578125ull,
    152587890625ull,
    762939453125ull,
    3814697265625ull,
    19073486328125ull,
    95367431640625ull,
    476837158203125ull,
    2384185791015625ull,
    11920928955078125ull,
    59604644775390625ull,
    298023223876953125ull,
    1490116119384765625ull,
    7450580596923828125ull,
};

// leading x 10^scale rounded to the nearest double, exactly, for leading below 2^64 and
// -27 <= scale <= 19: 10^scale is 5^scale x 2^scale, and 5^|scale| fits 64 bits, so one 128-bit
// product or quotient holds every bit that decides the rounding.
bool scaled_integer(std::uint64_t leading, long long scale, double& out) noexcept {
    if (scale >= 0 && scale <= 19) {
        const uint128 n = static_cast<uint128>(leading) * powers_of_five[scale];
        return nearest_double(n, false, static_cast<int>(scale), out);
    }
    if (scale < 0 && scale >= -27) {
        const std::uint64_t divisor = powers_of_five[-scale];
        const uint128 numerator = static_cast<uint128>(leading) << 64;
        const uint128 q = numerator / divisor;
        const bool sticky = numerator % divisor != 0;
        return nearest_double(q, sticky, static_cast<int>(scale) - 64, out);
    }
    return false;
}

// Powers of ten that are exact doubles.
constexpr double exact_powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Reads a number without repeat count. The whole of `s` must be the number.
list_item parse_number(std::string_view s) noexcept {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

    if (i < s.size() && !is_digit(s[i]) && s[i] != '.') {
        const std::string_view rest = s.substr(i);
        if (equals_ignoring_case(rest, "inf") || equals_ignoring_case(rest, "infinity")) {
            const double inf = std::numeric_limits<double>::infinity();
            return {list_item::kind::value, 1, negative ? -inf : inf};
        }
        if (equals_ignoring_case(rest, "nan")) {
            const double nan = std::numeric_limits<double>::quiet_NaN();
            return {list_item::kind::value, 1, std::copysign(nan, negative ? -1.0 : 1.0)};
        }
        return malformed();
    }

    // The mantissa: its text, its first 19 significant digits as an integer, how many
    // significant digits there are, and the decimal exponent E of 0.DDD x 10^E.
    const std::size_t mantissa_start = i;
    std::uint64_t leading = 0;
    long long significant = 0;
    long long exp10 = 0;
    const std::size_t n = s.size();
    const auto take = [&](char c) {
        if (significant < 19) leading = leading * 10 + static_cast<std::uint64_t>(c - '0');
        ++significant;
    };
    while (i < n && s[i] == '0') ++i;  // leading zeros carry no digit
    for (; i < n && is_digit(s[i]); ++i) take(s[i]);
    exp10 = significant;
    const bool has_point = i < n && s[i] == '.';
    if (has_point) {
        ++i;
        if (significant == 0)
            for (; i < n && s[i] == '0'; ++i) --exp10;  // zeros right after the point
        for (; i < n && is_digit(s[i]); ++i) take(s[i]);
    }
    const std::size_t mantissa_end = i;
    // The mantissa is digits and at most one point: it has a digit unless it is the point alone.
    const bool any_digit = mantissa_end - mantissa_start > (has_point ? 1u : 0u);
    if (!any_digit) return malformed();
    const std::string_view mantissa = s.substr(mantissa_start, mantissa_end - mantissa_start);

    long long written_exponent = 0;
    if (i < s.size()) {
        if (is_exponent_letter(s[i]))
            ++i;
        else if (s[i] != '+' && s[i] != '-')
            return malformed();
        bool exp_negative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) exp_negative = s[i++] == '-';
        if (i == s.size()) return malformed();
        for (; i < s.size(); ++i) {
            if (!is_digit(s[i])) return malformed();
            if (written_exponent < exponent_saturation)
                written_exponent = written_exponent * 10 + (s[i] - '0');
        }
        if (exp_negative) written_exponent = -written_exponent;
        exp10 += written_exponent;
    }

    const double zero = negative ? -0.0 : 0.0;
    if (significant == 0 || exp10 < -exponent_limit) return {list_item::kind::value, 1, zero};
    const double inf = std::numeric_limits<double>::infinity();
    if (exp10 > exponent_limit) return {list_item::kind::value, 1, negative ? -inf : inf};

    // Few digits and a small exponent: the integer and the power of ten are exact doubles, so
    // one IEEE multiplication or division rounds correctly.
    const long long scale = exp10 - significant;  // value = leading x 10^scale
    if (significant <= 19 && leading <= (std::uint64_t{1} << 53) && scale >= -22 && scale <= 22) {
        const auto m = static_cast<double>(leading);
        const double v =
            scale < 0 ? m / exact_powers_of_ten[-scale] : m * exact_powers_of_ten[scale];
        return {list_item::kind::value, 1, negative ? -v : v};
    }

    double exact = 0.0;
    if (significant <= 19 && scaled_integer(leading, scale, exact))
        return {list_item::kind::value, 1, negative ? -exact : exact};

    // Otherwise from_chars, which rounds to nearest, ties to even, from all the digits.
    char small[96];
    std::string large;
    char* text = small;
    const std::size_t needed = mantissa.size() + 24;
    if (needed > sizeof small) {
        large.resize(needed);
        text = large.data();
    }
    std::memcpy(text, mantissa.data(), mantissa.size());
    char* end = text + mantissa.size();
    *end++ = 'e';
    end = std::to_chars(end, text + needed, written_exponent).ptr;
    double value = 0.0;
    const auto res = std::from_chars(text, end, value);
    if (res.ec == std::errc::result_out_of_range) {
        value = exp10 > 0 ? inf : 0.0;
    } else if (res.ec != std::errc{} || res.ptr != end) {
        return malformed();
    }
    return {list_item::kind::value, 1, negative ? -value : value};
}

}  // namespace

list_item parse_list_item(std::string_view item) noexcept {
    std::size_t digits_end = 0;
    while (digits_end < item.size() && is_digit(item[digits_end])) ++digits_end;
    if (digits_end == 0 || digits_end == item.size() || item[digits_end] != '*')
        return parse_number(item);

    std::uint64_t count = 0;
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    for (std::size_t i = 0; i < digits_end; ++i) {
        const auto d = static_cast<std::uint64_t>(item[i] - '0');
        count = count > (max - d) / 10 ? max : count * 10 + d;
    }
    if (count == 0) return malformed();

    const std::string_view rest = item.substr(digits_end + 1);
    if (rest.empty()) return {list_item::kind::no_value, count, 0.0};
    list_item result = parse_number(rest);
    if (result.what == list_item::kind::value) result.repeat = count;
    return result;
}

}  // namespace patch

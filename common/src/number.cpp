#include "patch/number.hpp"

#include <charconv>
#include <cmath>
#include <cstddef>
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

// Reads a number without repeat count. The whole of `s` must be the number.
list_item parse_number(std::string_view s) noexcept {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

    const std::string_view rest = s.substr(i);
    if (equals_ignoring_case(rest, "inf") || equals_ignoring_case(rest, "infinity")) {
        const double inf = std::numeric_limits<double>::infinity();
        return {list_item::kind::value, 1, negative ? -inf : inf};
    }
    if (equals_ignoring_case(rest, "nan")) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        return {list_item::kind::value, 1, std::copysign(nan, negative ? -1.0 : 1.0)};
    }

    // Significant digits (leading zeros dropped) and the decimal exponent E of 0.DDD x 10^E.
    std::string digits;
    long long exp10 = 0;
    bool any_digit = false;
    bool seen_point = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (is_digit(c)) {
            any_digit = true;
            if (digits.empty() && c == '0') {
                if (seen_point) --exp10;
            } else {
                digits.push_back(c);
                if (!seen_point) ++exp10;
            }
        } else if (c == '.' && !seen_point) {
            seen_point = true;
        } else {
            break;
        }
    }
    if (!any_digit) return malformed();

    if (i < s.size()) {
        if (is_exponent_letter(s[i]))
            ++i;
        else if (s[i] != '+' && s[i] != '-')
            return malformed();
        bool exp_negative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) exp_negative = s[i++] == '-';
        if (i == s.size()) return malformed();
        long long e = 0;
        for (; i < s.size(); ++i) {
            if (!is_digit(s[i])) return malformed();
            if (e < exponent_saturation) e = e * 10 + (s[i] - '0');
        }
        exp10 += exp_negative ? -e : e;
    }

    const double zero = negative ? -0.0 : 0.0;
    if (digits.empty() || exp10 < -exponent_limit) return {list_item::kind::value, 1, zero};
    const double inf = std::numeric_limits<double>::infinity();
    if (exp10 > exponent_limit) return {list_item::kind::value, 1, negative ? -inf : inf};

    // from_chars rounds to nearest, ties to even, from all the digits it is given.
    std::string text = "0.";
    text += digits;
    text += 'e';
    text += std::to_string(exp10);
    double value = 0.0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        value = exp10 > 0 ? inf : 0.0;
    } else if (res.ec != std::errc{} || res.ptr != text.data() + text.size()) {
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

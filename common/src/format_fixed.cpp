#include "patch/format_fixed.hpp"

#include <charconv>
#include <cmath>
#include <cstring>

namespace patch {

namespace {

fixed_field right_aligned(std::string_view text) noexcept {
    fixed_field f;
    f.fill(' ');
    std::memcpy(f.data() + (fixed_width - text.size()), text.data(), text.size());
    return f;
}

}  // namespace

fixed_field format_fixed(double v) noexcept {
    if (std::isnan(v)) return right_aligned("NaN");
    if (std::isinf(v)) return right_aligned(v < 0 ? "-Infinity" : "Infinity");

    fixed_field stars;
    stars.fill('*');
    // Anything this large needs at least 14 characters; it also keeps the buffer below small.
    if (std::fabs(v) >= 1e4) return stars;

    // to_chars with a precision rounds the exact binary value, ties to even, and writes the sign
    // of every value whose sign bit is set (-0.0 and -4e-10 both give "-0.000000000").
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 9);
    const auto len = static_cast<std::size_t>(res.ptr - buf);
    if (res.ec != std::errc{} || len > static_cast<std::size_t>(fixed_width)) return stars;
    return right_aligned({buf, len});
}

bool overflows_fixed_field(double v) noexcept { return format_fixed(v)[0] == '*'; }

}  // namespace patch

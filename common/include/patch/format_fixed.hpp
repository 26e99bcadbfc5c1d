#pragma once

#include <array>
#include <string_view>

namespace patch {

/// Width of a fixed field: every knot and every point coordinate takes exactly this many
/// characters.
inline constexpr int fixed_width = 13;

/// The 13 characters of one fixed field (no terminating NUL).
using fixed_field = std::array<char, fixed_width>;

/// Renders v as a right-aligned field of 13 characters with nine digits after the point.
///
/// The exact binary value of v is rounded to the nearest multiple of 1e-9, ties to the even
/// ninth digit; no shorter decimal text is used on the way. A set sign bit always shows as "-",
/// also for -0.0 and for negative values that round to zero. NaN gives "          NaN", the
/// infinities "     Infinity" and "    -Infinity". A value whose text would need more than 13
/// characters (from 999.9999999995 up, or from -99.9999999995 down) gives 13 asterisks.
/// Independent of the locale; never fails, never allocates.
fixed_field format_fixed(double v) noexcept;

/// The same 13 characters as format_fixed(v), written to out[0] to out[12]. Returns false when
/// they are the asterisks of a value too wide for the field.
bool write_fixed(double v, char* out) noexcept;

inline std::string_view as_view(const fixed_field& f) noexcept { return {f.data(), f.size()}; }

}  // namespace patch

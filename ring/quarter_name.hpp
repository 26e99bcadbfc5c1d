#pragma once

#include <cstddef>
#include <string>

namespace patch {

/// Width of the text that cname returns.
inline constexpr std::size_t cname_width = 10;

/// Width of the blank-padded name that quarter_file_name returns.
inline constexpr std::size_t quarter_name_width = 30;

/// "." followed by the decimal digits of n, without leading zeros, padded with blanks to exactly
/// 10 characters: cname(0) is ".0", cname(105) is ".105", cname(999999999) fills all ten.
/// Only the nine low-order digits are kept, so 1234567890 gives ".234567890" and 1000000000
/// gives ".0". A negative n gives ".-" and the eight low-order digits of its magnitude
/// (-5 gives ".-5"). Never fails.
std::string cname(int n);

/// The file name of quarter p, left-aligned and padded with blanks to exactly 30 characters:
/// "annulus.dat" for quarter 1 (the first quarter carries no number), otherwise "annulus",
/// cname(p) without its blanks, and ".dat", as in "annulus.2.dat". Never fails.
std::string quarter_file_name(int p);

}  // namespace patch

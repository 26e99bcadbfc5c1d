#pragma once

#include <cstdint>
#include <string_view>

namespace patch {

/// One item of free-form numeric input, as it stands between two separators.
struct list_item {
    enum class kind {
        value,      ///< a number, possibly behind a repeat count ("3*2.5")
        no_value,   ///< a repeat count with nothing after the asterisk ("3*"): r empty values
        malformed,  ///< anything else: not a valid real number
    };
    kind what = kind::malformed;
    /// The repeat count r of "r*..."; 1 when there is none. Saturates at UINT64_MAX.
    std::uint64_t repeat = 1;
    /// The number, when what == kind::value.
    double value = 0.0;
};

/// True for the characters that end an item: blank, tab, comma, slash, carriage return, line feed.
constexpr bool is_item_end(char c) noexcept {
    return c == ' ' || c == '\t' || c == ',' || c == '/' || c == '\r' || c == '\n';
}

/// Reads one whole item. `item` holds no separator (see is_item_end); it is the text between them.
///
/// Grammar: an optional repeat count (digits, at least 1, then "*"), then a number: an optional
/// sign, digits with at most one point and at least one digit, and an optional exponent, which is
/// one of E, D, Q in either case followed by an optionally signed whole number, or a sign directly
/// followed by a whole number ("2.5-3" is 0.0025). The words Inf, Infinity and NaN in any case,
/// optionally signed, give the special values. Anything left over makes the item malformed.
///
/// The decimal text is converted to the nearest double, ties to even; too large a magnitude gives
/// an infinity and too small a one a zero, each with the number's sign. Never throws.
list_item parse_list_item(std::string_view item) noexcept;

}  // namespace patch

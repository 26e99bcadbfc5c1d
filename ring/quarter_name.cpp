#include "quarter_name.hpp"

#include <charconv>
#include <cstdint>

namespace patch {

std::string cname(int n) {
    // Nine digits fit behind the dot; a sign takes the place of one of them.
    const bool negative = n < 0;
    const std::int64_t magnitude = negative ? -static_cast<std::int64_t>(n) : n;
    const std::int64_t kept = magnitude % (negative ? 100'000'000 : 1'000'000'000);

    std::string text(cname_width, ' ');
    text[0] = '.';
    std::size_t at = 1;
    if (negative) text[at++] = '-';
    char digits[16];
    const auto res = std::to_chars(digits, digits + sizeof digits, kept);
    for (const char* d = digits; d != res.ptr; ++d) text[at++] = *d;
    return text;
}

std::string quarter_file_name(int p) {
    std::string name = p == 1 ? "annulus" : "annulus" + cname(p);
    while (name.back() == ' ') name.pop_back();
    name += ".dat";
    name.resize(quarter_name_width, ' ');
    return name;
}

}  // namespace patch

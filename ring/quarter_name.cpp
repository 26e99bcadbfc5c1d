#include "quarter_name.hpp"

#include <cstdint>
#include <string>

namespace patch {

std::string cname(int n) {
    // Nine digits fit behind the dot; a sign takes the place of one of them.
    const bool negative = n < 0;
    const std::int64_t magnitude = negative ? -static_cast<std::int64_t>(n) : n;
    const std::int64_t kept = magnitude % (negative ? 100'000'000 : 1'000'000'000);

    std::string text = negative ? ".-" : ".";
    text += std::to_string(kept);
    text.resize(cname_width, ' ');
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

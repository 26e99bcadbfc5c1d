// The number grammar on arbitrary bytes: it must never crash, and every number it accepts in the
// plain C form must be the double strtod gives for the same decimal text.
#include <bit>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "patch/arguments.hpp"
#include "patch/number.hpp"

namespace {

// The same number in the spelling strtod reads: the repeat count dropped, a D or Q exponent
// letter made an E, and an E put in front of a bare exponent sign. Empty when that is not simple.
std::string c_spelling(std::string_view item) {
    if (const auto star = item.find('*'); star != std::string_view::npos)
        item.remove_prefix(star + 1);
    std::string out;
    bool exponent = false;
    for (std::size_t i = 0; i < item.size(); ++i) {
        const char c = item[i];
        const char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (l == 'd' || l == 'q' || l == 'e') {
            out += 'e';
            exponent = true;
        } else if ((c == '+' || c == '-') && i > 0 && !exponent && out.back() != 'e') {
            out += 'e';
            out += c;
            exponent = true;
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '+' ||
                   c == '-') {
            out += c;
        } else {
            return {};  // Inf, NaN: nothing to compare digits with
        }
    }
    // strtod would overflow its exponent on absurdly long exponents; those are covered by tests.
    if (exponent && out.size() - out.find('e') > 8) return {};
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)patch::parse_real_arg(text);

    std::size_t end = 0;
    while (end < text.size() && !patch::is_item_end(text[end])) ++end;
    const std::string_view item = text.substr(0, end);
    const patch::list_item r = patch::parse_list_item(item);
    if (r.what != patch::list_item::kind::value || std::isnan(r.value)) return 0;

    const std::string c = c_spelling(item);
    if (c.empty()) return 0;
    const double expected = std::strtod(c.c_str(), nullptr);
    if (std::bit_cast<std::uint64_t>(expected) != std::bit_cast<std::uint64_t>(r.value))
        std::abort();
    return 0;
}

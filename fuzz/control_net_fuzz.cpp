// The control-net parser on arbitrary bytes: it must never crash, a success must hold exactly the
// rows asked for, and feeding the same bytes in other chunks must give the same result.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "patch/control_net.hpp"

namespace {

bool same(const patch::net_result& a, const patch::net_result& b) {
    if (a.error != b.error || a.row != b.row || a.column != b.column || a.line != b.line ||
        a.text != b.text || a.net.size() != b.net.size())
        return false;
    for (std::size_t r = 0; r < a.net.size(); ++r)
        for (std::size_t c = 0; c < 4; ++c)
            if (std::bit_cast<std::uint64_t>(a.net[r][c]) !=
                std::bit_cast<std::uint64_t>(b.net[r][c]))
                return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int rows = 1 + data[0] % 9;           // 1 to 9 rows
    const std::size_t chunk = 1 + data[1] % 7;  // the second reading's chunk size
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

    const patch::net_result whole = patch::parse_control_net(text, rows);
    if (whole.error == patch::net_error::none && whole.net.size() != static_cast<std::size_t>(rows))
        std::abort();

    patch::control_net_parser parser(rows);
    for (std::size_t at = 0; at < text.size() && !parser.done(); at += chunk)
        parser.feed(text.substr(at, chunk));
    if (!same(whole, parser.finish())) std::abort();
    return 0;
}

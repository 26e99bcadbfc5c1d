// format_fixed on every double the fuzzer can reach, against the C library's exact "%.9f".
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "patch/format_fixed.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size != sizeof(double)) return 0;
    double v;
    std::memcpy(&v, data, sizeof v);
    const patch::fixed_field f = patch::format_fixed(v);
    const std::string got(f.data(), f.size());

    std::string expected;
    if (std::isnan(v)) {
        expected = "          NaN";
    } else if (std::isinf(v)) {
        expected = v < 0 ? "    -Infinity" : "     Infinity";
    } else {
        char buf[400];
        const int len = std::snprintf(buf, sizeof buf, "%.9f", v);
        expected = len > 13 ? std::string(13, '*')
                            : std::string(static_cast<std::size_t>(13 - len), ' ') + buf;
    }
    if (got != expected) std::abort();
    return 0;
}

// The geometry-file reader of patchcheck on arbitrary bytes: it must never crash, and a file it
// accepts must be consistent with its own header.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "patchcheck/read_geometry.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const patch::check::read_result r = patch::check::read_geometry(text);
    if (!r.volume) {
        if (r.error.line < 1 || r.error.reason.empty()) std::abort();
        return 0;
    }
    const patch::check::nurbs_volume& v = *r.volume;
    std::size_t points = 1;
    for (int d = 0; d < 3; ++d) {
        if (v.degree[d] < 1 || v.count[d] <= v.degree[d]) std::abort();
        if (v.knots[d].size() != static_cast<std::size_t>(v.count[d] + v.degree[d] + 1))
            std::abort();
        if (!(v.first(d) < v.last(d))) std::abort();
        points *= static_cast<std::size_t>(v.count[d]);
    }
    if (v.points.size() != points) std::abort();
    for (const auto& p : v.points)
        if (!(p.w > 0) || !std::isfinite(p.w) || !std::isfinite(p.x)) std::abort();
    return 0;
}

#include "patch/extrusion.hpp"

#include <string>

#include "patch/failure.hpp"
#include "patch/geometry_file.hpp"

namespace patch {

namespace {

constexpr std::array<double, 4> linear_knots{0.0, 0.0, 1.0, 1.0};

// The z of the two copies of the net: exactly +0.0 and 1.0.
constexpr std::array<double, 2> level_z{0.0, 1.0};

}  // namespace

void write_extrusion(const extrusion_variant& v, const control_net& net) {
    auto f = open_geometry_file(v.geometry_file);
    write_header(f, 3, {2, 2, 1}, {v.net_size, v.net_size, 2});
    write_knot_line(f, v.knots);
    write_knot_line(f, v.knots);
    write_knot_line(f, linear_knots);
    for (const double z : level_z)
        for (const net_row& row : net) write_point_line(f, row[0], row[1], z, row[3]);
    write_corner_block(f);
    close_geometry_file(f);
}

int run_extrusion(const extrusion_variant& v) noexcept {
    return run_program(v.program, [&] {
        const control_net net = read_control_net(std::string(v.net_file), v.net_size * v.net_size);
        write_extrusion(v, net);
    });
}

}  // namespace patch

// drumpatch: a solid cylinder about the z axis as one volume in "cylinder.dat".
//
// Directions: 9 points around (quadratic), 3 rings outward (quadratic), 2 levels up (linear).
#include <array>

#include "patch/arguments.hpp"
#include "patch/failure.hpp"
#include "patch/geometry_file.hpp"

namespace {

// 1/sqrt 2: the weight that makes the quadratic arc through a corner of the square a true
// quarter circle.
constexpr double corner_weight = 0.70710678118654752440;

// One of the nine positions of a ring, as factors of the ring's half-width. Odd positions sit on
// the midpoints of the square's sides, even ones on its corners; position 9 repeats position 1
// to close the ring. From (1, 0) the ring turns toward negative y first.
struct ring_position {
    int x;
    int y;
    double w;
};
constexpr std::array<ring_position, 9> ring_positions{{
    {1, 0, 1.0},
    {1, -1, corner_weight},
    {0, -1, 1.0},
    {-1, -1, corner_weight},
    {-1, 0, 1.0},
    {-1, 1, corner_weight},
    {0, 1, 1.0},
    {1, 1, corner_weight},
    {1, 0, 1.0},
}};

// The three rings from the axis outward, by the half-width of their square as a fraction of r.
// The axis ring is one point repeated nine times: its coordinates are all the constant zero.
struct ring {
    bool on_axis;
    double fraction;
};
constexpr std::array<ring, 3> rings{{{true, 0.0}, {false, 0.5}, {false, 1.0}}};

// A coordinate of the table: a zero factor gives the constant +0.0, never a product with r, so
// a zero or negative radius puts a sign only on the entries that come from r.
double coordinate(int factor, double half_width) {
    if (factor == 0) return 0.0;
    return factor > 0 ? half_width : -half_width;
}

patch::geometry_file render_cylinder(double r, double h) {
    auto f = patch::open_geometry_file("cylinder.dat");
    patch::write_header(f, 3, {2, 2, 1}, {9, 3, 2});
    constexpr std::array<double, 12> around{0.0, 0.0,  0.0,  0.25, 0.25, 0.5,
                                            0.5, 0.75, 0.75, 1.0,  1.0,  1.0};
    constexpr std::array<double, 6> outward{0.0, 0.0, 0.0, 1.0, 1.0, 1.0};
    constexpr std::array<double, 4> up{0.0, 0.0, 1.0, 1.0};
    patch::write_knot_line(f, around);
    patch::write_knot_line(f, outward);
    patch::write_knot_line(f, up);
    // Position fastest, then ring, then level.
    for (const double z : {0.0, h}) {
        for (const ring& g : rings) {
            const double half_width = r * g.fraction;  // r/2 or r, both exact
            for (const ring_position& p : ring_positions) {
                const double x = g.on_axis ? 0.0 : coordinate(p.x, half_width);
                const double y = g.on_axis ? 0.0 : coordinate(p.y, half_width);
                patch::write_point_line(f, x, y, z, p.w);
            }
        }
    }
    patch::write_corner_block(f);
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    return patch::run_program("drumpatch", [&] {
        const auto cl = patch::make_command_line(argc, argv, "drumpatch RADIUS HEIGHT");
        const double r = patch::read_real_arg(cl, 1);
        const double h = patch::read_real_arg(cl, 2);
        patch::close_geometry_file(render_cylinder(r, h));
    });
}

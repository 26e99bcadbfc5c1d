// ringpatch: the solid between two cylinders about the z axis as four volumes, one per quarter
// turn, in "annulus.dat", "annulus.2.dat", "annulus.3.dat" and "annulus.4.dat".
//
// Directions in every quarter: 3 points around (quadratic), 2 radii (linear), 2 levels (linear).
#include <array>
#include <cstddef>
#include <utility>

#include "patch/arguments.hpp"
#include "patch/failure.hpp"
#include "patch/geometry_file.hpp"
#include "quarter_name.hpp"

namespace {

// The double nearest to 1/sqrt 2: the corner weight that makes a quadratic arc a true quarter
// circle.
constexpr double middle_weight = 0.7071067811865476;

// x and y factors of the three angular control points of each quarter. Start and end are the
// cosine and sine of 90(p-1) and 90p degrees, held exactly; the middle is their sum, the corner
// of the arc's bounding square. Quarters run counter-clockwise seen from +z, and the end of the
// fourth is the start of the first.
struct direction {
    double x;
    double y;
};
struct quarter_directions {
    direction start;
    direction middle;
    direction end;
};
constexpr std::array<quarter_directions, 4> quarters{{
    {{1.0, 0.0}, {1.0, 1.0}, {0.0, 1.0}},
    {{0.0, 1.0}, {-1.0, 1.0}, {-1.0, 0.0}},
    {{-1.0, 0.0}, {-1.0, -1.0}, {0.0, -1.0}},
    {{0.0, -1.0}, {1.0, -1.0}, {1.0, 0.0}},
}};

constexpr double quarter_span = 0.25;  // each quarter's share of the angular parameter

// Quarter p (from 1) with the angular knots t1, t2. Coordinates are plain double products of a
// table entry and a radius, so a zero entry times a negative radius is a negative zero, and a
// zero entry times an infinite radius is a NaN.
patch::geometry_file render_quarter(int p, double t1, double t2, const std::array<double, 2>& radii,
                                    const std::array<double, 2>& heights) {
    auto f = patch::open_geometry_file(patch::quarter_file_name(p));
    patch::write_header(f, 3, {2, 1, 1}, {3, 2, 2});
    const std::array<double, 6> around{t1, t1, t1, t2, t2, t2};
    constexpr std::array<double, 4> linear{0.0, 0.0, 1.0, 1.0};
    patch::write_knot_line(f, around);
    patch::write_knot_line(f, linear);  // radial
    patch::write_knot_line(f, linear);  // axial
    const quarter_directions& q = quarters[static_cast<std::size_t>(p - 1)];
    const std::array<std::pair<direction, double>, 3> points{
        {{q.start, 1.0}, {q.middle, middle_weight}, {q.end, 1.0}}};
    // Angular index fastest, then radius, then height.
    for (const double z : heights)
        for (const double r : radii)
            for (const auto& [d, w] : points) patch::write_point_line(f, d.x * r, d.y * r, z, w);
    patch::write_corner_block(f);
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    return patch::run_program("ringpatch", [&] {
        const auto cl = patch::make_command_line(argc, argv, "ringpatch R1 R2 HEIGHT");
        const double r1 = patch::read_real_arg(cl, 1);
        const double r2 = patch::read_real_arg(cl, 2);
        const double h = patch::read_real_arg(cl, 3);
        const std::array<double, 2> radii{r1, r2};
        const std::array<double, 2> heights{0.0, h};

        // All four quarters are put together and checked before the first file is touched, so a
        // value that one quarter cannot write leaves every file as it was.
        std::array<patch::geometry_file, quarters.size()> files;
        double t1 = -quarter_span, t2 = 0.0;
        for (int p = 1; p <= static_cast<int>(quarters.size()); ++p) {
            t1 += quarter_span;  // -0.25 + 0.25 is +0.0: the first knot shows no sign
            t2 += quarter_span;
            files[static_cast<std::size_t>(p - 1)] = render_quarter(p, t1, t2, radii, heights);
        }
        for (const auto& f : files) patch::check_geometry_file(f);
        for (const auto& f : files) patch::close_geometry_file(f);
    });
}

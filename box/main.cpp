// boxpatch: an axis-parallel box as one trilinear volume in "cube.dat".
#include <array>

#include "patch/arguments.hpp"
#include "patch/failure.hpp"
#include "patch/geometry_file.hpp"

int main(int argc, char** argv) {
    return patch::run_program("boxpatch", [&] {
        const auto cl = patch::make_command_line(argc, argv, "boxpatch X1 X2 Y1 Y2 Z1 Z2");
        // Every bound is read before the file is touched.
        std::array<double, 2> x{}, y{}, z{};
        x[0] = patch::read_real_arg(cl, 1);
        x[1] = patch::read_real_arg(cl, 2);
        y[0] = patch::read_real_arg(cl, 3);
        y[1] = patch::read_real_arg(cl, 4);
        z[0] = patch::read_real_arg(cl, 5);
        z[1] = patch::read_real_arg(cl, 6);

        auto f = patch::open_geometry_file("cube.dat");
        patch::write_header(f, 3, {1, 1, 1}, {2, 2, 2});
        constexpr std::array<double, 4> knots{0.0, 0.0, 1.0, 1.0};
        for (int d = 0; d < 3; ++d) patch::write_knot_line(f, knots);
        // The eight corners, x fastest, z slowest; the bounds go out exactly as read.
        for (const double zj : z)
            for (const double yk : y)
                for (const double xi : x) patch::write_point_line(f, xi, yk, zj, 1.0);
        patch::write_corner_block(f);
        patch::close_geometry_file(f);
    });
}

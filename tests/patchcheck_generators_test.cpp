// The generators' geometry, proven on their real output: each program runs in a fresh folder,
// and its files are read back and measured by patchcheck's library.
//
// The files hold every number to nine decimals, so a corner weight 1/sqrt 2 is read back as
// 0.707106781. A rational quadratic arc with that weight is not exactly a circle: it strays from
// the circle by up to 5e-11 of its radius, and the disc's area by about 1e-10. The tests
// therefore compare twice: with the exact figure of the curve the file holds (worked out here
// in closed form, to 1e-12), and with the circle the generator means (to the error that the
// rounding of the weight allows).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "patchcheck/evaluate.hpp"
#include "patchcheck/measure.hpp"
#include "patchcheck/read_geometry.hpp"
#include "program_runner.hpp"

namespace {

namespace fs = std::filesystem;
using namespace patch::check;
using namespace testing_support;

/// Runs `program` in `dir` and reads back each of `files`.
std::vector<nurbs_volume> generate(const temp_dir& dir, const std::string& program,
                                   const std::vector<std::string>& args,
                                   const std::vector<std::string>& files) {
    const run_result r = run_program(program, args, dir.path());
    if (r.exit_status != 0) throw std::runtime_error(program + " failed: " + r.err);
    std::vector<nurbs_volume> out;
    for (const std::string& f : files) {
        read_result rr = read_geometry(read_file(dir / f));
        if (!rr.volume)
            throw std::runtime_error(f + ":" + std::to_string(rr.error.line) + ": " +
                                     rr.error.reason);
        out.push_back(std::move(*rr.volume));
    }
    return out;
}

/// The distance from the centre of the rational quadratic arc from (1, 0) over the corner
/// (1, 1) to (0, 1), with end weights 1 and corner weight w, at its parameter t in [0, 1].
double arc_radius(double t, double w) {
    const double b0 = (1 - t) * (1 - t), b1 = 2 * t * (1 - t), b2 = t * t;
    return std::hypot(b0 + w * b1, w * b1 + b2) / (b0 + w * b1 + b2);
}

/// The area between that arc and the two radii to its ends: half the integral of
/// (x y' - y x') dt, which for a rational curve A(t) / W(t) is (Ax Ay' - Ay Ax') / W^2.
/// Composite Simpson's rule on a smooth integrand: exact to rounding at this step.
double arc_sector_area(double w) {
    const auto f = [w](double t) {
        const double b0 = (1 - t) * (1 - t), b1 = 2 * t * (1 - t), b2 = t * t;
        const double ax = b0 + w * b1, ay = w * b1 + b2, den = b0 + w * b1 + b2;
        const double dax = -2 * (1 - t) + w * (2 - 4 * t), day = w * (2 - 4 * t) + 2 * t;
        return (ax * day - ay * dax) / (den * den);
    };
    const int n = 20000;
    double s = f(0.0) + f(1.0);
    for (int i = 1; i < n; ++i) s += (i % 2 == 1 ? 4.0 : 2.0) * f(static_cast<double>(i) / n);
    return 0.5 * s / (3.0 * n);
}

double relative(double a, double b) { return std::abs(a - b) / std::abs(b); }

TEST(GeneratedGeometry, BoxVolumeIsTheProductOfItsSides) {
    struct Case {
        std::vector<std::string> args;
        double volume;
        handedness verdict;
        const char* why;
    };
    const Case cases[] = {
        {{"0", "1", "0", "1", "0", "1"}, 1.0, handedness::right, "the unit cube"},
        {{"-1.5", "2.25", "0", "0.5", "-4", "3"}, 13.125, handedness::right, "mixed signs"},
        {{"1", "0", "0", "1", "0", "1"}, 1.0, handedness::left, "x bounds reversed"},
        {{"2", "0", "3", "1", "0", "0.5"}, 2.0, handedness::right, "x and y reversed"},
        {{"0", "1", "0", "1", "2", "2"}, 0.0, handedness::degenerate, "equal z bounds"},
    };
    for (const Case& c : cases) {
        temp_dir dir;
        const auto v = generate(dir, BOXPATCH, c.args, {"cube.dat"});
        const measurement m = measure_volume(v[0]);
        EXPECT_NEAR(m.volume, c.volume, 1e-12 * c.volume) << c.why;
        EXPECT_EQ(m.verdict, c.verdict) << c.why << ": " << verdict_text(m);
    }
}

TEST(GeneratedGeometry, CylinderIsTheSolidOfItsRadiusAndHeight) {
    struct Case {
        std::string r, h;
        handedness verdict;
        const char* why;
    };
    const Case cases[] = {
        {"2", "5", handedness::right, "clockwise rings, outward, up: right-handed"},
        {"-1.5", "2", handedness::right, "a negative radius turns the rings half a turn only"},
        {"0.75", "-3", handedness::left, "a negative height flips the frame"},
    };
    for (const Case& c : cases) {
        temp_dir dir;
        const nurbs_volume v = generate(dir, DRUMPATCH, {c.r, c.h}, {"cylinder.dat"})[0];
        const double r = std::stod(c.r), h = std::stod(c.h);
        const double w = v.points[1].w;  // the corner weight as the file holds it
        EXPECT_EQ(w, 0.707106781);

        const measurement m = measure_volume(v);
        EXPECT_TRUE(m.converged) << c.why;
        EXPECT_LT(relative(m.volume, 4 * r * r * std::abs(h) * arc_sector_area(w)), 1e-12) << c.why;
        EXPECT_LT(relative(m.volume, std::numbers::pi * r * r * std::abs(h)), 2e-10) << c.why;
        EXPECT_EQ(m.verdict, c.verdict) << c.why << ": " << verdict_text(m);

        // The rim: the outer end of direction 2, at both levels and between them.
        for (int s = 0; s <= 1000; ++s) {
            const double u = s / 1000.0;
            const double quarter = std::min(std::floor(4 * u), 3.0), t = 4 * u - quarter;
            for (const double level : {0.0, 0.5, 1.0}) {
                const vec3 p = evaluate_volume(v, {u, 1.0, level}).position;
                const double radius = std::hypot(p[0], p[1]);
                EXPECT_LT(relative(radius, std::abs(r) * arc_radius(t, w)), 1e-12)
                    << c.why << ": u " << u;
                EXPECT_LT(relative(radius, std::abs(r)), 1e-10) << c.why << ": u " << u;
                EXPECT_NEAR(p[2], level * h, 1e-15 * std::abs(h));
            }
        }
    }
}

TEST(GeneratedGeometry, AnnulusQuartersAddUpAndMeetWithoutAGap) {
    struct Case {
        std::vector<std::string> args;
        handedness verdict;
        const char* why;
    };
    const Case cases[] = {
        {{"1", "2", "3"}, handedness::left, "counter-clockwise, outward, up: left-handed"},
        {{"0.5", "1.75", "-2"}, handedness::right, "a negative height flips the frame"},
    };
    const std::vector<std::string> names{"annulus.dat", "annulus.2.dat", "annulus.3.dat",
                                         "annulus.4.dat"};
    for (const Case& c : cases) {
        temp_dir dir;
        const auto quarters = generate(dir, RINGPATCH, c.args, names);
        const double r1 = std::stod(c.args[0]), r2 = std::stod(c.args[1]), h = std::stod(c.args[2]);
        const double w = quarters[0].points[1].w;
        double total = 0.0;
        for (const nurbs_volume& q : quarters) {
            const measurement m = measure_volume(q);
            EXPECT_TRUE(m.converged);
            EXPECT_LT(relative(m.volume, (r2 * r2 - r1 * r1) * std::abs(h) * arc_sector_area(w)),
                      1e-12)
                << c.why;
            EXPECT_EQ(m.verdict, c.verdict) << c.why << ": " << verdict_text(m);
            total += m.volume;
        }
        EXPECT_LT(relative(total, std::numbers::pi * (r2 * r2 - r1 * r1) * std::abs(h)), 2e-10);

        // The end face of each quarter is the start face of the next, the fourth's the first's.
        for (std::size_t p = 0; p < 4; ++p) {
            const nurbs_volume& a = quarters[p];
            const nurbs_volume& b = quarters[(p + 1) % 4];
            for (int i = 0; i <= 8; ++i)
                for (int j = 0; j <= 8; ++j) {
                    const vec3 end = evaluate_volume(a, {a.last(0), i / 8.0, j / 8.0}).position;
                    const vec3 start = evaluate_volume(b, {b.first(0), i / 8.0, j / 8.0}).position;
                    for (int e = 0; e < 3; ++e)
                        EXPECT_NEAR(end[e], start[e], 1e-12 * r2)
                            << c.why << ": quarter " << p + 1 << " to the next";
                }
        }
    }
}

TEST(GeneratedGeometry, ExtrudedQuarterAnnulusHasItsAreaTimesOne) {
    temp_dir dir;
    fs::copy_file(fs::path(EXAMPLES_DIR) / "qannulus_m.txt", dir / "qannulus_m.txt");
    const nurbs_volume v = generate(dir, ARCPATCH, {}, {"qannulus.dat"})[0];
    // The net spans radius 1 to 2 of a quarter turn; its middle row holds the corner weight.
    const double w = v.points[3].w;
    EXPECT_EQ(w, 0.707106781);
    const measurement m = measure_volume(v);
    EXPECT_TRUE(m.converged);
    EXPECT_LT(relative(m.volume, (4.0 - 1.0) * arc_sector_area(w) * 1.0), 1e-12);
    EXPECT_LT(relative(m.volume, 0.75 * std::numbers::pi), 2e-10);
    EXPECT_EQ(m.verdict, handedness::right) << verdict_text(m);
    EXPECT_EQ(m.box[2][0], 0.0);
    EXPECT_EQ(m.box[2][1], 1.0);
}

TEST(GeneratedGeometry, ExtrudedBandIsRightHanded) {
    temp_dir dir;
    fs::copy_file(fs::path(EXAMPLES_DIR) / "colon2D_m.txt", dir / "colon2D_m.txt");
    const nurbs_volume v = generate(dir, PROFILEPATCH, {}, {"colon2D.dat"})[0];
    const measurement m = measure_volume(v);
    EXPECT_TRUE(m.converged);
    EXPECT_EQ(m.verdict, handedness::right) << verdict_text(m);
    EXPECT_EQ(m.negative + m.zero, 0u);
}

}  // namespace

// The geometry file reader: well-formed files of any degrees and counts, and one table of
// broken files, each with the line and the reason it is refused for.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "patch/geometry_file.hpp"
#include "patchcheck/read_geometry.hpp"
#include "program_runner.hpp"

namespace {

using patch::check::read_geometry;
using testing_support::read_file;

std::string cube() { return read_file(std::string(GOLDEN_DIR) + "/cube.dat"); }

/// `text` with line n (from 1) replaced by `line`.
std::string with_line(const std::string& text, int n, const std::string& line) {
    std::size_t start = 0;
    for (int i = 1; i < n; ++i) start = text.find('\n', start) + 1;
    const std::size_t end = text.find('\n', start);
    return text.substr(0, start) + line + text.substr(end);
}

/// `text` without line n (from 1).
std::string without_line(const std::string& text, int n) {
    std::size_t start = 0;
    for (int i = 1; i < n; ++i) start = text.find('\n', start) + 1;
    return text.substr(0, start) + text.substr(text.find('\n', start) + 1);
}

/// The first n lines of `text`.
std::string first_lines(const std::string& text, int n) {
    std::size_t end = 0;
    for (int i = 0; i < n; ++i) end = text.find('\n', end) + 1;
    return text.substr(0, end);
}

TEST(ReadGeometry, ReadsAnyDegreesCountsAndKnots) {
    // Degrees 3 1 2 with an unclamped, non-uniform first direction: nothing our generators
    // write, but a file of the same layout.
    auto f = patch::open_geometry_file("any.dat");
    patch::write_header(f, 3, {3, 1, 2}, {5, 2, 3});
    const std::vector<double> u{-1.0, -0.5, 0.0, 0.25, 0.25, 1.0, 2.0, 2.5, 3.0};
    const std::vector<double> v{0.0, 0.0, 1.0, 1.0};
    const std::vector<double> w{0.0, 0.0, 0.0, 4.0, 4.0, 4.0};
    patch::write_knot_line(f, u);
    patch::write_knot_line(f, v);
    patch::write_knot_line(f, w);
    for (int n = 0; n < 30; ++n) patch::write_point_line(f, n * 0.5, -n * 0.25, 100.0 - n, 0.5 + n);
    patch::write_corner_block(f);

    const auto r = read_geometry(f.text);
    ASSERT_TRUE(r.volume) << r.error.line << ": " << r.error.reason;
    const auto& vol = *r.volume;
    EXPECT_EQ(vol.degree, (std::array<int, 3>{3, 1, 2}));
    EXPECT_EQ(vol.count, (std::array<int, 3>{5, 2, 3}));
    EXPECT_EQ(vol.knots[0], u);
    EXPECT_EQ(vol.knots[1], v);
    EXPECT_EQ(vol.knots[2], w);
    ASSERT_EQ(vol.points.size(), 30u);
    // Direction 1 fastest: point (i, j, k) is point line i + 5 j + 10 k (from 0).
    EXPECT_EQ(vol.at(3, 1, 2).x, 28 * 0.5);
    EXPECT_EQ(vol.at(3, 1, 2).y, -28 * 0.25);
    EXPECT_EQ(vol.at(3, 1, 2).z, 72.0);
    EXPECT_EQ(vol.at(3, 1, 2).w, 28.5);
    EXPECT_EQ(vol.first(0), 0.25);  // knot 4 (from 1) to knot 6
    EXPECT_EQ(vol.last(0), 1.0);
    EXPECT_EQ(vol.first(2), 0.0);
    EXPECT_EQ(vol.last(2), 4.0);
}

TEST(ReadGeometry, KeepsTheSignOfZeroAndEveryDecimal) {
    const std::string text =
        with_line(cube(), 7, " -0.000000000-99.999999999999.999999999  0.000000001");
    const auto r = read_geometry(text);
    ASSERT_TRUE(r.volume) << r.error.reason;
    const auto& p = r.volume->points[0];
    EXPECT_TRUE(std::signbit(p.x));
    EXPECT_EQ(p.x, 0.0);
    EXPECT_EQ(p.y, -99.999999999);
    EXPECT_EQ(p.z, 999.999999999);
    EXPECT_EQ(p.w, 1e-9);
}

TEST(ReadGeometry, RefusesEachFaultWithItsLineAndReason) {
    const std::string good = cube();
    const std::string counts_note = " (counts 2 2 2 make a file of 22 lines)";
    struct Case {
        std::string text;
        int line;
        std::string reason;
    };
    const Case cases[] = {
        {"", 1, "the file ends before the dimension line (the file is empty)"},
        {good.substr(0, good.size() - 1), 22, "the last line does not end with a line feed"},
        {first_lines(good, 10), 11, "the file ends before point line 5 of 8" + counts_note},
        {first_lines(good, 20), 21, "the file ends before corner line 7 of 8" + counts_note},
        {first_lines(good, 2), 3, "the file ends before the counts line"},
        {good + "    2\n", 23, "the file goes on after its corner block" + counts_note},
        // Header lines.
        {with_line(good, 1, "           2"), 1,
         "the dimension is 2; a geometry file describes a volume, dimension 3"},
        {with_line(good, 1, "            3"), 1,
         "the dimension line: expected 12 characters, found 13"},
        {with_line(good, 2, "           1           1           1\r"), 2,
         "the degrees line: expected 36 characters, found 37 (the line ends in a carriage return)"},
        {with_line(good, 2, ""), 2, "the degrees line: expected 36 characters, found 0"},
        {with_line(good, 2, "           1          x1           1"), 2,
         "the degrees line, item 2 \"          x1\": not a blank and an integer right-aligned in "
         "11 characters"},
        {with_line(good, 2, "           1           1 1          "), 2,
         "the degrees line, item 3 \" 1          \": not a blank and an integer right-aligned in "
         "11 characters"},
        {with_line(good, 2, "           1           1           0"), 2,
         "the degree of direction 3 is 0; a degree is at least 1"},
        {with_line(good, 3, "           0           2           2"), 3,
         "the count of direction 1 is 0; a count is at least 1"},
        {with_line(good, 3, "           2           1           2"), 3,
         "direction 2 has 1 control points for degree 1; it needs at least 2"},
        {with_line(good, 3, "           2 99999999999           2"), 3,
         "the count of direction 2 is 99999999999; it does not fit a 32-bit integer"},
        // Counts that no file could hold: refused at the knot line, before any allocation.
        {with_line(good, 3, "  2000000000  2000000000           2"), 4,
         "the knot line of direction 1: expected 2000000002 knots (26000000026 characters), "
         "found 52"},
        // Knot lines.
        {with_line(good, 4, "  0.000000000  0.000000000  1.000000000"), 4,
         "the knot line of direction 1: expected 4 knots (52 characters), found 39"},
        {with_line(good, 5, "  0.000000000  1.000000000  0.500000000  1.000000000"), 5,
         "knot 3 (0.5) is less than knot 2 (1); knots must not decrease"},
        {with_line(good, 6, "  0.000000000  0.500000000  0.500000000  1.000000000"), 6,
         "the parameter domain of direction 3 has zero length: knots 2 and 3 are both 0.5"},
        {with_line(good, 4, "  0.000000000  0.000000000  1.000000000          NaN"), 4,
         "knot 4 is NaN; a knot must be finite"},
        {with_line(good, 4, "  0.000000000*************  1.000000000  1.000000000"), 4,
         "knot 2 is 13 asterisks: its value did not fit the field when the file was written, "
         "and is lost"},
        // Point lines: field layout.
        {with_line(good, 8, "  1.000000000*************  0.000000000  1.000000000"), 8,
         "field 2 (y) is 13 asterisks: its value did not fit the field when the file was "
         "written, and is lost"},
        {with_line(good, 8, "  1.00000000   0.000000000  0.000000000  1.000000000"), 8,
         "field 1 (x) \"  1.00000000 \": not a number with nine decimals right-aligned in 13 "
         "characters"},
        {with_line(good, 8, " 1.0000000000  0.000000000  0.000000000  1.000000000"), 8,
         "field 1 (x) \" 1.0000000000\": not a number with nine decimals right-aligned in 13 "
         "characters"},
        {with_line(good, 8, "  1.000000000     1.00E+00  0.000000000  1.000000000"), 8,
         "field 2 (y) \"     1.00E+00\": not a number with nine decimals right-aligned in 13 "
         "characters"},
        {with_line(good, 8, "  1.000000000  0.000000000 +0.000000000  1.000000000"), 8,
         "field 3 (z) \" +0.000000000\": not a number with nine decimals right-aligned in 13 "
         "characters"},
        {with_line(good, 8, "  1.000000000  0.000000000  0.000000000  1.000000000\t"), 8,
         "point line 2 of 8: expected 52 characters, found 53"},
        {with_line(good, 8, "  1.000000000  0.000000000\t0.000000000  1.000000000"), 8,
         "point line 2 of 8: expected 52 characters, found 51"},
        {with_line(good, 8, "  1.000000000  0.000000000 \t0.000000000  1.000000000"), 8,
         "field 3 (z) \" \\x090.000000000\": not a number with nine decimals right-aligned in "
         "13 characters"},
        {with_line(good, 8, "  1.000000000          nan  0.000000000  1.000000000"), 8,
         "field 2 (y) \"          nan\": not a number with nine decimals right-aligned in 13 "
         "characters"},
        // Point lines: values.
        {with_line(good, 9, "          NaN  1.000000000  0.000000000  1.000000000"), 9,
         "field 1 (x) is NaN; a coordinate must be finite"},
        {with_line(good, 9, "  0.000000000  1.000000000    -Infinity  1.000000000"), 9,
         "field 3 (z) is -Infinity; a coordinate must be finite"},
        {with_line(good, 10, "  1.000000000  1.000000000  0.000000000  0.000000000"), 10,
         "field 4 (weight) is 0.000000000; a weight must be positive and finite"},
        {with_line(good, 10, "  1.000000000  1.000000000  0.000000000 -0.000000000"), 10,
         "field 4 (weight) is -0.000000000; a weight must be positive and finite"},
        {with_line(good, 10, "  1.000000000  1.000000000  0.000000000 -0.500000000"), 10,
         "field 4 (weight) is -0.500000000; a weight must be positive and finite"},
        {with_line(good, 10, "  1.000000000  1.000000000  0.000000000     Infinity"), 10,
         "field 4 (weight) is Infinity; a weight must be positive and finite"},
        {with_line(good, 10, "  1.000000000  1.000000000  0.000000000          NaN"), 10,
         "field 4 (weight) is NaN; a weight must be positive and finite"},
        // The corner block.
        {with_line(good, 15, "    1"), 15,
         "corner line 1 of 8 holds 1, not 2; the corner block holds 2 to 9 in order"},
        {with_line(good, 22, "   10"), 22,
         "corner line 8 of 8 holds 10, not 9; the corner block holds 2 to 9 in order"},
        {with_line(good, 16, "3    "), 16,
         "corner line 2 of 8 \"3    \": not an integer right-aligned in 5 characters"},
        {with_line(good, 16, "   3"), 16, "corner line 2 of 8: expected 5 characters, found 4"},
        // A point line missing: the first corner line stands where the last point should.
        {without_line(good, 14), 14, "point line 8 of 8: expected 52 characters, found 5"},
    };
    for (const Case& c : cases) {
        const auto r = read_geometry(c.text);
        EXPECT_FALSE(r.volume) << c.reason;
        EXPECT_EQ(r.error.line, c.line) << c.reason;
        EXPECT_EQ(r.error.reason, c.reason);
    }
}

}  // namespace

// The writer's records in memory: what reaches the text, and what it refuses.
#include "patch/geometry_file.hpp"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>

#include "patch/failure.hpp"

namespace {

TEST(GeometryFile, HeaderItemsAreTwelveCharactersWhateverTheirValue) {
    auto f = patch::open_geometry_file("x.dat   ");
    EXPECT_EQ(f.name, "x.dat");  // trailing blanks are not part of the name
    patch::write_header(f, 3, {std::numeric_limits<int>::min(), 0, -7},
                        {std::numeric_limits<int>::max(), 12, 1});
    EXPECT_EQ(f.text,
              "           3\n"
              " -2147483648           0          -7\n"
              "  2147483647          12           1\n");
    EXPECT_EQ(f.lines, 3);
}

TEST(GeometryFile, KnotAndPointLinesAreTheirFieldsAndNothingElse) {
    auto f = patch::open_geometry_file("x.dat");
    const std::array<double, 12> knots{0, 0, 0, 0.25, 0.25, 0.5, 0.5, 0.75, 0.75, 1, 1, 1};
    patch::write_knot_line(f, knots);
    EXPECT_EQ(f.text.size(), 156u + 1u);
    EXPECT_EQ(f.text.substr(0, 39), "  0.000000000  0.000000000  0.000000000");

    f = patch::open_geometry_file("x.dat");
    patch::write_point_line(f, 999.9999999994, -99.9999999994, -0.0, 1.0 / 3.0);
    EXPECT_EQ(f.text, "999.999999999-99.999999999 -0.000000000  0.333333333\n");
    EXPECT_FALSE(f.unwritable);
}

TEST(GeometryFile, TheFirstValueThatDoesNotFitIsRecordedWithItsPlace) {
    auto f = patch::open_geometry_file("x.dat");
    patch::write_header(f, 3, {1, 1, 1}, {2, 2, 2});
    patch::write_point_line(f, 0, 1, 2, 3);
    patch::write_point_line(f, 0, 1000, -100, 1);
    patch::write_point_line(f, 5000, 0, 0, 1);
    ASSERT_TRUE(f.unwritable);
    EXPECT_EQ(f.unwritable->line, 5);
    EXPECT_EQ(f.unwritable->field, 2);
    EXPECT_EQ(f.unwritable->value, 1000.0);
    EXPECT_THROW(patch::check_geometry_file(f), patch::failure);
}

TEST(GeometryFile, TheCornerBlockHoldsTwoToNine) {
    auto f = patch::open_geometry_file("x.dat");
    patch::write_corner_block(f);
    EXPECT_EQ(f.text, "    2\n    3\n    4\n    5\n    6\n    7\n    8\n    9\n");
    EXPECT_EQ(f.lines, 8);
}

}  // namespace

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "program_runner.hpp"

namespace {

namespace fs = std::filesystem;
using namespace testing_support;

const std::string usage = " (usage: drumpatch RADIUS HEIGHT)\n";
const std::string old_content = "an earlier cylinder.dat that must survive\n";

std::string golden() { return read_file(fs::path(GOLDEN_DIR) / "cylinder.dat"); }

run_result drumpatch(const temp_dir& dir, const std::vector<std::string>& args) {
    return run_program(DRUMPATCH, args, dir.path());
}

// Field n (from 1) of a point line.
std::string field(const std::string& line, int n) {
    return line.substr(13 * static_cast<std::size_t>(n - 1), 13);
}

TEST(Drumpatch, RadiusTwoHeightFiveIsTheGoldenFile) {
    temp_dir dir;
    const auto r = drumpatch(dir, {"2", "5"});
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"cylinder.dat"});
    const std::string cylinder = read_file(dir / "cylinder.dat");
    EXPECT_EQ(count_lines(cylinder), 68);
    EXPECT_EQ(cylinder, golden());
}

// The x and y entries of the 27 points of one level, as the table of the cylinder gives them:
// position fastest, then the axis, half-radius and rim rings.
enum term { zero, half, minus_half, full, minus_full };
struct entry {
    term x, y;
};
constexpr std::array<entry, 27> level{{
    {zero, zero},
    {zero, zero},
    {zero, zero},
    {zero, zero},
    {zero, zero},
    {zero, zero},
    {zero, zero},
    {zero, zero},
    {zero, zero},
    {half, zero},
    {half, minus_half},
    {zero, minus_half},
    {minus_half, minus_half},
    {minus_half, zero},
    {minus_half, half},
    {zero, half},
    {half, half},
    {half, zero},
    {full, zero},
    {full, minus_full},
    {zero, minus_full},
    {minus_full, minus_full},
    {minus_full, zero},
    {minus_full, full},
    {zero, full},
    {full, full},
    {full, zero},
}};

TEST(Drumpatch, SignsOfZeroFollowTheTable) {
    struct Case {
        std::vector<std::string> args;
        std::array<const char*, 5> text;  // the field of zero, r/2, -r/2, r, -r
        const char* top_z;
        const char* why;
    };
    const char* pz = "  0.000000000";
    const char* nz = " -0.000000000";
    const Case cases[] = {
        {{"0", "5"},
         {pz, pz, nz, pz, nz},
         "  5.000000000",
         "only the negated entries of a zero radius are negative zeros"},
        {{"-0", "-0"},
         {pz, nz, pz, nz, pz},
         nz,
         "the table's zeros and the base level are constants, not taken from the arguments"},
        {{"-2", "5"},
         {pz, " -1.000000000", "  1.000000000", " -2.000000000", "  2.000000000"},
         "  5.000000000",
         "a negative radius turns the rings, not the zeros"},
        {{"inf", "5"},
         {pz, "     Infinity", "    -Infinity", "     Infinity", "    -Infinity"},
         "  5.000000000",
         "no zero entry is a product with the radius, so none is a NaN"},
    };
    for (const auto& c : cases) {
        temp_dir dir;
        const auto r = drumpatch(dir, c.args);
        ASSERT_EQ(r.exit_status, 0) << r.err;
        const std::string cylinder = read_file(dir / "cylinder.dat");
        ASSERT_EQ(count_lines(cylinder), 68) << c.why;
        for (int k = 0; k < 2; ++k) {
            for (int i = 0; i < 27; ++i) {
                const int n = 7 + 27 * k + i;
                const std::string line = line_of(cylinder, n);
                const auto& e = level[static_cast<std::size_t>(i)];
                EXPECT_EQ(field(line, 1), c.text[e.x]) << "line " << n << ": " << c.why;
                EXPECT_EQ(field(line, 2), c.text[e.y]) << "line " << n << ": " << c.why;
                EXPECT_EQ(field(line, 3), k == 0 ? pz : c.top_z) << "line " << n << ": " << c.why;
            }
        }
    }
}

TEST(Drumpatch, ArgumentsAreReadWhole) {
    temp_dir dir;
    // Cut to ten characters these would be 0.12345678 and the malformed "1.2345678e".
    const auto r = drumpatch(dir, {"0.123456789012", "1.2345678e1"});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    const std::string cylinder = read_file(dir / "cylinder.dat");
    EXPECT_EQ(line_of(cylinder, 16), "  0.061728395  0.000000000  0.000000000  1.000000000");
    EXPECT_EQ(line_of(cylinder, 52), "  0.123456789  0.000000000 12.345678000  1.000000000");
}

TEST(Drumpatch, FailuresLeaveTheOldFileAlone) {
    const std::string& unfit = unfit_field_tail;
    struct Case {
        std::vector<std::string> args;
        std::string diagnostic;
    };
    const Case cases[] = {
        {{}, "drumpatch: argument 1 (missing): end of input" + usage},
        {{"2"}, "drumpatch: argument 2 (missing): end of input" + usage},
        {{"2", "5x"}, "drumpatch: argument 2 \"5x\": not a valid real number" + usage},
        // 150 fits, -150 does not: the rim's first negative coordinate is y of its corner.
        {{"150", "1"},
         "drumpatch: cannot write \"cylinder.dat\": line 26, field 2: the value -150" + unfit},
        {{"2", "1000"},
         "drumpatch: cannot write \"cylinder.dat\": line 34, field 3: the value 1000" + unfit},
    };
    for (const auto& c : cases) {
        temp_dir dir;
        write_file(dir / "cylinder.dat", old_content);
        const auto r = drumpatch(dir, c.args);
        EXPECT_EQ(r.exit_status, 1) << c.diagnostic;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.diagnostic);
        EXPECT_EQ(read_file(dir / "cylinder.dat"), old_content) << c.diagnostic;

        temp_dir empty;
        EXPECT_EQ(drumpatch(empty, c.args).exit_status, 1);
        EXPECT_TRUE(list_dir(empty.path()).empty()) << "a failed run made a file: " << c.diagnostic;
    }
}

}  // namespace

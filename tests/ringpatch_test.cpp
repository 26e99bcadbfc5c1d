#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "program_runner.hpp"

namespace {

namespace fs = std::filesystem;
using namespace testing_support;

const std::string usage = " (usage: ringpatch R1 R2 HEIGHT)\n";
const std::array<std::string, 4> names{"annulus.dat", "annulus.2.dat", "annulus.3.dat",
                                       "annulus.4.dat"};

std::string golden(const std::string& name) { return read_file(fs::path(GOLDEN_DIR) / name); }

run_result ringpatch(const temp_dir& dir, const std::vector<std::string>& args) {
    return run_program(RINGPATCH, args, dir.path());
}

std::string old_content(const std::string& name) { return "an earlier " + name + "\n"; }

TEST(Ringpatch, OneTwoThreeIsTheFourGoldenFiles) {
    temp_dir dir;
    const auto r = ringpatch(dir, {"1", "2", "3"});
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(list_dir(dir.path()), (std::vector<std::string>{"annulus.2.dat", "annulus.3.dat",
                                                              "annulus.4.dat", "annulus.dat"}));
    for (const auto& name : names) {
        const std::string quarter = read_file(dir / name);
        EXPECT_EQ(count_lines(quarter), 26) << name;
        EXPECT_EQ(quarter, golden(name)) << name;
    }
}

TEST(Ringpatch, InnerRadiusSignCases) {
    // With r2 = 2 and h = 3 every file is the golden one except for x and y of the inner layer:
    // lines 7 to 9 (z = 0) and again 13 to 15 (z = h), start, middle and end of each quarter.
    const std::string p0 = "  0.000000000", n0 = " -0.000000000";
    const std::string p1 = "  1.000000000", n1 = " -1.000000000";
    const std::string inf = "     Infinity", ninf = "    -Infinity", nan = "          NaN";
    struct Case {
        std::string r1;
        std::array<std::array<std::string, 3>, 4> xy;  // per quarter: start, middle, end
        const char* why;
    };
    const Case cases[] = {
        {"0",
         {{{p0 + p0, p0 + p0, p0 + p0},
           {p0 + p0, n0 + p0, n0 + p0},
           {n0 + p0, n0 + n0, p0 + n0},
           {p0 + n0, p0 + n0, p0 + p0}}},
         "a -1 entry times a zero radius is a negative zero"},
        {"-1",
         {{{n1 + n0, n1 + n1, n0 + n1},
           {n0 + n1, p1 + n1, p1 + n0},
           {p1 + n0, p1 + p1, n0 + p1},
           {n0 + p1, n1 + p1, n1 + n0}}},
         "a 0 entry times a negative radius is a negative zero"},
        {"inf",
         {{{inf + nan, inf + inf, nan + inf},
           {nan + inf, ninf + inf, ninf + nan},
           {ninf + nan, ninf + ninf, nan + ninf},
           {nan + ninf, inf + ninf, inf + nan}}},
         "a 0 entry times an infinite radius is a NaN"},
    };
    for (const auto& c : cases) {
        temp_dir dir;
        const auto r = ringpatch(dir, {c.r1, "2", "3"});
        ASSERT_EQ(r.exit_status, 0) << r.err;
        for (std::size_t q = 0; q < 4; ++q) {
            const std::string quarter = read_file(dir / names[q]);
            const std::string reference = golden(names[q]);
            ASSERT_EQ(count_lines(quarter), 26) << names[q];
            for (int n = 1; n <= 26; ++n) {
                std::string expected = line_of(reference, n);
                const int point = n >= 13 ? n - 13 : n - 7;
                if ((n >= 7 && n <= 9) || (n >= 13 && n <= 15))
                    expected = c.xy[q][static_cast<std::size_t>(point)] + expected.substr(26);
                EXPECT_EQ(line_of(quarter, n), expected)
                    << "r1 " << c.r1 << ", " << names[q] << ", line " << n << ": " << c.why;
            }
        }
    }
}

TEST(Ringpatch, FailuresBeforeWritingChangeNoFile) {
    const std::string& unfit = unfit_field_tail;
    struct Case {
        std::vector<std::string> args;
        std::string diagnostic;
    };
    const Case cases[] = {
        {{}, "ringpatch: argument 1 (missing): end of input" + usage},
        {{"1", "2"}, "ringpatch: argument 3 (missing): end of input" + usage},
        {{"1", "two", "3"}, "ringpatch: argument 2 \"two\": not a valid real number" + usage},
        // The first quarter can hold 150; the second cannot hold -150, so nothing is written.
        {{"1", "150", "1"},
         "ringpatch: cannot write \"annulus.2.dat\": line 11, field 1: the value -150" + unfit},
        {{"1", "2", "1000"},
         "ringpatch: cannot write \"annulus.dat\": line 13, field 3: the value 1000" + unfit},
    };
    for (const auto& c : cases) {
        temp_dir dir;
        for (const auto& name : names) write_file(dir / name, old_content(name));
        const auto r = ringpatch(dir, c.args);
        EXPECT_EQ(r.exit_status, 1) << c.diagnostic;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.diagnostic);
        for (const auto& name : names)
            EXPECT_EQ(read_file(dir / name), old_content(name)) << name << ": " << c.diagnostic;

        temp_dir empty;
        EXPECT_EQ(ringpatch(empty, c.args).exit_status, 1);
        EXPECT_TRUE(list_dir(empty.path()).empty()) << "a failed run made a file: " << c.diagnostic;
    }
}

TEST(Ringpatch, AFileThatCannotBeCreatedKeepsTheQuartersBeforeIt) {
    temp_dir dir;
    for (const auto& name : names) write_file(dir / name, old_content(name));
    fs::remove(dir / "annulus.3.dat");
    fs::create_directory(dir / "annulus.3.dat");
    const auto r = ringpatch(dir, {"1", "2", "3"});
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "ringpatch: cannot create or open \"annulus.3.dat\": Is a directory\n");
    EXPECT_EQ(read_file(dir / "annulus.dat"), golden("annulus.dat"));
    EXPECT_EQ(read_file(dir / "annulus.2.dat"), golden("annulus.2.dat"));
    EXPECT_TRUE(fs::is_directory(dir / "annulus.3.dat"));
    EXPECT_EQ(read_file(dir / "annulus.4.dat"), old_content("annulus.4.dat"))
        << "a quarter after the failure was written";
}

}  // namespace

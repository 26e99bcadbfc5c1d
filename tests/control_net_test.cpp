#include "patch/control_net.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "patch/failure.hpp"
#include "program_runner.hpp"

namespace {

namespace fs = std::filesystem;
using patch::net_error;
using patch::net_result;

constexpr double inf = std::numeric_limits<double>::infinity();

std::uint64_t bits(double v) { return std::bit_cast<std::uint64_t>(v); }

// The same text fed whole, in chunks of three bytes and one byte at a time: a reader over a
// fixed buffer meets every split, so every state must carry across a chunk boundary.
std::vector<net_result> parse_in_chunks(std::string_view text, int rows) {
    std::vector<net_result> results;
    for (const std::size_t chunk : {text.size() + 1, std::size_t{3}, std::size_t{1}}) {
        patch::control_net_parser p(rows);
        for (std::size_t i = 0; i < text.size() && !p.done(); i += chunk)
            p.feed(text.substr(i, chunk));
        results.push_back(p.finish());
    }
    return results;
}

std::string describe(const net_result& r) {
    return "error " + std::to_string(static_cast<int>(r.error)) + " row " + std::to_string(r.row) +
           " column " + std::to_string(r.column) + " line " + std::to_string(r.line);
}

TEST(ControlNetParser, FreeFormRows) {
    struct Case {
        const char* why;
        std::string text;
        int rows;
        patch::control_net expected;
    };
    const std::string long_one = "1." + std::string(patch::max_value_length - 2, '0');
    const Case cases[] = {
        {"one row per line", "1 2 3 4\n5 6 7 8\n", 2, {{1, 2, 3, 4}, {5, 6, 7, 8}}},
        {"a row over two lines; the next starts on the line after",
         "1 2\n3 4\n5 6 7 8\n",
         2,
         {{1, 2, 3, 4}, {5, 6, 7, 8}}},
        {"a row over many lines, blank ones among them; no final line feed",
         "1\n\n  \t\n2 3\n4\n5 6 7 8",
         2,
         {{1, 2, 3, 4}, {5, 6, 7, 8}}},
        {"a fifth value is dropped with its line",
         "1 2 3 4 5\n6 7 8 9\n",
         2,
         {{1, 2, 3, 4}, {6, 7, 8, 9}}},
        {"words after the fourth value",
         "1 2 3 4 first point, 5 6 / ,,\n6 7 8 9 end",
         2,
         {{1, 2, 3, 4}, {6, 7, 8, 9}}},
        {"commas, with or without blanks around them",
         "1.0,2.0,0.0,1.0\n1.0 , 2.0 ,0.0,\t1.0\n",
         2,
         {{1, 2, 0, 1}, {1, 2, 0, 1}}},
        {"a comma before a line end only separates",
         "1,2,\n3,4,\n5,6,7,8\n",
         2,
         {{1, 2, 3, 4}, {5, 6, 7, 8}}},
        {"tabs separate", "1\t2\t\t3 \t4\n", 1, {{1, 2, 3, 4}}},
        {"repeat counts", "2*0.5 2*7\n", 1, {{0.5, 0.5, 7, 7}}},
        {"copies beyond the fourth value are dropped, not carried to the next row",
         "3*2 5*6\n1 2 3 4\n",
         2,
         {{2, 2, 2, 6}, {1, 2, 3, 4}}},
        {"a repeat count filling a whole row, a huge one",
         "4*1 junk\n18446744073709551616*2\n",
         2,
         {{1, 1, 1, 1}, {2, 2, 2, 2}}},
        {"blank lines before and between rows",
         "\n\n   \n1 2 3 4\n\n\t\n5 6 7 8\n",
         2,
         {{1, 2, 3, 4}, {5, 6, 7, 8}}},
        {"CR LF line ends", "1 2\r\n3 4\r\n\r\n5 6 7 8\r\n", 2, {{1, 2, 3, 4}, {5, 6, 7, 8}}},
        {"E, D and Q exponents in either case, a sign alone as exponent, whole numbers",
         "1.0D0 1.0E0 1 1.5d-3\n2.5q2 2.5-3 2.5+3 -1E+1\n",
         2,
         {{1, 1, 1, 0.0015}, {250, 0.0025, 2500, -10}}},
        {"a slash after the fourth value goes with the rest of the line",
         "1 2 3 4/ x\n5,6,7,8,\n",
         2,
         {{1, 2, 3, 4}, {5, 6, 7, 8}}},
        {"lines after the last row are never read",
         "1 2 3 4\nnot a number / ,, 0*1\n",
         1,
         {{1, 2, 3, 4}}},
        {"signs of zero and the infinities", "-0 +0 -inf Infinity\n", 1, {{-0.0, 0.0, -inf, inf}}},
        {"17 significant digits give the double meant; a tiny value is a zero",
         "0.70710678118654757 2.0927164751509419 -0.36900237754222698 -1e-400\n",
         1,
         {{0.70710678118654757, 2.0927164751509419, -0.36900237754222698, -0.0}}},
        {"a value of the longest length accepted", long_one + " 2 3 4", 1, {{1, 2, 3, 4}}},
    };
    for (const auto& c : cases) {
        for (const auto& r : parse_in_chunks(c.text, c.rows)) {
            ASSERT_EQ(r.error, net_error::none) << c.why << ": " << describe(r);
            ASSERT_EQ(r.net.size(), c.expected.size()) << c.why;
            for (std::size_t i = 0; i < c.expected.size(); ++i)
                for (std::size_t j = 0; j < 4; ++j)
                    EXPECT_EQ(bits(r.net[i][j]), bits(c.expected[i][j]))
                        << c.why << ": row " << i + 1 << ", column " << j + 1 << " is "
                        << r.net[i][j];
        }
    }
}

TEST(ControlNetParser, NaN) {
    const auto r = patch::parse_control_net("NaN -nan 1 nan\n", 1);
    ASSERT_EQ(r.error, net_error::none);
    EXPECT_TRUE(std::isnan(r.net[0][0]) && std::isnan(r.net[0][1]) && std::isnan(r.net[0][3]));
}

TEST(ControlNetParser, FailuresSayWhere) {
    struct Case {
        const char* why;
        std::string text;
        int rows;
        net_error error;
        int row, column;
        long long line;  // 0: at the end of the input
    };
    const Case cases[] = {
        {"an empty file", "", 1, net_error::end_of_file, 1, 1, 0},
        {"only blank lines", "\n  \r\n\t\n", 1, net_error::end_of_file, 1, 1, 0},
        {"one row short", "1 2 3 4\n", 2, net_error::end_of_file, 2, 1, 0},
        {"three values in the last row", "1 2 3 4\n5 6 7\n", 2, net_error::end_of_file, 2, 4, 0},
        {"a letter", "1 2 x 4\n", 1, net_error::malformed, 1, 3, 1},
        {"a letter after a number", "1.0x 2 3 4\n", 1, net_error::malformed, 1, 1, 1},
        {"two points", "1 1..0 3 4\n", 1, net_error::malformed, 1, 2, 1},
        {"a sign alone", "1 2 3 +\n", 1, net_error::malformed, 1, 4, 1},
        {"a NUL byte", std::string("1 2\0 3 4\n", 9), 1, net_error::malformed, 1, 2, 1},
        {"the row and line of a later row", "1 2 3 4\n\n5\n6 7 abc\n", 2, net_error::malformed, 2,
         4, 4},
        {"a zero repeat count", "1 0*5 3 4\n", 1, net_error::malformed, 1, 2, 1},
        {"a slash before the fourth value", "1 2/ 3 4\n", 1, net_error::cut_short, 1, 3, 1},
        {"a slash at the start of a row", "1 2 3 4\n/\n1 2 3 4\n", 2, net_error::cut_short, 2, 1,
         2},
        {"two commas", "1,,3,4\n", 1, net_error::empty_value, 1, 2, 1},
        {"a comma at the start of a row", "  ,1,2,3,4\n", 1, net_error::empty_value, 1, 1, 1},
        {"only blanks between two commas", "1, ,3,4\n", 1, net_error::empty_value, 1, 2, 1},
        {"a line end between two commas counts as blanks", "1,2,\n,3,4\n", 1,
         net_error::empty_value, 1, 3, 2},
        {"a bare repeat count", "1 2* 3 4\n", 1, net_error::empty_value, 1, 2, 1},
        {"a bare repeat count in the fourth column", "1 2 3 2*\n", 1, net_error::empty_value, 1, 4,
         1},
        {"a value longer than the reader keeps",
         "1 " + std::string(patch::max_value_length + 1, '7') + " 3 4\n", 1,
         net_error::value_too_long, 1, 2, 1},
    };
    for (const auto& c : cases) {
        for (const auto& r : parse_in_chunks(c.text, c.rows)) {
            EXPECT_EQ(r.error, c.error) << c.why << ": " << describe(r);
            EXPECT_EQ(r.row, c.row) << c.why;
            EXPECT_EQ(r.column, c.column) << c.why;
            EXPECT_EQ(r.line, c.line) << c.why;
        }
    }
}

TEST(ControlNetParser, WantsNoByteAfterTheLastRow) {
    patch::control_net_parser p(2);
    EXPECT_FALSE(p.feed("1 2 3 4 and more\n5 6 7"));
    EXPECT_FALSE(p.feed(" 8")) << "\"8\" may go on in the next chunk";
    EXPECT_TRUE(p.feed(" ")) << "the last row is complete";
    const auto r = p.finish();
    ASSERT_EQ(r.error, net_error::none);
    EXPECT_EQ(r.net.back()[3], 8.0);
}

TEST(ReadControlNet, DiagnosticsNameTheFileAndTheReason) {
    testing_support::temp_dir dir;
    const std::string missing = (dir / "missing.txt").string();
    const std::string folder = (dir / "folder.txt").string();
    const std::string device = (dir / "device.txt").string();
    const std::string bad = (dir / "bad.txt").string();
    fs::create_directory(folder);
    fs::create_symlink("/dev/null", device);
    testing_support::write_file(bad, "1 2 3 4\n\n5 six 7 8\n");

    struct Case {
        std::string name;
        int rows;
        std::string message;
    };
    const Case cases[] = {
        {missing, 1, "cannot open \"" + missing + "\": No such file or directory"},
        {folder, 1, "cannot read \"" + folder + "\": Is a directory"},
        {device, 1, "cannot read \"" + device + "\": not a regular file"},
        {bad, 2, "\"" + bad + "\" row 2, column 2 (line 3): \"six\" is not a valid real number"},
        {bad, 1, ""},
    };
    for (const auto& c : cases) {
        try {
            const auto net = patch::read_control_net(c.name, c.rows);
            EXPECT_EQ(c.message, "") << c.name << " was read";
            EXPECT_EQ(net.size(), static_cast<std::size_t>(c.rows));
        } catch (const patch::failure& f) {
            EXPECT_EQ(f.what(), c.message);
        }
    }
    EXPECT_FALSE(fs::exists(missing)) << "reading a missing file created it";

    EXPECT_EQ(patch::describe_net_error("bad.txt", patch::parse_control_net("1 2 3 4\n5 6 7\n", 2)),
              "\"bad.txt\" row 2, column 4: end of file before row 2 was complete");
    EXPECT_EQ(patch::describe_net_error("n", patch::parse_control_net("1 2/\n", 1)),
              "\"n\" row 1, column 3 (line 1): a slash ends the row before its fourth value");
    EXPECT_EQ(patch::describe_net_error("n", patch::parse_control_net(",", 1)),
              "\"n\" row 1, column 1 (line 1): empty value; every column needs a number");
}

}  // namespace

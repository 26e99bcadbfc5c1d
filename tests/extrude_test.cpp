#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "program_runner.hpp"

#if defined(__SANITIZE_ADDRESS__)
#define PATCH_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PATCH_UNDER_ASAN 1
#endif
#endif

namespace {

namespace fs = std::filesystem;
using namespace testing_support;

struct variant {
    const char* program;
    const char* net;       // the control-net file read
    const char* geometry;  // the geometry file written
    int rows;              // N
    int lines;             // lines of the geometry file
};

const variant profilepatch{PROFILEPATCH, "colon2D_m.txt", "colon2D.dat", 64, 142};
const variant arcpatch{ARCPATCH, "qannulus_m.txt", "qannulus.dat", 9, 32};
const variant variants[] = {profilepatch, arcpatch};

std::string example(const variant& v) { return read_file(fs::path(EXAMPLES_DIR) / v.net); }
std::string golden(const variant& v) { return read_file(fs::path(GOLDEN_DIR) / v.geometry); }

run_result run(const variant& v, const temp_dir& dir, const std::vector<std::string>& args = {},
               const run_options& options = {}) {
    return run_program(v.program, args, dir.path(), options);
}

// The example net with the third value of every row replaced, rows kept one to a line.
std::string with_third_column(const std::string& net, const std::vector<std::string>& thirds) {
    std::istringstream in(net);
    std::string out, line;
    for (std::size_t r = 0; std::getline(in, line); ++r) {
        std::istringstream fields(line);
        std::string x, y, z, w;
        fields >> x >> y >> z >> w;
        out.append(x).append(" ").append(y).append(" ").append(thirds[r % thirds.size()]);
        out.append(" ").append(w).append("\n");
    }
    return out;
}

TEST(Extrusion, ExampleNetsGiveTheGoldenFiles) {
    for (const auto& v : variants) {
        temp_dir dir;
        write_file(dir / v.net, example(v));
        const auto r = run(v, dir);
        EXPECT_EQ(r.exit_status, 0) << v.program << ": " << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(list_dir(dir.path()), (std::vector<std::string>{v.geometry, v.net}));
        const std::string out = read_file(dir / v.geometry);
        EXPECT_EQ(count_lines(out), v.lines);
        EXPECT_EQ(out, golden(v)) << v.program;

        // Arguments are ignored, and a second run replaces the file of the first.
        write_file(dir / v.geometry, std::string(20000, 'x'));
        const auto again = run(v, dir, {"2", "not-a-number", "--help"});
        EXPECT_EQ(again.exit_status, 0) << again.err;
        EXPECT_EQ(read_file(dir / v.geometry), golden(v)) << v.program << " with arguments";
    }
}

TEST(Extrusion, TheTwoLevelsDifferOnlyInZ) {
    for (const auto& v : variants) {
        temp_dir dir;
        write_file(dir / v.net, example(v));
        ASSERT_EQ(run(v, dir).exit_status, 0);
        const std::string out = read_file(dir / v.geometry);
        for (int m = 1; m <= v.rows; ++m) {
            const std::string low = line_of(out, 6 + m), high = line_of(out, 6 + v.rows + m);
            ASSERT_EQ(low.size(), 52u);
            EXPECT_EQ(low.substr(0, 26), high.substr(0, 26)) << v.program << ", point line " << m;
            EXPECT_EQ(low.substr(39), high.substr(39)) << v.program << ", point line " << m;
            EXPECT_EQ(low.substr(26, 13), "  0.000000000");
            EXPECT_EQ(high.substr(26, 13), "  1.000000000");
        }
    }
}

TEST(Extrusion, TheThirdColumnIsNeverWritten) {
    // Values that would change the output, or fail the run, if the third column reached the file.
    const std::vector<std::string> thirds{"7", "-1e300", "NaN", "2.5", "-inf"};
    for (const auto& v : variants) {
        temp_dir dir;
        write_file(dir / v.net, with_third_column(example(v), thirds));
        const auto r = run(v, dir);
        EXPECT_EQ(r.exit_status, 0) << r.err;
        EXPECT_EQ(read_file(dir / v.geometry), golden(v)) << v.program;
    }
}

TEST(Extrusion, ValuesGoOutExactlyAsRead) {
    // Free-form rows; negative zeros, a zero and a negative weight are written as they stand.
    const std::string net =
        "-0,-0.0, 5, -0\r\n"
        "0.5 0.25 7 0.8 the row of the worked example\n"
        "\n"
        "1.5D0\n-2.5 0\n0\n"
        "3*1 -1\n"
        "4*0.125\n"
        "1 2 3 4\n1 2 3 4\n1 2 3 4\n"
        "99.999999999 -99.999999999 0 999.999999999\n";
    const char* expected[] = {
        " -0.000000000 -0.000000000  0.000000000 -0.000000000",
        "  0.500000000  0.250000000  0.000000000  0.800000000",
        "  1.500000000 -2.500000000  0.000000000  0.000000000",
        "  1.000000000  1.000000000  0.000000000 -1.000000000",
        "  0.125000000  0.125000000  0.000000000  0.125000000",
        "  1.000000000  2.000000000  0.000000000  4.000000000",
        "  1.000000000  2.000000000  0.000000000  4.000000000",
        "  1.000000000  2.000000000  0.000000000  4.000000000",
        " 99.999999999-99.999999999  0.000000000999.999999999",
    };
    temp_dir dir;
    write_file(dir / arcpatch.net, net);
    const auto r = run(arcpatch, dir);
    ASSERT_EQ(r.exit_status, 0) << r.err;
    const std::string out = read_file(dir / arcpatch.geometry);
    for (int m = 0; m < 9; ++m) {
        std::string high = expected[m];
        high.replace(26, 13, "  1.000000000");
        EXPECT_EQ(line_of(out, 7 + m), expected[m]) << "point line " << m + 1;
        EXPECT_EQ(line_of(out, 16 + m), high) << "point line " << m + 10;
    }
}

TEST(Extrusion, FailuresLeaveTheGeometryFileAlone) {
    const std::string q = example(arcpatch);
    const auto without_last_line = [](const std::string& text) {
        return text.substr(0, text.rfind('\n', text.size() - 2) + 1);
    };
    const auto net_file = [](const std::string& content) {
        return
            [content](const variant& v, const fs::path& dir) { write_file(dir / v.net, content); };
    };
    struct Case {
        variant v;
        std::function<void(const variant&, const fs::path&)> setup;  // makes the control-net file
        std::string diagnostic;
    };
    const Case cases[] = {
        {arcpatch, [](const variant&, const fs::path&) {},
         "arcpatch: cannot open \"qannulus_m.txt\": No such file or directory"},
        {profilepatch, [](const variant&, const fs::path&) {},
         "profilepatch: cannot open \"colon2D_m.txt\": No such file or directory"},
        {arcpatch, [](const variant& v, const fs::path& dir) { fs::create_directory(dir / v.net); },
         "arcpatch: cannot read \"qannulus_m.txt\": Is a directory"},
        {arcpatch, net_file(""),
         "arcpatch: \"qannulus_m.txt\" row 1, column 1: end of file before row 1 was complete"},
        {arcpatch, net_file(without_last_line(q)),
         "arcpatch: \"qannulus_m.txt\" row 9, column 1: end of file before row 9 was complete"},
        {profilepatch, net_file(without_last_line(example(profilepatch))),
         "profilepatch: \"colon2D_m.txt\" row 64, column 1: end of file before row 64 was "
         "complete"},
        {arcpatch, net_file(without_last_line(q) + "0 2 0\n"),
         "arcpatch: \"qannulus_m.txt\" row 9, column 4: end of file before row 9 was complete"},
        {arcpatch, net_file(with_third_column(q, {"0", "0", "0", "0", "0", "0", "zero"})),
         "arcpatch: \"qannulus_m.txt\" row 7, column 3 (line 7): \"zero\" is not a valid real "
         "number"},
        {arcpatch, net_file("1 0 0 1\n1.5 0/ 1\n" + q),
         "arcpatch: \"qannulus_m.txt\" row 2, column 3 (line 2): a slash ends the row before its "
         "fourth value"},
        {arcpatch, net_file("1,,0,1\n" + q),
         "arcpatch: \"qannulus_m.txt\" row 1, column 2 (line 1): empty value; every column needs "
         "a number"},
        {arcpatch, net_file("1 0 2* 1\n" + q),
         "arcpatch: \"qannulus_m.txt\" row 1, column 3 (line 1): empty value; every column needs "
         "a number"},
        {arcpatch, net_file("1 0 0*0 1\n" + q),
         "arcpatch: \"qannulus_m.txt\" row 1, column 3 (line 1): \"0*0\" is not a valid real "
         "number"},
        // A value too wide for its field fails the run instead of being written as asterisks.
        {arcpatch, net_file("1000 0 0 1\n" + q),
         "arcpatch: cannot write \"qannulus.dat\": line 7, field 1: the value 1000 does not fit a "
         "13-character field with nine decimals (from -99.999999999 to 999.999999999); no file "
         "was written"},
    };
    const std::string old_content = "a geometry file of an earlier run\n";
    for (const auto& c : cases) {
        {
            temp_dir dir;
            c.setup(c.v, dir.path());
            write_file(dir / c.v.geometry, old_content);
            const auto before = list_dir(dir.path());
            const auto r = run(c.v, dir);
            EXPECT_EQ(r.exit_status, 1) << c.diagnostic;
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(r.err, c.diagnostic + "\n");
            EXPECT_EQ(read_file(dir / c.v.geometry), old_content) << c.diagnostic;
            EXPECT_EQ(list_dir(dir.path()), before) << c.diagnostic;
        }
        {
            temp_dir dir;
            c.setup(c.v, dir.path());
            const auto before = list_dir(dir.path());
            EXPECT_EQ(run(c.v, dir).exit_status, 1);
            EXPECT_EQ(list_dir(dir.path()), before)
                << "a failed run created a file: " << c.diagnostic;
        }
    }
}

TEST(Extrusion, AReadOnlyNetIsReadAndLeftAsItWas) {
    temp_dir dir;
    const fs::path net = dir / arcpatch.net;
    write_file(net, example(arcpatch));
    ASSERT_EQ(::chmod(net.c_str(), 0444), 0);
    const auto r = run(arcpatch, dir);
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(read_file(dir / arcpatch.geometry), golden(arcpatch));
    EXPECT_EQ(read_file(net), example(arcpatch));
    struct stat st {};
    ASSERT_EQ(::stat(net.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

TEST(Extrusion, AFifoOfThatNameDoesNotHang) {
    // Run under timeout(1): a reader that waited for a writer would be killed, not hang the suite.
    const char* timeout = "/usr/bin/timeout";
    if (!fs::exists(timeout)) GTEST_SKIP() << "no " << timeout;
    temp_dir dir;
    ASSERT_EQ(::mkfifo((dir / arcpatch.net).c_str(), 0644), 0);
    const auto r = run_program(timeout, {"-s", "KILL", "20", arcpatch.program}, dir.path());
    EXPECT_EQ(r.exit_status, 1) << "killed after waiting on the FIFO? status " << r.exit_status;
    EXPECT_EQ(r.err, "arcpatch: cannot read \"qannulus_m.txt\": not a regular file\n");
    EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{arcpatch.net});
}

// A net with one line of about 100 MB: the reader must stream it. Under a limit of the address
// space far below the size of the line, reading the line or the file into memory fails.
class BoundedMemory : public ::testing::Test {
  protected:
    static constexpr std::size_t huge = 100u << 20;

    static run_options limited() {
        run_options o;
#if defined(PATCH_UNDER_ASAN)
        // AddressSanitizer reserves terabytes of shadow memory; the run goes unlimited there.
        std::fprintf(stderr, "note: no memory limit under AddressSanitizer; streaming only\n");
#else
        o.address_space_limit = 48ul << 20;
#endif
        return o;
    }

    static void write_with_huge_run(const fs::path& p, const std::string& head, char fill,
                                    const std::string& tail) {
        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        const std::string block(1u << 20, fill);
        bool ok = ::write(fd, head.data(), head.size()) == static_cast<ssize_t>(head.size());
        for (std::size_t n = 0; ok && n < huge; n += block.size())
            ok = ::write(fd, block.data(), block.size()) == static_cast<ssize_t>(block.size());
        ok = ok && ::write(fd, tail.data(), tail.size()) == static_cast<ssize_t>(tail.size());
        ASSERT_EQ(::close(fd), 0);
        ASSERT_TRUE(ok);
    }
};

TEST_F(BoundedMemory, AHugeLineAfterTheFourthValueIsSkipped) {
    temp_dir dir;
    const std::string q = example(arcpatch);
    const std::size_t first_end = q.find('\n');
    write_with_huge_run(dir / arcpatch.net, q.substr(0, first_end) + " ", 'x', q.substr(first_end));
    const auto r = run(arcpatch, dir, {}, limited());
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read_file(dir / arcpatch.geometry), golden(arcpatch));
}

TEST_F(BoundedMemory, AnEndlessNumberIsRefused) {
    temp_dir dir;
    write_with_huge_run(dir / arcpatch.net, "1 0 ", '7', "\n");
    const auto r = run(arcpatch, dir, {}, limited());
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err,
              "arcpatch: \"qannulus_m.txt\" row 1, column 3 (line 1): a value longer than 1024 "
              "characters\n");
    EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{arcpatch.net});
}

}  // namespace

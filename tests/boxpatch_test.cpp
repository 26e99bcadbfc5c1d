#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "program_runner.hpp"

namespace {

namespace fs = std::filesystem;
using namespace testing_support;

const std::string usage = " (usage: boxpatch X1 X2 Y1 Y2 Z1 Z2)\n";
const std::string old_content = "an earlier cube.dat that must survive\n";

std::string golden() { return read_file(fs::path(GOLDEN_DIR) / "cube.dat"); }

run_result boxpatch(const temp_dir& dir, const std::vector<std::string>& args,
                    const run_options& options = {}) {
    return run_program(BOXPATCH, args, dir.path(), options);
}

TEST(Boxpatch, UnitCubeIsTheWorkedExample) {
    temp_dir dir;
    const auto r = boxpatch(dir, {"0", "1", "0", "1", "0", "1"});
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"cube.dat"});
    const std::string cube = read_file(dir / "cube.dat");
    EXPECT_EQ(cube.size(), 718u);
    EXPECT_EQ(cube, golden());
}

TEST(Boxpatch, ExtraArgumentsAreNeverLookedAt) {
    temp_dir dir;
    const auto r = boxpatch(dir, {"0", "1", "0", "1", "0", "1", "not-a-number", ""});
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(read_file(dir / "cube.dat"), golden());
}

TEST(Boxpatch, BoundsGoOutExactlyAsReadInTheirOrder) {
    temp_dir dir;
    // Mixed signs, a value that rounds to a negative zero, and reversed and equal bounds.
    const auto r = boxpatch(dir, {"-1.5", "2.25", "0", "0.1", "-4e-10", "3"});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    const std::string cube = read_file(dir / "cube.dat");
    const char* expected[] = {
        " -1.500000000  0.000000000 -0.000000000  1.000000000",
        "  2.250000000  0.000000000 -0.000000000  1.000000000",
        " -1.500000000  0.100000000 -0.000000000  1.000000000",
        "  2.250000000  0.100000000 -0.000000000  1.000000000",
        " -1.500000000  0.000000000  3.000000000  1.000000000",
        "  2.250000000  0.000000000  3.000000000  1.000000000",
        " -1.500000000  0.100000000  3.000000000  1.000000000",
        "  2.250000000  0.100000000  3.000000000  1.000000000",
    };
    for (int i = 0; i < 8; ++i) EXPECT_EQ(line_of(cube, 7 + i), expected[i]) << "line " << 7 + i;
    EXPECT_EQ(cube.size(), 718u);

    const auto reversed = boxpatch(dir, {"1", "-0", "2", "2", "0.123456789012", "NaN"});
    ASSERT_EQ(reversed.exit_status, 0) << reversed.err;
    const std::string cube2 = read_file(dir / "cube.dat");
    EXPECT_EQ(line_of(cube2, 7), "  1.000000000  2.000000000  0.123456789  1.000000000");
    EXPECT_EQ(line_of(cube2, 8), " -0.000000000  2.000000000  0.123456789  1.000000000");
    EXPECT_EQ(line_of(cube2, 14), " -0.000000000  2.000000000          NaN  1.000000000");
}

TEST(Boxpatch, ArgumentFailuresLeaveTheOldFileAlone) {
    struct Case {
        std::vector<std::string> args;
        std::string diagnostic;
    };
    const Case cases[] = {
        {{"0", "1", "0", "1", "0"}, "boxpatch: argument 6 (missing): end of input" + usage},
        {{}, "boxpatch: argument 1 (missing): end of input" + usage},
        {{"0", "1", "", "1", "0", "1"}, "boxpatch: argument 3 \"\": end of input" + usage},
        {{"0", "1", "0", "1", "0", "  "}, "boxpatch: argument 6 \"  \": end of input" + usage},
        {{"0", "abc", "zzz"}, "boxpatch: argument 2 \"abc\": not a valid real number" + usage},
        {{"1.5x", "1", "0", "1", "0", "1"},
         "boxpatch: argument 1 \"1.5x\": not a valid real number" + usage},
        {{"0", "1", "0*5", "1", "0", "1"},
         "boxpatch: argument 3 \"0*5\": not a valid real number" + usage},
        {{"0", "1", "0", "2*", "0", "1"},
         "boxpatch: argument 4 \"2*\": not a valid real number" + usage},
        {{"0", "1", "0", "1", ",", "1"},
         "boxpatch: argument 5 \",\": not a valid real number" + usage},
        {{"0", "1", "0", "1", "0", "1\x01"},
         "boxpatch: argument 6 \"1\\x01\": not a valid real number" + usage},
        // A value too wide for its field fails the run instead of turning into asterisks.
        {{"0", "1000", "0", "1", "0", "1"},
         "boxpatch: cannot write \"cube.dat\": line 8, field 1: the value 1000 does not fit a "
         "13-character field with nine decimals (from -99.999999999 to 999.999999999); no file "
         "was written\n"},
        {{"0", "1", "-100", "1", "0", "1"},
         "boxpatch: cannot write \"cube.dat\": line 7, field 2: the value -100 does not fit a "
         "13-character field with nine decimals (from -99.999999999 to 999.999999999); no file "
         "was written\n"},
    };
    for (const auto& c : cases) {
        temp_dir dir;
        write_file(dir / "cube.dat", old_content);
        const auto r = boxpatch(dir, c.args);
        EXPECT_EQ(r.exit_status, 1) << c.diagnostic;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.diagnostic);
        EXPECT_EQ(read_file(dir / "cube.dat"), old_content) << c.diagnostic;

        temp_dir empty;
        EXPECT_EQ(boxpatch(empty, c.args).exit_status, 1);
        EXPECT_TRUE(list_dir(empty.path()).empty())
            << "a failed run created a file: " << c.diagnostic;
    }
}

TEST(Boxpatch, RewritesInPlace) {
    temp_dir dir;
    write_file(dir / "cube.dat", std::string(5000, 'x') + "\n");  // longer than the new content
    ASSERT_EQ(::chmod((dir / "cube.dat").c_str(), 0640), 0);
    fs::create_hard_link(dir / "cube.dat", dir / "link.dat");

    const auto r = boxpatch(dir, {"0", "1", "0", "1", "0", "1"});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(read_file(dir / "cube.dat"), golden());
    EXPECT_EQ(read_file(dir / "link.dat"), golden()) << "the hard link no longer shares the file";
    struct stat st {};
    ASSERT_EQ(::stat((dir / "cube.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_nlink, 2u);
}

TEST(Boxpatch, NewFileGetsReadWriteForAllLessTheUmask) {
    temp_dir dir;
    run_options options;
    options.umask = 027;
    ASSERT_EQ(boxpatch(dir, {"0", "1", "0", "1", "0", "1"}, options).exit_status, 0);
    struct stat st {};
    ASSERT_EQ(::stat((dir / "cube.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(Boxpatch, OutputFailuresAreReported) {
    const std::vector<std::string> args{"0", "1", "0", "1", "0", "1"};
    {
        temp_dir dir;
        fs::create_directory(dir / "cube.dat");
        const auto r = boxpatch(dir, args);
        EXPECT_EQ(r.exit_status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "boxpatch: cannot create or open \"cube.dat\": Is a directory\n");
    }
    {
        temp_dir dir;
        fs::create_symlink("/dev/full", dir / "cube.dat");
        const auto r = boxpatch(dir, args);
        EXPECT_EQ(r.exit_status, 1);
        EXPECT_EQ(r.err, "boxpatch: cannot write \"cube.dat\": No space left on device\n");
    }
    {
        temp_dir dir;  // like `ulimit -f 0`: the write is refused, and not by SIGXFSZ
        run_options options;
        options.file_size_limit = 0;
        const auto r = boxpatch(dir, args, options);
        EXPECT_EQ(r.signal, 0) << "killed by signal " << r.signal;
        EXPECT_EQ(r.exit_status, 1);
        EXPECT_EQ(r.err, "boxpatch: cannot write \"cube.dat\": File too large\n");
    }
    {
        temp_dir dir;  // a folder in which no file can be made, for root too
        fs::create_symlink("no-such-folder/cube.dat", dir / "cube.dat");
        const auto r = boxpatch(dir, args);
        EXPECT_EQ(r.exit_status, 1);
        EXPECT_EQ(r.err,
                  "boxpatch: cannot create or open \"cube.dat\": No such file or directory\n");
    }
}

}  // namespace

// patchcheck run as a program: its report, its diagnostics, its command line and its outputs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program_runner.hpp"

namespace {

namespace fs = std::filesystem;
using namespace testing_support;

const std::string usage_note =
    " (usage: patchcheck [--vtk FILE.vtu] [--svg FILE.svg] GEOMETRY_FILE...)\n";

run_result patchcheck(const temp_dir& dir, const std::vector<std::string>& args) {
    return run_program(PATCHCHECK, args, dir.path());
}

std::string cube_report() { return read_file(fs::path(CHECK_FIXTURES) / "cube.report"); }

/// A folder holding the worked-example cube.dat.
struct cube_folder {
    temp_dir dir;
    cube_folder() { fs::copy_file(fs::path(GOLDEN_DIR) / "cube.dat", dir / "cube.dat"); }
};

TEST(Patchcheck, ReportsEachFileOnStandardOutput) {
    cube_folder f;
    fs::copy_file(f.dir / "cube.dat", f.dir / "copy.dat");
    const auto r = patchcheck(f.dir, {"cube.dat", "copy.dat"});
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.err, "");
    std::string copy_report = cube_report();
    copy_report.replace(0, 8, "copy.dat");
    EXPECT_EQ(r.out, cube_report() + "\n" + copy_report);
    EXPECT_EQ(list_dir(f.dir.path()), (std::vector<std::string>{"copy.dat", "cube.dat"}));
}

TEST(Patchcheck, NamesEveryBadFileAndGoesOn) {
    cube_folder f;
    std::string bad = read_file(f.dir / "cube.dat");
    bad.replace(bad.find("  1.000000000  1.000000000  0.000000000"), 13, "*************");
    write_file(f.dir / "bad.dat", bad);
    fs::create_directory(f.dir / "folder.dat");
    write_file(f.dir / "old.svg", "an earlier picture\n");

    const auto r = patchcheck(f.dir, {"--svg", "old.svg", "bad.dat", "cube.dat", "missing.dat",
                                      "folder.dat", "--vtk", "new.vtu"});
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.out, cube_report()) << "the well-formed file is still reported";
    EXPECT_EQ(r.err,
              "patchcheck: bad.dat:10: field 1 (x) is 13 asterisks: its value did not fit the "
              "field when the file was written, and is lost\n"
              "patchcheck: missing.dat: cannot read: No such file or directory\n"
              "patchcheck: folder.dat: cannot read: Is a directory\n"
              "patchcheck: \"new.vtu\" not written: not every geometry file is well formed\n"
              "patchcheck: \"old.svg\" not written: not every geometry file is well formed\n");
    EXPECT_EQ(read_file(f.dir / "old.svg"), "an earlier picture\n");
    EXPECT_FALSE(fs::exists(f.dir / "new.vtu"));
}

TEST(Patchcheck, AFifoIsRefusedWithoutWaiting) {
    // Under timeout(1): a reader that waited for a writer would be killed, not hang the suite.
    cube_folder f;
    ASSERT_EQ(::mkfifo((f.dir / "pipe.dat").c_str(), 0644), 0);
    const auto r = run_program(
        "/usr/bin/timeout", {"-s", "KILL", "20", PATCHCHECK, "pipe.dat", "cube.dat"}, f.dir.path());
    EXPECT_EQ(r.exit_status, 1) << "killed after waiting on the FIFO? status " << r.exit_status;
    EXPECT_EQ(r.err, "patchcheck: pipe.dat: cannot read: not a regular file\n");
    EXPECT_EQ(r.out, cube_report());
}

TEST(Patchcheck, WrongCommandLinesChangeNothing) {
    struct Case {
        std::vector<std::string> args;
        std::string diagnostic;
    };
    const Case cases[] = {
        {{}, "no geometry file given"},
        {{"--vtk", "a.vtu"}, "no geometry file given"},
        {{"--verbose", "cube.dat"}, "unknown option \"--verbose\""},
        {{"cube.dat", "--vtk"}, "--vtk needs a file name"},
        {{"--svg", "", "cube.dat"}, "--svg needs a file name"},
        {{"--vtk", "a.vtu", "--vtk", "b.vtu", "cube.dat"}, "--vtk is given twice"},
        {{"--svg", "cube.dat", "cube.dat"},
         "--svg \"cube.dat\" is a geometry file being checked; it would be overwritten"},
        {{"--vtk", "./cube.dat", "cube.dat"},
         "--vtk \"./cube.dat\" is a geometry file being checked; it would be overwritten"},
        {{"--vtk", "same", "--svg", "./same", "cube.dat"},
         "--vtk and --svg name the same file \"same\""},
    };
    for (const Case& c : cases) {
        cube_folder f;
        write_file(f.dir / "same", "x\n");
        const auto r = patchcheck(f.dir, c.args);
        EXPECT_EQ(r.exit_status, 2) << c.diagnostic;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "patchcheck: " + c.diagnostic + usage_note);
        EXPECT_EQ(list_dir(f.dir.path()), (std::vector<std::string>{"cube.dat", "same"}));
        EXPECT_EQ(read_file(f.dir / "cube.dat"), read_file(fs::path(GOLDEN_DIR) / "cube.dat"));
    }
}

TEST(Patchcheck, HelpGoesToStandardOutput) {
    temp_dir dir;
    const auto r = patchcheck(dir, {"--help"});
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(
        r.out.rfind("usage: patchcheck [--vtk FILE.vtu] [--svg FILE.svg] GEOMETRY_FILE...\n", 0),
        0u);
}

TEST(Patchcheck, WritesTheGridAndThePicture) {
    cube_folder f;
    write_file(f.dir / "old.vtu", std::string(200000, 'x'));  // longer than the new grid
    const auto r = patchcheck(f.dir, {"--vtk", "old.vtu", "cube.dat", "--svg", "cube.svg"});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, cube_report());
    const std::string vtu = read_file(f.dir / "old.vtu");
    EXPECT_EQ(vtu.rfind("<?xml version=\"1.0\"?>\n<VTKFile type=\"UnstructuredGrid\"", 0), 0u);
    EXPECT_EQ(vtu.find('x', vtu.rfind("</VTKFile>")), std::string::npos) << "old content is left";
    const std::string svg = read_file(f.dir / "cube.svg");
    EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
    EXPECT_NE(svg.find("cube.dat: right-handed, volume 1</text>"), std::string::npos);
}

TEST(Patchcheck, OutputFailuresAreReported) {
    {
        cube_folder f;
        fs::create_symlink("/dev/full", f.dir / "full.svg");
        const auto r = patchcheck(f.dir, {"--svg", "full.svg", "cube.dat"});
        EXPECT_EQ(r.exit_status, 1);
        EXPECT_EQ(r.out, cube_report());
        EXPECT_EQ(r.err, "patchcheck: cannot write \"full.svg\": No space left on device\n");
    }
    {
        cube_folder f;
        fs::create_directory(f.dir / "grid.vtu");
        const auto r = patchcheck(f.dir, {"--vtk", "grid.vtu", "cube.dat"});
        EXPECT_EQ(r.exit_status, 1);
        EXPECT_EQ(r.err, "patchcheck: cannot create or open \"grid.vtu\": Is a directory\n");
    }
    {
        cube_folder f;  // like `ulimit -f 0`: the write is refused, and not by SIGXFSZ
        run_options options;
        options.file_size_limit = 0;
        const auto r =
            run_program(PATCHCHECK, {"--vtk", "grid.vtu", "cube.dat"}, f.dir.path(), options);
        EXPECT_EQ(r.signal, 0);
        EXPECT_EQ(r.exit_status, 1);
        EXPECT_EQ(r.err, "patchcheck: cannot write \"grid.vtu\": File too large\n");
    }
}

}  // namespace

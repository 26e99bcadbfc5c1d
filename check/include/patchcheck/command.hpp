#pragma once
// The command line of patchcheck and one whole run.

#include <string>
#include <string_view>
#include <vector>

namespace patch::check {

inline constexpr std::string_view usage =
    "patchcheck [--vtk FILE.vtu] [--svg FILE.svg] GEOMETRY_FILE...";

/// Exit status of a run whose command line is wrong; a malformed geometry file or an output that
/// cannot be written gives patch::exit_failure (1).
inline constexpr int exit_usage = 2;

struct options {
    std::string vtk;  ///< empty: no grid is written
    std::string svg;  ///< empty: no picture is drawn
    std::vector<std::string> files;
    bool help = false;
};

struct command {
    options opts;
    std::string error;  ///< why the command line is wrong, or empty
};

/// Reads the arguments after the program's name. Options may stand anywhere among the files;
/// each of --vtk and --svg takes the next argument as its file and may be given once. Any other
/// argument that starts with "--" is an error, except --help; a geometry file whose name starts
/// with "--" is given as "./--name". At least one geometry file is needed, unless --help is
/// given. Touches no file.
command parse_command_line(const std::vector<std::string_view>& args);

/// Why the outputs cannot be written safely, or empty: when --vtk or --svg names one of the
/// geometry files (it would be overwritten), or both name the same file.
std::string output_conflict(const options& o);

/// The help text: the usage line and what the program does.
std::string help_text();

/// Checks every geometry file in order: prints its report on standard output, or a diagnostic
/// "patchcheck: FILE:LINE: reason" on standard error and goes on with the next file. Then, only
/// if every file was well formed, writes the --vtk grid and the --svg picture of all of them.
/// Returns 0 when every file is well formed and every output was written, exit_failure when a
/// file is malformed or unreadable. Throws patch::failure when an output or the report cannot
/// be written.
int run_check(const options& o);

}  // namespace patch::check

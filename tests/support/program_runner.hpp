#pragma once
// Runs the built programs as a user would: in a folder of their own, with their output captured.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

/// A fresh, empty folder that is removed with everything in it when the object goes.
class temp_dir {
  public:
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

struct run_options {
    std::optional<unsigned long> file_size_limit;  ///< RLIMIT_FSIZE in bytes, like `ulimit -f`
    std::optional<mode_t> umask;
    std::vector<std::string> extra_env;  ///< "NAME=value" entries added to the environment
    std::optional<unsigned long> address_space_limit;  ///< RLIMIT_AS in bytes, like `ulimit -v`
};

struct run_result {
    int exit_status = -1;  ///< exit code, or -1 when the process did not exit normally
    int signal = 0;        ///< the signal that ended it, if any
    std::string out;       ///< everything written to standard output
    std::string err;       ///< everything written to standard error
};

/// The end of every diagnostic for a value too wide for its 13-character field.
inline const std::string unfit_field_tail =
    " does not fit a 13-character field with nine decimals (from -99.999999999 to "
    "999.999999999); no file was written\n";

/// Runs `program` with `args` in the folder `cwd` and waits for it.
run_result run_program(const std::string& program, const std::vector<std::string>& args,
                       const std::filesystem::path& cwd, const run_options& options = {});

std::string read_file(const std::filesystem::path& p);
void write_file(const std::filesystem::path& p, const std::string& content);

/// Names of the entries in `dir`, sorted.
std::vector<std::string> list_dir(const std::filesystem::path& dir);

/// Line `n` (from 1) of `text`, without its line feed; empty if there is no such line.
std::string line_of(const std::string& text, int n);

/// Number of line feeds in `text`.
int count_lines(const std::string& text);

}  // namespace testing_support

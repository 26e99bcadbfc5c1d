#include "patchcheck/command.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>

#include "patch/failure.hpp"
#include "patch/text_file.hpp"
#include "patchcheck/measure.hpp"
#include "patchcheck/read_geometry.hpp"
#include "patchcheck/svg.hpp"
#include "patchcheck/vtk.hpp"

namespace patch::check {

namespace {

void print_diagnostic(const std::string& message) {
    const std::string line = "patchcheck: " + message + "\n";
    // A diagnostic that cannot be written has nowhere else to go; the exit status still tells.
    (void)std::fwrite(line.data(), 1, line.size(), stderr);
    (void)std::fflush(stderr);
}

std::string shown(std::string_view name) { return quote_for_diagnostic(name, 200); }

/// The whole content of a regular file, or the reason of the failure. A FIFO or a device is
/// refused before a byte is read (O_NONBLOCK keeps a FIFO from waiting for a writer), so the
/// reading always ends; a geometry file is small, so the whole text is held.
std::optional<std::string> read_whole_file(const std::string& name, std::string& reason) {
    int fd;
    do {
        fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        reason = system_reason(errno);
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        reason = system_reason(errno);
        ::close(fd);
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = S_ISDIR(st.st_mode) ? system_reason(EISDIR) : "not a regular file";
        ::close(fd);
        return std::nullopt;
    }
    std::string text;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            reason = system_reason(errno);
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        text.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);  // read-only: nothing can be lost at the close
    return text;
}

void write_stdout(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
        throw failure("cannot write the report to standard output: " + system_reason(errno));
}

struct file_id {
    dev_t dev;
    ino_t ino;
};

std::optional<file_id> identify(const std::string& name) {
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0) return std::nullopt;
    return file_id{st.st_dev, st.st_ino};
}

bool same_file(const std::string& a, const std::string& b) {
    if (a == b) return true;
    const auto ia = identify(a), ib = identify(b);
    return ia && ib && ia->dev == ib->dev && ia->ino == ib->ino;
}

}  // namespace

command parse_command_line(const std::vector<std::string_view>& args) {
    command c;
    for (std::size_t i = 0; i < args.size() && c.error.empty(); ++i) {
        const std::string_view a = args[i];
        if (a == "--help") {
            c.opts.help = true;
        } else if (a == "--vtk" || a == "--svg") {
            std::string& target = a == "--vtk" ? c.opts.vtk : c.opts.svg;
            if (i + 1 >= args.size() || args[i + 1].empty())
                c.error = std::string(a) + " needs a file name";
            else if (!target.empty())
                c.error = std::string(a) + " is given twice";
            else
                target = std::string(args[++i]);
        } else if (a.starts_with("--")) {
            c.error = "unknown option \"" + quote_for_diagnostic(a, 40) + "\"";
        } else {
            c.opts.files.emplace_back(a);
        }
    }
    if (c.error.empty() && c.opts.files.empty() && !c.opts.help) c.error = "no geometry file given";
    return c;
}

std::string output_conflict(const options& o) {
    for (const auto& [option, out] : {std::pair{"--vtk", o.vtk}, std::pair{"--svg", o.svg}}) {
        if (out.empty()) continue;
        for (const std::string& f : o.files)
            if (same_file(out, f))
                return std::string(option) + " \"" + shown(out) +
                       "\" is a geometry file being checked; it would be overwritten";
    }
    if (!o.vtk.empty() && !o.svg.empty() && same_file(o.vtk, o.svg))
        return "--vtk and --svg name the same file \"" + shown(o.vtk) + "\"";
    return {};
}

std::string help_text() {
    return "usage: " + std::string(usage) +
           "\n"
           "Checks that each geometry file is well formed, and reports its degrees, counts,\n"
           "parameter domain, bounding box, volume, Jacobian determinant and handedness.\n"
           "  --vtk FILE.vtu  also write the volumes and their control nets as a VTK grid\n"
           "  --svg FILE.svg  also draw the volumes in an SVG picture\n"
           "Exit status: 0 when every file is well formed, 1 when one is not or an output\n"
           "cannot be written, 2 for a wrong command line.\n";
}

int run_check(const options& o) {
    std::vector<checked_volume> checked;
    bool malformed = false;
    for (const std::string& name : o.files) {
        std::string reason;
        const std::optional<std::string> text = read_whole_file(name, reason);
        if (!text) {
            print_diagnostic(shown(name) + ": cannot read: " + reason);
            malformed = true;
            continue;
        }
        read_result r = read_geometry(*text);
        if (!r.volume) {
            print_diagnostic(shown(name) + ":" + std::to_string(r.error.line) + ": " +
                             r.error.reason);
            malformed = true;
            continue;
        }
        checked_volume cv{name, std::move(*r.volume), {}};
        cv.m = measure_volume(cv.volume);
        write_stdout((checked.empty() ? "" : "\n") + format_report(shown(name), cv.volume, cv.m));
        checked.push_back(std::move(cv));
    }
    if (malformed) {
        for (const std::string& out : {o.vtk, o.svg})
            if (!out.empty())
                print_diagnostic("\"" + shown(out) +
                                 "\" not written: not every geometry file is well formed");
        return exit_failure;
    }
    if (!o.vtk.empty()) write_text_file(o.vtk, vtk_unstructured_grid(checked));
    if (!o.svg.empty()) write_text_file(o.svg, svg_picture(checked));
    return 0;
}

}  // namespace patch::check

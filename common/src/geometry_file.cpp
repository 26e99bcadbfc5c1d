#include "patch/geometry_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <string>

#include "patch/failure.hpp"
#include "patch/format_fixed.hpp"

namespace patch {

namespace {

void append_header_item(std::string& text, int n) {
    char buf[16];
    const auto res = std::to_chars(buf, buf + sizeof buf, n);
    const auto len = static_cast<std::size_t>(res.ptr - buf);
    text.append(12 - len, ' ');  // every int32 fits in 11 characters after the leading blank
    text.append(buf, len);
}

void append_field(geometry_file& f, int field, double v) {
    const fixed_field text = format_fixed(v);
    if (text[0] == '*' && !f.unwritable) f.unwritable = unwritable_value{f.lines + 1, field, v};
    f.text.append(text.data(), text.size());
}

void end_line(geometry_file& f) {
    f.text.push_back('\n');
    ++f.lines;
}

std::string shortest_text(double v) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return {buf, static_cast<std::size_t>(res.ptr - buf)};
}

[[noreturn]] void fail_on_file(const geometry_file& f, std::string_view what, int err) {
    throw failure("cannot " + std::string(what) + " \"" + quote_for_diagnostic(f.name, 200) +
                  "\": " + system_reason(err));
}

}  // namespace

geometry_file open_geometry_file(std::string_view name) {
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    geometry_file f;
    f.name = std::string(name);
    return f;
}

void write_header(geometry_file& f, int dimension, const std::array<int, 3>& degrees,
                  const std::array<int, 3>& counts) {
    append_header_item(f.text, dimension);
    end_line(f);
    for (const auto& line : {degrees, counts}) {
        for (const int n : line) append_header_item(f.text, n);
        end_line(f);
    }
}

void write_knot_line(geometry_file& f, std::span<const double> knots) {
    int field = 0;
    for (const double k : knots) append_field(f, ++field, k);
    end_line(f);
}

void write_point_line(geometry_file& f, double x, double y, double z, double w) {
    append_field(f, 1, x);
    append_field(f, 2, y);
    append_field(f, 3, z);
    append_field(f, 4, w);
    end_line(f);
}

void write_corner_block(geometry_file& f) {
    // The block always holds 2 to 9; it does not count on from an earlier file.
    for (char c = '2'; c <= '9'; ++c) {
        f.text.append("    ");
        f.text.push_back(c);
        end_line(f);
    }
}

void check_geometry_file(const geometry_file& f) {
    if (!f.unwritable) return;
    const unwritable_value& u = *f.unwritable;
    throw failure("cannot write \"" + quote_for_diagnostic(f.name, 200) + "\": line " +
                  std::to_string(u.line) + ", field " + std::to_string(u.field) + ": the value " +
                  shortest_text(u.value) +
                  " does not fit a 13-character field with nine decimals "
                  "(from -99.999999999 to 999.999999999); no file was written");
}

void close_geometry_file(const geometry_file& f) {
    check_geometry_file(f);

    // Beyond a file-size limit the write must fail with EFBIG and be reported, not kill the
    // process with SIGXFSZ.
    (void)std::signal(SIGXFSZ, SIG_IGN);  // cannot fail for a valid signal number

    // O_TRUNC on an existing file rewrites it in place: its inode, owner, mode and links stay.
    int fd;
    do {
        fd = ::open(f.name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) fail_on_file(f, "create or open", errno);

    const char* p = f.text.data();
    std::size_t left = f.text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : EIO;
            ::close(fd);
            fail_on_file(f, "write", err);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    // close() reports deferred write errors on some file systems; EINTR must not be retried on
    // Linux because the descriptor is already gone.
    if (::close(fd) != 0 && errno != EINTR) fail_on_file(f, "close", errno);
}

}  // namespace patch

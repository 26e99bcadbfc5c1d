#include "patch/geometry_file.hpp"

#include <charconv>
#include <cstring>
#include <string>

#include "patch/failure.hpp"
#include "patch/format_fixed.hpp"
#include "patch/text_file.hpp"

namespace patch {

namespace {

// A blank, then n right-aligned in 11 characters; every int32 fits, "-2147483648" included.
void append_header_item(std::string& text, int n) {
    char item[12];
    std::memset(item, ' ', sizeof item);
    const bool negative = n < 0;
    auto magnitude = negative ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
    std::size_t at = sizeof item;
    do {
        item[--at] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) item[--at] = '-';
    text.append(item, sizeof item);
}

// Appends the fields of `values` and a line feed, rendering each straight into the text.
void append_fixed_line(geometry_file& f, std::span<const double> values) {
    const std::size_t start = f.text.size();
    f.text.resize(start + values.size() * fixed_width + 1);
    char* out = f.text.data() + start;
    int field = 0;
    for (const double v : values) {
        ++field;
        if (!write_fixed(v, out) && !f.unwritable)
            f.unwritable = unwritable_value{f.lines + 1, field, v};
        out += fixed_width;
    }
    *out = '\n';
    ++f.lines;
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

}  // namespace

geometry_file open_geometry_file(std::string_view name) {
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    geometry_file f;
    f.name = std::string(name);
    f.text.reserve(8192);  // the largest file written (142 lines) is 7.1 KB: one allocation
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
    append_fixed_line(f, knots);
}

void write_point_line(geometry_file& f, double x, double y, double z, double w) {
    const double fields[] = {x, y, z, w};
    append_fixed_line(f, fields);
}

void write_corner_block(geometry_file& f) {
    // The block always holds 2 to 9; it does not count on from an earlier file.
    static constexpr std::string_view block =
        "    2\n    3\n    4\n    5\n    6\n    7\n    8\n    9\n";
    f.text.append(block);
    f.lines += 8;
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
    write_text_file(f.name, f.text);
}

}  // namespace patch

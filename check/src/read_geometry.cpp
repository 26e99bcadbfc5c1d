#include "patchcheck/read_geometry.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>
#include <utility>

#include "patch/failure.hpp"

namespace patch::check {

namespace {

constexpr std::size_t field_width = 13;
constexpr std::size_t header_item_width = 12;
constexpr std::size_t corner_width = 5;
constexpr int corner_lines = 8;
constexpr const char* direction_names[3] = {"1", "2", "3"};

/// A fault found while reading; caught in read_geometry and turned into a read_error.
struct refusal {
    int line;
    std::string reason;
};

std::string quoted(std::string_view s) { return "\"" + quote_for_diagnostic(s, 60) + "\""; }

std::string trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    return std::string(s);
}

/// The text, one line at a time, each without its line feed.
class line_source {
  public:
    explicit line_source(std::string_view text) : text_(text) {}

    int number() const { return number_; }
    bool at_end() const { return pos_ == text_.size(); }

    /// The next line; `what` names it for the reason when the file has ended before it.
    std::string_view next(const std::string& what) {
        if (at_end()) throw refusal{number_ + 1, "the file ends before " + what};
        ++number_;
        const std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos)
            throw refusal{number_, "the last line does not end with a line feed"};
        const std::string_view line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        return line;
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int number_ = 0;
};

void check_length(const line_source& src, std::string_view line, const std::string& what,
                  std::uint64_t expected, const std::string& expected_text = {}) {
    if (line.size() == expected) return;
    std::string reason =
        what + ": expected " +
        (expected_text.empty() ? std::to_string(expected) + " characters" : expected_text) +
        ", found " + std::to_string(line.size());
    if (!line.empty() && line.back() == '\r') reason += " (the line ends in a carriage return)";
    throw refusal{src.number(), reason};
}

bool all_digits(std::string_view s) {
    if (s.empty()) return false;
    for (const char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

/// An integer right-aligned in `item`: blanks, an optional "-", digits.
std::optional<long long> right_aligned_integer(std::string_view item) {
    std::size_t start = 0;
    while (start < item.size() && item[start] == ' ') ++start;
    std::string_view digits = item.substr(start);
    if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
    if (!all_digits(digits)) return std::nullopt;
    long long v = 0;
    const char* first = item.data() + start;
    const char* last = item.data() + item.size();
    const auto res = std::from_chars(first, last, v);
    if (res.ec != std::errc{} || res.ptr != last) return std::nullopt;
    return v;
}

/// The three header items of a degrees or counts line (or the single one of the dimension line).
template <std::size_t N>
std::array<long long, N> read_header_line(line_source& src, const std::string& what) {
    const std::string_view line = src.next("the " + what);
    check_length(src, line, "the " + what, N * header_item_width);
    std::array<long long, N> values{};
    for (std::size_t i = 0; i < N; ++i) {
        const std::string_view item = line.substr(i * header_item_width, header_item_width);
        const auto v = item.front() == ' ' ? right_aligned_integer(item.substr(1)) : std::nullopt;
        if (!v)
            throw refusal{src.number(),
                          "the " + what + ", item " + std::to_string(i + 1) + " " + quoted(item) +
                              ": not a blank and an integer right-aligned in 11 characters"};
        values[i] = *v;
    }
    return values;
}

/// One 13-character field: a number with nine decimals or one of the words NaN, Infinity,
/// -Infinity, right-aligned.
double read_field(const line_source& src, std::string_view field, const std::string& what) {
    if (field.find_first_not_of('*') == std::string_view::npos)
        throw refusal{src.number(), what +
                                        " is 13 asterisks: its value did not fit the field "
                                        "when the file was written, and is lost"};
    const std::string t = trimmed(field);
    if (t == "NaN") return std::numeric_limits<double>::quiet_NaN();
    if (t == "Infinity") return std::numeric_limits<double>::infinity();
    if (t == "-Infinity") return -std::numeric_limits<double>::infinity();

    std::string_view body = t;
    if (!body.empty() && body.front() == '-') body.remove_prefix(1);
    const std::size_t point = body.find('.');
    const bool layout_ok = point != std::string_view::npos && point >= 1 &&
                           all_digits(body.substr(0, point)) && body.size() - point - 1 == 9 &&
                           all_digits(body.substr(point + 1));
    double v = 0.0;
    if (layout_ok) {
        const auto res =
            std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::fixed);
        if (res.ec == std::errc{} && res.ptr == t.data() + t.size()) return v;
    }
    throw refusal{src.number(), what + " " + quoted(field) +
                                    ": not a number with nine decimals right-aligned in 13 "
                                    "characters"};
}

/// The fields of a knot or point line whose length is already checked.
std::string_view field_of(std::string_view line, std::size_t i) {
    return line.substr(i * field_width, field_width);
}

std::string shortest(double v) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return {buf, static_cast<std::size_t>(res.ptr - buf)};
}

nurbs_volume read_volume(line_source& src) {
    nurbs_volume vol;

    const auto dimension = read_header_line<1>(src, "dimension line")[0];
    if (dimension != 3)
        throw refusal{src.number(), "the dimension is " + std::to_string(dimension) +
                                        "; a geometry file describes a volume, dimension 3"};

    const auto degrees = read_header_line<3>(src, "degrees line");
    for (int d = 0; d < 3; ++d) {
        if (degrees[d] < 1)
            throw refusal{src.number(),
                          "the degree of direction " + std::string(direction_names[d]) + " is " +
                              std::to_string(degrees[d]) + "; a degree is at least 1"};
        if (degrees[d] > std::numeric_limits<int>::max())
            throw refusal{src.number(),
                          "the degree of direction " + std::string(direction_names[d]) + " is " +
                              std::to_string(degrees[d]) + "; it does not fit a 32-bit integer"};
        vol.degree[d] = static_cast<int>(degrees[d]);
    }

    const auto counts = read_header_line<3>(src, "counts line");
    for (int d = 0; d < 3; ++d) {
        const std::string dir = direction_names[d];
        if (counts[d] < 1)
            throw refusal{src.number(), "the count of direction " + dir + " is " +
                                            std::to_string(counts[d]) + "; a count is at least 1"};
        if (counts[d] <= degrees[d])
            throw refusal{src.number(), "direction " + dir + " has " + std::to_string(counts[d]) +
                                            " control points for degree " +
                                            std::to_string(degrees[d]) + "; it needs at least " +
                                            std::to_string(degrees[d] + 1)};
        if (counts[d] > std::numeric_limits<int>::max())
            throw refusal{src.number(), "the count of direction " + dir + " is " +
                                            std::to_string(counts[d]) +
                                            "; it does not fit a 32-bit integer"};
        vol.count[d] = static_cast<int>(counts[d]);
    }

    for (int d = 0; d < 3; ++d) {
        const std::string what = "the knot line of direction " + std::string(direction_names[d]);
        const std::string_view line = src.next(what);
        // At most 2^32 knots: the product cannot overflow.
        const auto knots = static_cast<std::uint64_t>(counts[d] + degrees[d] + 1);
        check_length(src, line, what, knots * field_width,
                     std::to_string(knots) + " knots (" + std::to_string(knots * field_width) +
                         " characters)");
        auto& u = vol.knots[d];
        u.reserve(knots);
        for (std::size_t i = 0; i < knots; ++i) {
            const std::string field_name = "knot " + std::to_string(i + 1);
            const double k = read_field(src, field_of(line, i), field_name);
            if (!std::isfinite(k))
                throw refusal{src.number(), field_name + " is " + trimmed(field_of(line, i)) +
                                                "; a knot must be finite"};
            if (!u.empty() && k < u.back())
                throw refusal{src.number(), field_name + " (" + shortest(k) +
                                                ") is less than knot " + std::to_string(i) + " (" +
                                                shortest(u.back()) + "); knots must not decrease"};
            u.push_back(k);
        }
        if (vol.first(d) == vol.last(d))
            throw refusal{src.number(),
                          "the parameter domain of direction " + std::string(direction_names[d]) +
                              " has zero length: knots " + std::to_string(vol.degree[d] + 1) +
                              " and " + std::to_string(vol.count[d] + 1) + " are both " +
                              shortest(vol.first(d))};
    }

    long long total = 0;
    const bool too_many = __builtin_mul_overflow(counts[0], counts[1], &total) ||
                          __builtin_mul_overflow(total, counts[2], &total);
    const std::string of_total =
        too_many ? std::string(" of more than any file can hold") : " of " + std::to_string(total);
    const std::string layout_note = too_many ? std::string()
                                             : " (counts " + std::to_string(counts[0]) + " " +
                                                   std::to_string(counts[1]) + " " +
                                                   std::to_string(counts[2]) + " make a file of " +
                                                   std::to_string(14 + total) + " lines)";
    for (long long n = 1; too_many || n <= total; ++n) {
        const std::string what = "point line " + std::to_string(n) + of_total;
        const std::string_view line = src.next(what + layout_note);
        check_length(src, line, what, 4 * field_width);
        static constexpr const char* names[4] = {"x", "y", "z", "weight"};
        double v[4];
        for (std::size_t i = 0; i < 4; ++i) {
            const std::string field_name = "field " + std::to_string(i + 1) + " (" + names[i] + ")";
            v[i] = read_field(src, field_of(line, i), field_name);
            if (i < 3 && !std::isfinite(v[i]))
                throw refusal{src.number(), field_name + " is " + trimmed(field_of(line, i)) +
                                                "; a coordinate must be finite"};
            if (i == 3 && !(std::isfinite(v[i]) && v[i] > 0.0))
                throw refusal{src.number(), field_name + " is " + trimmed(field_of(line, i)) +
                                                "; a weight must be positive and finite"};
        }
        vol.points.push_back({v[0], v[1], v[2], v[3]});
    }

    for (int i = 0; i < corner_lines; ++i) {
        const std::string what = "corner line " + std::to_string(i + 1) + " of 8";
        const std::string_view line = src.next(what + layout_note);
        check_length(src, line, what, corner_width);
        const auto v = right_aligned_integer(line);
        if (!v)
            throw refusal{src.number(), what + " " + quoted(line) +
                                            ": not an integer right-aligned in 5 characters"};
        if (*v != i + 2)
            throw refusal{src.number(), what + " holds " + std::to_string(*v) + ", not " +
                                            std::to_string(i + 2) +
                                            "; the corner block holds 2 to 9 in order"};
    }

    if (!src.at_end())
        throw refusal{src.number() + 1, "the file goes on after its corner block" + layout_note};
    return vol;
}

}  // namespace

read_result read_geometry(std::string_view text) {
    line_source src(text);
    try {
        return {read_volume(src), {}};
    } catch (refusal& r) {
        if (text.empty()) r.reason += " (the file is empty)";
        return {std::nullopt, {r.line, std::move(r.reason)}};
    }
}

}  // namespace patch::check

#include "patch/control_net.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "patch/failure.hpp"
#include "patch/number.hpp"

namespace patch {

control_net_parser::control_net_parser(int rows) : rows_(rows) {
    result_.net.reserve(static_cast<std::size_t>(std::max(rows, 0)));
    done_ = rows <= 0;
}

bool control_net_parser::feed(std::string_view bytes) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end && !done_) {
        if (discarding_) {
            // The rest of a line after its fourth value is skipped unread, however long.
            const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
            if (nl == nullptr) return false;
            p = static_cast<const char*>(nl) + 1;
            discarding_ = false;
            ++line_;
            continue;
        }
        if (!in_value_) {
            while (p < end && (*p == ' ' || *p == '\t' || *p == '\r')) ++p;
            if (p == end) break;
            const char c = *p;
            if (c == '\n' || c == ',' || c == '/') {
                separate(c);
                ++p;
            } else {
                in_value_ = true;
                value_.clear();
            }
            continue;
        }
        // Inside a value: take it whole from this chunk when it ends here, else keep its start
        // for the next chunk. Either way never more than max_value_length characters.
        const char* stop = p;
        const std::size_t room = max_value_length + 1 - value_.size();
        const char* const limit = static_cast<std::size_t>(end - p) > room ? p + room : end;
        while (stop < limit && !is_item_end(*stop)) ++stop;
        const auto taken = static_cast<std::size_t>(stop - p);
        if (value_.size() + taken > max_value_length) {
            value_.append(p, max_value_length - value_.size());
            fail(net_error::value_too_long, value_);
            break;
        }
        if (stop == end) {
            value_.append(p, taken);  // the value may go on in the next chunk
            break;
        }
        in_value_ = false;
        if (value_.empty()) {
            end_value({p, taken});
        } else {
            value_.append(p, taken);
            end_value(value_);
        }
        p = stop;  // the separator is handled on the next turn, or skipped with the line
    }
    return done_;
}

void control_net_parser::separate(char c) {
    switch (c) {
        case '\n':
            ++line_;  // a line end separates like a blank; the row goes on on the next line
            return;
        case ',':
            // A comma right after a value (blanks and line ends between allowed) only separates;
            // one at the start of a row or after another comma stands for an empty value.
            if (sep_ != separator::after_value) return fail(net_error::empty_value);
            sep_ = separator::after_comma;
            return;
        default:                                // '/'
            return fail(net_error::cut_short);  // a slash always ends a row before its fourth value
    }
}

void control_net_parser::end_value(std::string_view item) {
    const list_item parsed = parse_list_item(item);
    switch (parsed.what) {
        case list_item::kind::value:
            return take_value(parsed.value, parsed.repeat);
        case list_item::kind::no_value:
            return fail(net_error::empty_value);
        case list_item::kind::malformed:
            return fail(net_error::malformed, item);
    }
}

void control_net_parser::take_value(double v, std::uint64_t copies) {
    const auto room = static_cast<std::uint64_t>(4 - column_);
    const int n = static_cast<int>(std::min(copies, room));
    for (int k = 0; k < n; ++k) current_[static_cast<std::size_t>(column_++)] = v;
    sep_ = separator::after_value;
    if (column_ < 4) return;

    result_.net.push_back(current_);
    current_ = {};
    column_ = 0;
    sep_ = separator::row_start;
    if (static_cast<int>(result_.net.size()) == rows_) {
        done_ = true;  // lines after the last row are never read
    } else {
        discarding_ = true;
    }
}

void control_net_parser::fail(net_error e, std::string_view text) {
    result_.error = e;
    result_.row = static_cast<int>(result_.net.size()) + 1;
    result_.column = column_ + 1;
    result_.line = e == net_error::end_of_file ? 0 : line_;
    result_.text = text;
    in_value_ = false;
    done_ = true;
}

net_result control_net_parser::finish() {
    if (!done_ && in_value_) {
        in_value_ = false;
        end_value(value_);
    }
    if (!done_) fail(net_error::end_of_file);
    return std::move(result_);
}

net_result parse_control_net(std::string_view text, int rows) {
    control_net_parser p(rows);
    p.feed(text);
    return p.finish();
}

namespace {

net_result file_failure(net_error e, int err) {
    net_result r;
    r.error = e;
    r.system_error = err;
    return r;
}

// Closes a descriptor that was only read from: nothing can be lost, so the result is of no use.
void close_read_only(int fd) noexcept { (void)::close(fd); }

}  // namespace

net_result read_control_net_file(const std::string& name, int rows) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer. Anything but a regular file is then
    // refused before a byte is read.
    int fd;
    do {
        fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return file_failure(net_error::cannot_open, errno);

    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        close_read_only(fd);
        return file_failure(net_error::read_failed, err);
    }
    if (!S_ISREG(st.st_mode)) {
        close_read_only(fd);
        return file_failure(net_error::not_a_regular_file, S_ISDIR(st.st_mode) ? EISDIR : 0);
    }

    control_net_parser parser(rows);
    char buf[65536];
    while (!parser.done()) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            close_read_only(fd);
            return file_failure(net_error::read_failed, err);
        }
        if (n == 0) break;
        parser.feed({buf, static_cast<std::size_t>(n)});
    }
    close_read_only(fd);
    return parser.finish();
}

std::string describe_net_error(const std::string& name, const net_result& r) {
    std::string file = "\"";
    file.append(quote_for_diagnostic(name, 200)).push_back('"');
    std::string where =
        file + " row " + std::to_string(r.row) + ", column " + std::to_string(r.column);
    if (r.line > 0) where += " (line " + std::to_string(r.line) + ")";
    switch (r.error) {
        case net_error::none:
            return {};
        case net_error::cannot_open:
            return "cannot open " + file + ": " + system_reason(r.system_error);
        case net_error::not_a_regular_file:
            return "cannot read " + file + ": " +
                   (r.system_error != 0 ? system_reason(r.system_error) : "not a regular file");
        case net_error::read_failed:
            return "cannot read " + file + ": " + system_reason(r.system_error);
        case net_error::end_of_file:
            return where + ": end of file before row " + std::to_string(r.row) + " was complete";
        case net_error::malformed:
            return where + ": \"" + quote_for_diagnostic(r.text) + "\" is not a valid real number";
        case net_error::empty_value:
            return where + ": empty value; every column needs a number";
        case net_error::cut_short:
            return where + ": a slash ends the row before its fourth value";
        case net_error::value_too_long:
            return where + ": a value longer than " + std::to_string(max_value_length) +
                   " characters";
    }
    return {};
}

control_net read_control_net(const std::string& name, int rows) {
    net_result r = read_control_net_file(name, rows);
    if (r.error != net_error::none) throw failure(describe_net_error(name, r));
    return std::move(r.net);
}

}  // namespace patch

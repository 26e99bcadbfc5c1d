#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace patch {

/// One control point of a planar net as its file gives it: x, y, a third value that the
/// generators never write, and the weight w.
using net_row = std::array<double, 4>;

/// The rows of a control-net file in file order.
using control_net = std::vector<net_row>;

/// Why a control-net file could not be read.
enum class net_error {
    none,
    cannot_open,         ///< open() refused the file; system_error holds the reason
    not_a_regular_file,  ///< a directory, FIFO, device or socket of that name
    read_failed,         ///< fstat() or read() failed; system_error holds the reason
    end_of_file,         ///< the input ended before the last row was complete
    malformed,           ///< not a valid real number (a word, 1.0x, 1..0, a repeat count of 0)
    empty_value,         ///< ",," or a leading comma or a bare "r*" would leave the column unset
    cut_short,           ///< a slash ended the row before its fourth value
    value_too_long,      ///< one value longer than max_value_length characters
};

/// The longest value the reader accepts. Longer text is refused rather than buffered, so a
/// file of one endless "number" cannot take the memory; 17 significant digits need about 25.
inline constexpr std::size_t max_value_length = 1024;

/// The outcome of reading a control net. On success `net` holds exactly the rows asked for;
/// on failure `row` and `column` (from 1) say where the failure stands, `line` the line of the
/// file it is on (0 when it is at the end of the input), and `net` the rows read before it.
struct net_result {
    net_error error = net_error::none;
    int row = 0;
    int column = 0;
    long long line = 0;
    int system_error = 0;  ///< errno for cannot_open and read_failed
    std::string text;      ///< the malformed value, as far as it was read
    control_net net;
};

/// The reading of a control-net file as a state machine over its bytes, in chunks of any size.
/// Memory stays bounded whatever the input: one value of at most max_value_length characters
/// and the rows.
///
/// Rules: a row is four values, separated by blanks, tabs, commas (with or without blanks
/// around them) or line ends, so a row may spread over several lines, and blank lines are
/// passed over. A line may end in CR LF. Once the fourth value is taken the rest of its line is
/// discarded and the next row starts on the following line. A repeat count "r*v" stands for r
/// copies of v; copies beyond the fourth value are discarded with the line. Every value is read
/// by parse_list_item. A column that would be left unset (a comma at the start of a row, two
/// commas with only blanks or line ends between them, a bare "r*", or a slash before the fourth
/// value) is a failure, not an invented number.
class control_net_parser {
  public:
    explicit control_net_parser(int rows);

    /// Takes the next bytes of the input. Returns true once the reading is over (all rows read,
    /// or a failure): the parser wants no more bytes, and the rest of the input stays unread.
    bool feed(std::string_view bytes);

    /// True once the reading is over.
    bool done() const noexcept { return done_; }

    /// Ends the input and returns the result. Call once, after the last feed.
    net_result finish();

  private:
    void separate(char c);
    void end_value(std::string_view item);
    void take_value(double v, std::uint64_t copies);
    void fail(net_error e, std::string_view text = {});

    enum class separator { row_start, after_value, after_comma };

    int rows_;
    net_row current_{};
    int column_ = 0;  // columns of the current row already filled
    separator sep_ = separator::row_start;
    bool in_value_ = false;
    bool discarding_ = false;  // skipping the rest of a line after a fourth value
    bool done_ = false;
    long long line_ = 1;
    std::string value_;
    net_result result_;
};

/// Reads the whole text as one control-net file of `rows` rows.
net_result parse_control_net(std::string_view text, int rows);

/// Opens the file `name` (relative to the working directory) read-only, refuses anything but a
/// regular file, streams it through control_net_parser and closes it. Never creates, truncates
/// or writes a file; never blocks on a FIFO; reads nothing after the last row. Never throws
/// except for an exhausted memory.
net_result read_control_net_file(const std::string& name, int rows);

/// The one-line diagnostic for a failed result, without the program's name.
std::string describe_net_error(const std::string& name, const net_result& r);

/// The `rows` rows of the control-net file `name`. On failure throws patch::failure with the
/// diagnostic, which names the file and the reason and, for a fault in the text, the row and
/// the column.
control_net read_control_net(const std::string& name, int rows);

}  // namespace patch

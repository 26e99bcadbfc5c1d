#pragma once

#include <span>
#include <string_view>

#include "patch/number.hpp"

namespace patch {

/// Why a command-line argument could not be read as a number.
enum class arg_error {
    none,
    end_of_input,  ///< missing, empty, or only blanks and tabs
    malformed,     ///< not a valid real number, or an argument that supplies no value
};

struct arg_result {
    arg_error error = arg_error::none;
    double value = 0.0;
};

/// Reads a whole argument as one number. Leading blanks and tabs are skipped; the value ends at
/// the first blank, tab, comma, slash, carriage return or line feed, and whatever follows it is
/// ignored ("1.5 abc" is 1.5). A repeat count is accepted and changes nothing ("3*2.5" is 2.5).
/// An argument that supplies no value ("," "/" "2*") is malformed. See parse_list_item for the
/// number grammar and the rounding.
arg_result parse_real_arg(std::string_view arg) noexcept;

/// The program's arguments after its name: args[0] is argument 1.
struct command_line {
    std::span<const char* const> args;
    std::string_view usage;  ///< the expected command line, named in argument diagnostics
};

command_line make_command_line(int argc, const char* const* argv, std::string_view usage) noexcept;

/// The number in argument n (1 for the first after the program name). A missing argument reads
/// as an empty one. On failure throws patch::failure naming the position, the argument's text,
/// the reason and the expected command line.
double read_real_arg(const command_line& cl, int n);

}  // namespace patch

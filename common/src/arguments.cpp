#include "patch/arguments.hpp"

#include <string>

#include "patch/failure.hpp"

namespace patch {

arg_result parse_real_arg(std::string_view arg) noexcept {
    std::size_t start = 0;
    while (start < arg.size() && (arg[start] == ' ' || arg[start] == '\t')) ++start;
    if (start == arg.size()) return {arg_error::end_of_input, 0.0};

    std::size_t end = start;
    while (end < arg.size() && !is_item_end(arg[end])) ++end;
    // A leading comma or slash gives an empty item, which parses as malformed, as does "2*".
    const list_item item = parse_list_item(arg.substr(start, end - start));
    if (item.what != list_item::kind::value) return {arg_error::malformed, 0.0};
    return {arg_error::none, item.value};
}

command_line make_command_line(int argc, const char* const* argv, std::string_view usage) noexcept {
    if (argc < 1 || argv == nullptr) return {{}, usage};
    return {std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc - 1)), usage};
}

double read_real_arg(const command_line& cl, int n) {
    const bool present = n >= 1 && static_cast<std::size_t>(n) <= cl.args.size();
    const std::string_view text = present ? cl.args[static_cast<std::size_t>(n) - 1] : "";
    const arg_result r = parse_real_arg(text);
    if (r.error == arg_error::none) return r.value;

    std::string msg = "argument " + std::to_string(n);
    msg += present ? " \"" + quote_for_diagnostic(text) + "\": " : " (missing): ";
    msg += r.error == arg_error::end_of_input ? "end of input" : "not a valid real number";
    msg += " (usage: ";
    msg += cl.usage;
    msg += ')';
    throw failure(msg);
}

}  // namespace patch

// patchcheck: reads geometry files back, checks them, measures them and pictures them.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "patch/failure.hpp"
#include "patchcheck/command.hpp"

int main(int argc, char** argv) {
    using namespace patch::check;
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const command cmd = parse_command_line(args);
    std::string error = cmd.error;
    if (error.empty() && !cmd.opts.help) error = output_conflict(cmd.opts);
    if (!error.empty()) {
        const std::string line = "patchcheck: " + error + " (usage: " + std::string(usage) + ")\n";
        (void)std::fputs(line.c_str(), stderr);
        return exit_usage;
    }
    int status = 0;
    const int edge = patch::run_program("patchcheck", [&] {
        if (cmd.opts.help) {
            const std::string text = help_text();
            if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0)
                throw patch::failure("cannot write the help to standard output");
            return;
        }
        status = run_check(cmd.opts);
    });
    return edge != 0 ? edge : status;
}

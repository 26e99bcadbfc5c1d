#include "patch/failure.hpp"

#include <cstdio>
#include <cstring>
#include <new>

namespace patch {

int run_program(std::string_view name, const std::function<void()>& body) noexcept {
    std::string message;
    try {
        body();
        return 0;
    } catch (const failure& f) {
        message = f.what();
    } catch (const std::bad_alloc&) {
        message = "out of memory";
    } catch (const std::exception& e) {
        message = std::string("internal error: ") + e.what();
    }
    // One line, one write: the diagnostic never interleaves and never reaches standard output.
    std::string line;
    line.reserve(name.size() + 2 + message.size() + 1);
    line.append(name).append(": ").append(message).push_back('\n');
    // A diagnostic that cannot be written has nowhere else to go; the exit status still tells.
    (void)std::fwrite(line.data(), 1, line.size(), stderr);
    (void)std::fflush(stderr);
    return exit_failure;
}

std::string quote_for_diagnostic(std::string_view s, std::size_t limit) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (i == limit) {
            out += "...";
            break;
        }
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c >= 0x7f || c == '"' || c == '\\') {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 0xf];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string system_reason(int err) { return std::strerror(err); }

}  // namespace patch

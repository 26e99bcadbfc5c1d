#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace patch {

/// Exit status of every failed run, whatever failed.
inline constexpr int exit_failure = 1;

/// A failure that ends the run. The message is the diagnostic without the program's name.
class failure : public std::runtime_error {
  public:
    explicit failure(const std::string& message) : std::runtime_error(message) {}
};

/// The edge of every program: runs `body`, and on a failure prints "NAME: message" as one line on
/// standard error and returns exit_failure. Returns 0 when `body` returns. Also turns an exhausted
/// memory into a diagnostic. Nothing is ever written to standard output.
int run_program(std::string_view name, const std::function<void()>& body) noexcept;

/// The text of `s` fit for a one-line diagnostic: control and non-ASCII bytes escaped as \xHH,
/// cut after `limit` characters with "..." behind.
std::string quote_for_diagnostic(std::string_view s, std::size_t limit = 40);

/// The system's reason for errno value `err`, as strerror gives it.
std::string system_reason(int err);

}  // namespace patch

#include "patch/text_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "patch/failure.hpp"

namespace patch {

namespace {

[[noreturn]] void fail(const std::string& name, const char* what, int err) {
    throw failure(std::string("cannot ") + what + " \"" + quote_for_diagnostic(name, 200) +
                  "\": " + system_reason(err));
}

}  // namespace

void write_text_file(const std::string& name, std::string_view text) {
    (void)std::signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit then fails with EFBIG
    int fd;
    do {
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) fail(name, "create or open", errno);
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : EIO;
            ::close(fd);
            fail(name, "write", err);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    // On Linux the descriptor is gone after an interrupted close; it must not be retried.
    if (::close(fd) != 0 && errno != EINTR) fail(name, "close", errno);
}

}  // namespace patch

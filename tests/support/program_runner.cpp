#include "program_runner.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace testing_support {

namespace fs = std::filesystem;

temp_dir::temp_dir() {
    std::string pattern = (fs::temp_directory_path() / "patchtest.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

temp_dir::~temp_dir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

run_result run_program(const std::string& program, const std::vector<std::string>& args,
                       const fs::path& cwd, const run_options& options) {
    std::vector<std::string> env_store;
    for (char** e = environ; *e != nullptr; ++e) env_store.emplace_back(*e);
    for (const auto& extra : options.extra_env) env_store.push_back(extra);
    std::vector<char*> envp;
    envp.reserve(env_store.size() + 1);
    for (auto& e : env_store) envp.push_back(e.data());
    envp.push_back(nullptr);

    std::vector<std::string> argv_store{program};
    argv_store.insert(argv_store.end(), args.begin(), args.end());
    std::vector<char*> argv;
    argv.reserve(argv_store.size() + 1);
    for (auto& a : argv_store) argv.push_back(a.data());
    argv.push_back(nullptr);

    // Pipes, not files: a file-size limit on the child must not stop its diagnostics.
    int out_pipe[2], err_pipe[2];
    if (::pipe2(out_pipe, O_CLOEXEC) != 0 || ::pipe2(err_pipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        if (in < 0 || ::dup2(out_pipe[1], 1) < 0 || ::dup2(err_pipe[1], 2) < 0 ||
            ::dup2(in, 0) < 0 || ::chdir(cwd.c_str()) != 0)
            ::_exit(127);
        if (options.umask) ::umask(*options.umask);
        if (options.file_size_limit) {
            const rlimit lim{*options.file_size_limit, *options.file_size_limit};
            if (::setrlimit(RLIMIT_FSIZE, &lim) != 0) ::_exit(127);
        }
        if (options.address_space_limit) {
            const rlimit lim{*options.address_space_limit, *options.address_space_limit};
            if (::setrlimit(RLIMIT_AS, &lim) != 0) ::_exit(127);
        }
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    run_result r;
    pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&r.out, &r.err};
    int open_pipes = 2;
    while (open_pipes > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error("poll failed");
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buf[4096];
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open_pipes;
            }
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) throw std::runtime_error("waitpid failed");

    if (WIFEXITED(status)) r.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
    return r;
}

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + p.string());
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const fs::path& p, const std::string& content) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out.flush()) throw std::runtime_error("cannot write " + p.string());
}

std::vector<std::string> list_dir(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string line_of(const std::string& text, int n) {
    std::size_t pos = 0;
    for (int i = 1; i < n; ++i) {
        pos = text.find('\n', pos);
        if (pos == std::string::npos) return {};
        ++pos;
    }
    const std::size_t end = text.find('\n', pos);
    return end == std::string::npos ? std::string{} : text.substr(pos, end - pos);
}

int count_lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace testing_support

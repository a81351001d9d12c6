#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace testenv {

std::string shellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

Output run(const std::string& command) {
    Output result;
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return result;
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return result;
    }
    pid_t pid = ::fork();
    if (pid == 0) {
        int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    if (pid > 0) {
        // Both pipes at once: a tool that fills one while we block on the other would hang.
        pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        std::string* sinks[2] = {&result.out, &result.err};
        for (int open = 2; open > 0;) {
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                break;
            }
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || !fds[i].revents) continue;
                char buf[65536];
                ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
                if (n > 0) {
                    sinks[i]->append(buf, static_cast<size_t>(n));
                } else if (n == 0 || errno != EINTR) {
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ::close(out[0]);
    ::close(err[0]);
    return result;
}

bool ffmpeg(const std::string& args) { return run("ffmpeg -nostdin -v error -y " + args).status == 0; }

bool ffmpegMany(const std::string& input, const std::vector<std::pair<std::string, std::string>>& outputs) {
    std::string args = input;
    for (const auto& [file, options] : outputs) args += " " + options + " " + file;
    return ffmpeg(args);
}

const std::string& mutagenPython() {
    static const std::string python = [] {
        for (const char* candidate : {"/usr/bin/python3", "python3"})
            if (run(std::string(candidate) + " -c 'import mutagen'").status == 0) return std::string(candidate);
        return std::string();
    }();
    return python;
}

}  // namespace testenv

#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace leafwright::testing {

// What a finished child process left behind.
struct ProcessResult {
    int exitStatus = -1;  // the exit status, or 128 + signal number when killed
    std::string out;      // everything it wrote to standard output
    std::string err;      // everything it wrote to standard error
};

// Runs a program (searched in PATH when the name has no "/") with the
// arguments, as given, in the working folder (empty: the current one).
// Standard input is /dev/null; standard output and error are captured.
// No shell takes part, so arguments need no quoting.
inline ProcessResult runProcess(const std::vector<std::string>& command,
                                const std::string& workingFolder = {}) {
    ProcessResult result;
    int outPipe[2];
    int errPipe[2];
    if (command.empty() || ::pipe(outPipe) != 0) return result;
    if (::pipe(errPipe) != 0) {
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return result;
    }

    std::vector<char*> argv;
    for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        const int nullInput = ::open("/dev/null", O_RDONLY);
        if (nullInput >= 0) ::dup2(nullInput, STDIN_FILENO);
        ::dup2(outPipe[1], STDOUT_FILENO);
        ::dup2(errPipe[1], STDERR_FILENO);
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        ::close(errPipe[0]);
        ::close(errPipe[1]);
        if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0) ::_exit(126);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (child < 0) {
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        return result;
    }

    // Read both pipes as they fill, so a child that writes much to one of
    // them never blocks on the other.
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    char chunk[65536];
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            const ssize_t got = ::read(fds[i].fd, chunk, sizeof chunk);
            if (got > 0) {
                sinks[i]->append(chunk, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }

    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.exitStatus = 128 + WTERMSIG(status);
    }
    return result;
}

// The command `program ARGS...` with the address space limited to `bytes`
// (by prlimit), or an empty command when no limit can be set here: without
// prlimit, or for a program that cannot even start under the limit (a
// sanitizer build reserves far more address space than it uses). The
// program must answer --version.
inline std::vector<std::string> withMemoryLimit(std::vector<std::string> command, long long bytes) {
    const std::string limit = "--as=" + std::to_string(bytes);
    if (command.empty() || runProcess({"prlimit", limit, command[0], "--version"}).exitStatus != 0)
        return {};
    command.insert(command.begin(), {"prlimit", limit});
    return command;
}

// The lines of a text, without their line ends ("\n" or "\r\n").
inline std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Whether a program of that name is on the PATH (an outside judge such as
// qpdf or pdftotext, or a tool such as prlimit); tests without it skip.
inline bool haveProgram(const std::string& name) {
    return runProcess({"sh", "-c", "command -v " + name}).exitStatus == 0;
}

}  // namespace leafwright::testing

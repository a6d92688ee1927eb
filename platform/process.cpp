#include "platform/process.h"

#include <cerrno>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quorvix::platform {

bool haveDisplay()
{
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && x[0]) || (wayland && wayland[0]);
}

bool findProgram(const char* name, std::string& path)
{
    const char* search = std::getenv("PATH");
    std::string dirs = search ? search : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (end > start && access(candidate.c_str(), X_OK) == 0) {
            path = candidate;
            return true;
        }
        start = end + 1;
    }
    return false;
}

bool findDialogProgram(CDialogProgram& program)
{
    if (!haveDisplay())
        return false;
    if (findProgram("zenity", program.path)) {
        program.kind = EDialogProgram::Zenity;
        return true;
    }
    program.kind = EDialogProgram::Kdialog;
    return findProgram("kdialog", program.path);
}

int runProgram(const std::string& program, const std::vector<std::string>& args, std::string* output)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int pipeEnds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output) {
        if (pipe(pipeEnds) != 0)
            return -1;
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    }
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (output) {
        close(pipeEnds[1]);
        char buffer[512];
        for (ssize_t n; spawned == 0 && (n = read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                break;
            output->append(buffer, static_cast<size_t>(n));
        }
        close(pipeEnds[0]);
    }
    if (spawned != 0)
        return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace quorvix::platform

#include "platform/message_box.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace quorvix::platform {

namespace {

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

// Runs the program and waits; returns its exit status, or -1 when it could not run.
int runAndWait(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int showWithZenity(const std::string& zenity, EBoxKind kind, const std::string& title, const std::string& text)
{
    const char* type = kind == EBoxKind::Error ? "--error" : kind == EBoxKind::Question ? "--question" : "--info";
    std::vector<std::string> args = {type, "--no-markup", "--title=" + title, "--text=" + text};
    if (kind == EBoxKind::Question)
        args.push_back("--default-cancel");
    return runAndWait(zenity, args);
}

int showWithKdialog(const std::string& kdialog, EBoxKind kind, const std::string& title, const std::string& text)
{
    const char* type = kind == EBoxKind::Error ? "--error" : kind == EBoxKind::Question ? "--yesno" : "--msgbox";
    return runAndWait(kdialog, {"--title", title, type, text});
}

} // namespace

bool showMessageBox(EBoxKind kind, const std::string& title, const std::string& text)
{
    if (haveDisplay()) {
        std::string program;
        int status = -1;
        if (findProgram("zenity", program))
            status = showWithZenity(program, kind, title, text);
        else if (findProgram("kdialog", program))
            status = showWithKdialog(program, kind, title, text);
        if (status >= 0)
            return status == 0;
    }
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    std::fflush(stderr);
    return false;
}

} // namespace quorvix::platform

// Runs the GUI tests inside an Xvfb of their own, on a display number the server picks.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

pid_t startServer()
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        // The server ends with the tests, also when they crash, and keeps their output clean.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        close(pipeFds[0]);
        const std::string fd = std::to_string(pipeFds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    char number[16] = {};
    size_t got = 0;
    while (got + 1 < sizeof number) {
        const ssize_t n = read(pipeFds[0], number + got, 1);
        if (n <= 0 || number[got] == '\n')
            break;
        ++got;
    }
    close(pipeFds[0]);
    if (got == 0)
        return -1;
    number[got] = 0;
    setenv("DISPLAY", (std::string(":") + number).c_str(), 1);
    return pid;
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    const pid_t server = startServer();
    if (server <= 0) {
        std::fprintf(stderr, "could not start Xvfb\n");
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    return result;
}

#include "platform/settings_store.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvix::platform {

namespace {

constexpr size_t kMaxRecordSize = 64 * 1024;

std::string configHome()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "/tmp") + "/.config";
}

std::string settingsFolder() { return configHome() + "/Brenwick/Quorvix"; }

bool makeFolders(const std::string& path)
{
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/')
            continue;
        const std::string part = path.substr(0, pos);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

bool writeAll(int fd, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

std::string settingsFilePath() { return settingsFolder() + "/ini"; }

EReadResult readSettingsFile(std::vector<uint8_t>& bytes)
{
    const std::string path = settingsFilePath();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? EReadResult::Missing : EReadResult::Failed;
    bytes.clear();
    uint8_t buffer[4096];
    EReadResult result = EReadResult::Read;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || bytes.size() + static_cast<size_t>(n) > kMaxRecordSize) {
            result = EReadResult::Failed;
            break;
        }
        if (n == 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    ::close(fd);
    return result;
}

bool writeSettingsFile(const std::vector<uint8_t>& bytes)
{
    const std::string folder = settingsFolder();
    if (!makeFolders(folder))
        return false;
    const std::string path = settingsFilePath();
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace quorvix::platform

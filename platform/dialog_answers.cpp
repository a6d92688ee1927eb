#include "platform/dialog_answers.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <tuple>
#include <vector>

namespace quorvix::platform {

namespace {

// More than any script needs; keeps a wrong path (a device, a huge file) from being read.
constexpr off_t kMaxAnswersBytes = 1 << 20;

// What tells one version of a file from another: a replaced file has another inode, a rewritten
// one another size, time or content.
struct CFileVersion {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified {};
    timespec changed {};
    std::string content;

    bool operator==(const CFileVersion& o) const
    {
        auto key = [](const CFileVersion& v) {
            return std::tie(v.device, v.inode, v.size, v.modified.tv_sec, v.modified.tv_nsec, v.changed.tv_sec,
                            v.changed.tv_nsec, v.content);
        };
        return key(*this) == key(o);
    }
};

struct CReadPosition {
    CFileVersion version;
    size_t nextLine = 0;
};

std::mutex gPositionsMutex;
std::map<std::string, CReadPosition> gPositions; // by path, for the life of the process

bool readVersion(const std::string& path, CFileVersion& version)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxAnswersBytes)
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream content;
    content << in.rdbuf();
    version.device = info.st_dev;
    version.inode = info.st_ino;
    version.size = info.st_size;
    version.modified = info.st_mtim;
    version.changed = info.st_ctim;
    version.content = content.str();
    return true;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

} // namespace

std::optional<std::string> nextDialogAnswer()
{
    const char* path = std::getenv(kDialogAnswersVariable);
    CFileVersion version;
    if (!path || !path[0] || !readVersion(path, version))
        return std::nullopt;
    const std::vector<std::string> lines = linesOf(version.content);
    std::lock_guard lock(gPositionsMutex);
    CReadPosition& position = gPositions[path];
    if (!(position.version == version))
        position = CReadPosition {std::move(version), 0};
    if (position.nextLine >= lines.size())
        return std::nullopt;
    return lines[position.nextLine++];
}

} // namespace quorvix::platform

#include "platform/plugin_location.h"

#include <algorithm>
#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvix::platform {

std::string pluginFolder()
{
    Dl_info info {};
    if (dladdr(reinterpret_cast<void*>(&pluginFolder), &info) == 0 || !info.dli_fname)
        return "./";
    const std::string path = info.dli_fname;
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return "./";
    return path.substr(0, slash + 1);
}

bool fileReadable(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

std::vector<std::string> subFolders(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat info {};
        if (stat((folder + "/" + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace quorvix::platform

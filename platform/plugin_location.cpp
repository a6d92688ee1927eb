#include "platform/plugin_location.h"

#include <dlfcn.h>
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

} // namespace quorvix::platform

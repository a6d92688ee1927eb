// Where the plug-in file lives, and the simple file tests its neighbours need.
#pragma once

#include <string>

namespace quorvix::platform {

// The folder of the library that holds this code, ending in "/"; "./" when it cannot be found.
std::string pluginFolder();

bool fileReadable(const std::string& path);

} // namespace quorvix::platform

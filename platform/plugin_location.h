// Where the plug-in file lives, and the simple file tests its neighbours need.
#pragma once

#include <string>
#include <vector>

namespace quorvix::platform {

// The folder of the library that holds this code, ending in "/"; "./" when it cannot be found.
std::string pluginFolder();

bool fileReadable(const std::string& path);

// The names of the folders inside a folder, without "." and "..", sorted; empty when it cannot be read.
std::vector<std::string> subFolders(const std::string& folder);

} // namespace quorvix::platform

// File dialogs: zenity on a desktop, else kdialog, else cancelled. Filter lists are
// "Name|pattern;pattern|Name|pattern|", ended by "||" or the end of the text; "*.*" means all files.
// Without a display the answers come from the answers file (dialog_answers.h): "cancel", a path,
// or for saving "path|filter number", so commands run headless too.
#pragma once

#include <optional>
#include <string>

namespace quorvix::platform {

std::optional<std::string> openFileDialog(const std::string& title, const std::string& filters,
                                          const std::string& folder);

struct CSaveChoice {
    std::string path;
    int filter = 1; // from 1, in the order of the list
};

// defaultExtensions holds four characters per filter (".msf.tun"); one is added when the chosen
// name has none. A name saved under an all-files entry takes the first filter that matches it,
// else the first filter, so the filter chosen is never the all-files entry.
std::optional<CSaveChoice> saveFileDialog(const std::string& title, const std::string& filters,
                                          const std::string& defaultExtensions, const std::string& folder);

} // namespace quorvix::platform

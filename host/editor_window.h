// A window of our own that holds a plug-in's editor as a host embeds it: the size the plug-in
// asks for, its editor opened on our X window, and its idle every 30 ms.
#pragma once

#include <string>

namespace qhost {

class CPluginInstance;

struct CEditOptions {
    // The Quorvix page to show (0 Overview .. 7 Misc); -1 leaves the editor's own choice.
    int page = -1;
    // Written once the editor has drawn; then the window closes.
    std::string screenshot;
};

// Runs until the window is closed (or the screenshot is written); false with the reason in error.
bool runEditor(CPluginInstance& plugin, const CEditOptions& options, std::string& error);

} // namespace qhost

// A skin: the bitmaps and colours of the editor, built in and replaced by a skin folder's files.
#pragma once

#include "editor/skin/skin_bitmaps.h"
#include "editor/skin/skin_ini.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace quorvix {

class CSkinImage;

class CSkin {
public:
    // The built-in skin.
    CSkin();
    ~CSkin();
    CSkin(const CSkin&) = delete;
    CSkin& operator=(const CSkin&) = delete;

    // Replaces bitmaps with the folder's files (folder ends in "/") and reads its "Skin.ini";
    // what the user must be told is added to messages. Missing files change nothing.
    void loadFolder(const std::string& folder, std::vector<std::string>& messages);

    // Never null; an empty image for page bitmaps the skin does not have.
    CSkinImage* bitmap(ESkinBitmap bitmap) const { return m_bitmaps[static_cast<size_t>(bitmap)]; }
    // The page's own background, knob map or label (general: Background, KnobMap or VertLabel),
    // else the general one.
    CSkinImage* forPage(ESkinBitmap general, ESkinPage page) const;
    // Whether the bitmap is drawn with its transparent colour.
    bool isTransparent(ESkinBitmap bitmap) const;
    bool isTransparentForPage(ESkinBitmap general, ESkinPage page) const;
    int knobFrames(ESkinPage page) const;

    const CSkinSettings& settings() const { return m_settings; }
    CColor color(ESkinColor c) const { return m_settings.color(c); }
    CColor vertLabelColor(ESkinPage page) const;

private:
    void replace(ESkinBitmap bitmap, CSkinImage* image);
    ESkinBitmap pageOrGeneral(ESkinBitmap general, ESkinPage page) const;

    std::array<CSkinImage*, kSkinBitmapCount> m_bitmaps {};
    CSkinSettings m_settings;
};

// The process-wide skin of every editor: loaded at the first opening, and again when the name
// changed since. Errors go to message boxes and never stop the editor.
std::shared_ptr<const CSkin> loadSkin();
// At most 260 characters, ending in "/" (an empty name is the skin folder itself).
void setSkinName(const std::string& name);
std::string skinName();
// The folder of a skin name, next to the plug-in.
std::string skinFolder(const std::string& name);
// The skins to choose from: the sub-folders of the skin folder.
std::vector<std::string> skinFolders();

struct CSkinInfo {
    std::string name;    // empty when the skin does not say
    std::string creator;
    CSkinImage* preview = nullptr; // with a reference the caller releases; null without one
};
// For the skin selector: name and creator from "Skin.ini" and, when asked, "Preview.bmp".
CSkinInfo readSkinInfo(const std::string& folder, bool withPreview);

} // namespace quorvix

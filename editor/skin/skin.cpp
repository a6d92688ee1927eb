#include "editor/skin/skin.h"

#include "editor/skin/bitmap_file.h"
#include "editor/skin/builtin_skin.h"
#include "editor/toolkit/skin_image.h"

#include "platform/message_box.h"
#include "platform/plugin_location.h"

#include <fstream>
#include <iterator>
#include <mutex>

namespace quorvix {

namespace {

constexpr const char* kSkinRoot = "Quorvix_Skin/";
constexpr const char* kSkinIni = "Skin.ini";
constexpr const char* kPreview = "Preview.bmp";
constexpr const char* kBitmapExtension = ".bmp";
constexpr const char* kErrorTitle = "Quorvix - ERROR";
constexpr size_t kMaxSkinNameLength = 260;
// The skin before the saved settings name one.
constexpr const char* kFirstSkin = "Bones/";
// The about logo's transparent colour.
constexpr CColor kLogoKey {255, 0, 0};

CSkinImage* builtinImage(ESkinBitmap bitmap)
{
    for (size_t i = 0; i < kBuiltinBitmapCount; ++i)
        if (kBuiltinBitmaps[i].bitmap == bitmap)
            return CSkinImage::fromPng(kBuiltinBitmaps[i].png, kBuiltinBitmaps[i].size,
                                       skinBitmapInfo(bitmap).resource);
    return new CSkinImage(0, 0);
}

bool readFile(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::string sizeMessage(const std::string& path, const CSkinBitmapInfo& info)
{
    return "Loading skin:\r\nThe bitmap\n" + path + "\nmust have the dimensions:\nWidth = " + std::to_string(info.width) +
           "; Height = " + std::to_string(info.height);
}

// The page bitmaps that follow a general one when a skin replaces it.
std::optional<ESkinBitmap> pagesOf(ESkinBitmap general)
{
    switch (general) {
    case ESkinBitmap::Background: return ESkinBitmap::BackgroundPages;
    case ESkinBitmap::KnobMap: return ESkinBitmap::KnobMapPages;
    case ESkinBitmap::VertLabel: return ESkinBitmap::VertLabelPages;
    default: return std::nullopt;
    }
}

} // namespace

CSkin::CSkin()
{
    for (size_t i = 0; i < kSkinBitmapCount; ++i)
        m_bitmaps[i] = builtinImage(static_cast<ESkinBitmap>(i));
    bitmap(ESkinBitmap::AboutLogo)->setKeyColor(kLogoKey);
}

CSkin::~CSkin()
{
    for (CSkinImage* image : m_bitmaps)
        image->release();
}

void CSkin::replace(ESkinBitmap which, CSkinImage* image)
{
    CSkinImage*& slot = m_bitmaps[static_cast<size_t>(which)];
    slot->release();
    slot = image;
}

void CSkin::loadFolder(const std::string& folder, std::vector<std::string>& messages)
{
    for (size_t i = 0; i < kSkinBitmapCount; ++i) {
        const auto which = static_cast<ESkinBitmap>(i);
        const CSkinBitmapInfo& info = skinBitmapInfo(which);
        if (!info.name)
            continue;
        std::string path = folder + info.name + kBitmapExtension;
        CSkinImage* image = loadBitmapFile(path);
        if (!image && info.alternative) {
            path = folder + info.alternative + kBitmapExtension;
            image = loadBitmapFile(path);
        }
        if (!image)
            continue;
        if (image->width() != info.width && image->height() != info.height) {
            messages.push_back(sizeMessage(path, info));
            image->release();
            continue;
        }
        replace(which, image);
        if (const auto pages = pagesOf(which))
            for (int page = 0; page < kSkinPageCount; ++page)
                replace(pageBitmap(*pages, static_cast<ESkinPage>(page)), new CSkinImage(0, 0));
    }
    std::string text;
    if (readFile(folder + kSkinIni, text)) {
        const std::string error = readSkinIni(text, m_settings);
        if (!error.empty())
            messages.push_back(error);
    }
    for (size_t i = 0; i < kSkinBitmapCount; ++i) {
        const auto& group = skinBitmapInfo(static_cast<ESkinBitmap>(i)).transparency;
        if (group && m_settings.transparency[static_cast<size_t>(*group)].on)
            m_bitmaps[i]->setKeyColor(m_settings.transparency[static_cast<size_t>(*group)].key);
    }
}

ESkinBitmap CSkin::pageOrGeneral(ESkinBitmap general, ESkinPage page) const
{
    const auto pages = pagesOf(general);
    if (!pages)
        return general;
    const ESkinBitmap own = pageBitmap(*pages, page);
    return bitmap(own)->isEmpty() ? general : own;
}

CSkinImage* CSkin::forPage(ESkinBitmap general, ESkinPage page) const { return bitmap(pageOrGeneral(general, page)); }

bool CSkin::isTransparent(ESkinBitmap which) const
{
    const auto& group = skinBitmapInfo(which).transparency;
    return group && m_settings.transparency[static_cast<size_t>(*group)].on;
}

bool CSkin::isTransparentForPage(ESkinBitmap general, ESkinPage page) const
{
    return isTransparent(pageOrGeneral(general, page));
}

int CSkin::knobFrames(ESkinPage page) const { return knobFrameCount(forPage(ESkinBitmap::KnobMap, page)->height()); }

CColor CSkin::vertLabelColor(ESkinPage page) const
{
    return color(static_cast<ESkinColor>(static_cast<int>(ESkinColor::VertLabelOsc) + static_cast<int>(page)));
}

namespace {

struct CSkinState {
    std::mutex lock;
    std::shared_ptr<const CSkin> loaded;
    std::string loadedName;
    std::string name = kFirstSkin;
};

CSkinState& state()
{
    static CSkinState s;
    return s;
}

} // namespace

std::shared_ptr<const CSkin> loadSkin()
{
    CSkinState& s = state();
    std::vector<std::string> messages;
    std::shared_ptr<const CSkin> skin;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.loaded && s.loadedName == s.name)
            return s.loaded;
        auto fresh = std::make_shared<CSkin>();
        fresh->loadFolder(skinFolder(s.name), messages);
        s.loaded = fresh;
        s.loadedName = s.name;
        skin = s.loaded;
    }
    for (const std::string& message : messages)
        platform::showMessageBox(platform::EBoxKind::Error, kErrorTitle, message);
    return skin;
}

void setSkinName(const std::string& name)
{
    std::string normalized = name.substr(0, kMaxSkinNameLength);
    if (!normalized.empty() && normalized.back() != '\\' && normalized.back() != '/')
        normalized += '/';
    CSkinState& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    s.name = normalized;
}

std::string skinName()
{
    CSkinState& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.name;
}

std::string skinFolder(const std::string& name)
{
    std::string folder = platform::pluginFolder() + kSkinRoot + name;
    for (char& c : folder)
        if (c == '\\')
            c = '/';
    return folder;
}

std::vector<std::string> skinFolders() { return platform::subFolders(platform::pluginFolder() + kSkinRoot); }

CSkinInfo readSkinInfo(const std::string& folder, bool withPreview)
{
    CSkinInfo info;
    std::string text;
    if (readFile(folder + kSkinIni, text))
        readSkinIniInfo(text, info.name, info.creator);
    if (withPreview)
        info.preview = loadBitmapFile(folder + kPreview);
    return info;
}

} // namespace quorvix

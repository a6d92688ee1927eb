#include "editor/skin_preview.h"

#include "editor/skin/skin.h"
#include "editor/toolkit/painter.h"
#include "editor/toolkit/skin_image.h"

namespace quorvix {

namespace {

constexpr int kCaptionHeight = 14;

} // namespace

CSkinPreview::CSkinPreview(const CRect& size, const CSkin& skin)
    : CWidget(size), m_background(skin.color(ESkinColor::ParamLabelBackground)),
      m_text(skin.color(ESkinColor::ParamLabelText))
{
    setClickable(false);
}

CSkinPreview::~CSkinPreview()
{
    if (m_picture)
        m_picture->release();
}

void CSkinPreview::show(const std::string& skinName)
{
    if (m_picture)
        m_picture->release();
    m_picture = nullptr;
    if (skinName.empty()) {
        m_caption = "Built-in skin";
    } else {
        CSkinInfo info = readSkinInfo(skinFolder(skinName), true);
        m_picture = info.preview;
        m_caption = info.name.empty() ? skinName : info.name;
        if (!info.creator.empty())
            m_caption += " by " + info.creator;
    }
    setDirty(true);
}

void CSkinPreview::draw(CPainter& painter)
{
    setDirty(false);
    painter.setFillColor(m_background);
    painter.fillRect(m_bounds);
    CRect picture = m_bounds;
    picture.bottom -= kCaptionHeight;
    if (m_picture)
        m_picture->draw(painter, picture);
    painter.setFont(4);
    painter.setTextColor(m_text);
    painter.drawString(m_caption, {m_bounds.left, picture.bottom, m_bounds.right, m_bounds.bottom});
}

} // namespace quorvix

// What the skin selector offers: the chosen skin's name, creator and preview picture.
#pragma once

#include "editor/toolkit/widget.h"

#include <string>

namespace quorvix {

class CSkin;
class CSkinImage;

class CSkinPreview : public CWidget {
public:
    CSkinPreview(const CRect& size, const CSkin& skin);
    ~CSkinPreview() override;
    // The skin folder's name (empty for the built-in skin).
    void show(const std::string& skinName);
    void draw(CPainter& painter) override;

private:
    CSkinImage* m_picture = nullptr;
    std::string m_caption;
    CColor m_background;
    CColor m_text;
};

} // namespace quorvix

#include "ui/pane_font.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kNormalWeight = 400;

}  // namespace

wxFont MakePaneFont(const IoFontSpec& font) {
    const int height = std::clamp(font.m_nHeight, IoFontSpec::kMinHeight, IoFontSpec::kMaxHeight);
    const int weight =
        font.m_nWeight > 0 ? std::min(font.m_nWeight, IoFontSpec::kMaxWeight) : kNormalWeight;
    return wxFont(wxFontInfo(height / 10.0)
                      .FaceName(wxString::FromUTF8(font.m_strFaceName))
                      .Weight(weight)
                      .Italic(font.m_bItalic));
}

IoFontSpec PaneFontSpec(const wxFont& font) {
    IoFontSpec stored;
    stored.m_strFaceName = font.GetFaceName().utf8_string();
    stored.m_nHeight = std::clamp(static_cast<int>(std::lround(font.GetFractionalPointSize() * 10)),
                                IoFontSpec::kMinHeight, IoFontSpec::kMaxHeight);
    stored.m_nWeight =
        std::clamp(font.GetNumericWeight(), IoFontSpec::kMinWeight, IoFontSpec::kMaxWeight);
    stored.m_bItalic = font.GetStyle() != wxFONTSTYLE_NORMAL;
    return stored;
}

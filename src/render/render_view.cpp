#include "render/render_view.h"

#include <algorithm>
#include <utility>

#include "settings/settings.h"

RenderView::RenderView(std::function<void()> onElement)
    : m_onElement(std::move(onElement)),
      m_audio(g_settings.m_keying, m_pNoDevice, g_settings.m_conditions) {}

void RenderView::InsertPaneText(Pane pane, size_t pos, const std::string& text) {
    std::string& target = PaneRef(pane);
    target.insert(std::min(pos, target.size()), text);
}

void RenderView::ClearPanesAndTally() {
    m_tally.Clear();
    m_output.clear();
    m_copy.clear();
}

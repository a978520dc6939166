#pragma once
// The session as veltrane-render runs it: the session thread's function called on the program's
// one thread, with no window. The panes are plain strings and a pane call runs at once, as
// there is no interface thread to hand it to; every keyed element may report progress.

#include <functional>
#include <string>

#include "engine/morse_audio.h"
#include "session/session_view.h"

class RenderView : public SessionView {
public:
    // Keys with the live settings' keying and conditions; onElement runs after every element.
    explicit RenderView(std::function<void()> onElement);

    CMorseAudio& Audio() override { return m_audio; }
    std::string PaneText(Pane pane) override { return PaneRef(pane); }
    void SetPaneText(Pane pane, const std::string& text) override { PaneRef(pane) = text; }
    void InsertPaneText(Pane pane, size_t pos, const std::string& text) override;
    void ClearPanesAndTally() override;
    // A render has no copy to score and shows no results.
    void PostSessionFinished() override {}
    void PostWakeUp() override { m_onElement(); }
    bool IsClosing() const override { return false; }

    // The text sent so far (Windows-1252), as the record command's output pane shows it.
    const std::string& SentText() const { return m_output; }

private:
    std::string& PaneRef(Pane pane) { return pane == Pane::Output ? m_output : m_copy; }

    std::function<void()> m_onElement;
    SoundDevice* m_pNoDevice = nullptr;  // a render only ever writes to its file sink
    CMorseAudio m_audio;
    std::string m_output;
    std::string m_copy;
};

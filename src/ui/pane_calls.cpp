#include "ui/pane_calls.h"

#include <wx/textctrl.h>

#include <algorithm>

#include "content/codepage.h"

void CPaneCalls::SetPanes(wxTextCtrl* output, wxTextCtrl* copy) {
    m_pOutput = output;
    m_pCopy = copy;
}

std::string CPaneCalls::PaneText(Pane pane) {
    return Run<std::string>([this, pane] { return Read(pane); });
}

void CPaneCalls::SetPaneText(Pane pane, const std::string& text) {
    Run<void>([this, pane, text] { Write(pane, text); });
}

void CPaneCalls::InsertPaneText(Pane pane, size_t pos, const std::string& text) {
    if (pane == Pane::Output && m_bBatchEcho) {
        std::lock_guard lock(m_echoMutex);
        m_strEchoBatch += text;
        return;
    }
    Run<void>([this, pane, pos, text] { Insert(pane, pos, text); });
}

std::string CPaneCalls::Read(Pane pane) const {
    return codepage::FromUtf8(Window(pane)->GetValue().utf8_string());
}

void CPaneCalls::Write(Pane pane, const std::string& text) {
    Window(pane)->ChangeValue(wxString::FromUTF8(codepage::ToUtf8(text)));
}

void CPaneCalls::Insert(Pane pane, size_t pos, const std::string& text) {
    // One Windows-1252 byte is one character of the pane, so byte positions are the pane's.
    wxTextCtrl& window = *Window(pane);
    const long at = std::min<long>(static_cast<long>(pos), window.GetLastPosition());
    window.SetSelection(at, at);
    window.ShowPosition(at);
    window.WriteText(wxString::FromUTF8(codepage::ToUtf8(text)));
    window.ShowPosition(window.GetInsertionPoint());
}

void CPaneCalls::BeginBatchedEcho() {
    FlushEcho();
    m_bBatchEcho = true;
}

void CPaneCalls::FlushEcho() {
    std::string pending;
    {
        std::lock_guard lock(m_echoMutex);
        pending.swap(m_strEchoBatch);
    }
    if (!pending.empty() && !IsClosing())
        Insert(Pane::Output, static_cast<size_t>(m_pOutput->GetLastPosition()), pending);
}

void CPaneCalls::EndBatchedEcho() {
    m_bBatchEcho = false;
    FlushEcho();
}

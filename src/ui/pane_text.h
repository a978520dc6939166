#pragma once
// A text pane as the copy comparison reads it: its length, and any range of its text in
// Windows-1252, each for what the range holds rather than what the pane holds. On GTK the
// pane's text buffer is read between two iterators; where that buffer cannot be reached the
// whole value is read, the only way the framework itself offers.

#include <string>

#include "scoring/compare_copy.h"

class wxTextCtrl;

class CPaneText : public ComparedText {
public:
    // Valid while the pane lives and is not changed.
    explicit CPaneText(const wxTextCtrl& pane);

    size_t Length() const override;
    std::string Range(size_t from, size_t to) const override;

private:
    const wxTextCtrl& m_pane;
    void* m_pBuffer = nullptr;  // the pane's GtkTextBuffer, when it can be read directly
};

struct ScoreTally;

// The comparison of the copy pane against the output pane (CompareCopy), reading only the
// parts of the panes it needs.
bool CompareCopyPanes(ScoreTally& tally, const wxTextCtrl& copyPane, const wxTextCtrl& outputPane,
                      bool final);

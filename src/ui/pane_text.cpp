#include "ui/pane_text.h"

#include <wx/textctrl.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

#include "content/codepage.h"

namespace {

#ifdef __WXGTK__
// The text buffer of a multi-line pane: wx wraps the text view in a scrolled window. While the
// pane is frozen wx gives the view a stand-in buffer, which the length check turns away.
GtkTextBuffer* TextBufferOf(const wxTextCtrl& pane) {
    if (!pane.IsMultiLine()) return nullptr;
    GtkWidget* outer = static_cast<GtkWidget*>(pane.GetHandle());
    if (outer == nullptr || !GTK_IS_BIN(outer)) return nullptr;
    GtkWidget* view = gtk_bin_get_child(GTK_BIN(outer));
    if (view == nullptr || !GTK_IS_TEXT_VIEW(view)) return nullptr;
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
    if (gtk_text_buffer_get_char_count(buffer) != pane.GetLastPosition()) return nullptr;
    return buffer;
}
#endif

}  // namespace

CPaneText::CPaneText(const wxTextCtrl& pane) : m_pane(pane) {
#ifdef __WXGTK__
    m_pBuffer = TextBufferOf(pane);
#endif
}

size_t CPaneText::Length() const {
    // One Windows-1252 byte stands for each character of the pane.
    return static_cast<size_t>(m_pane.GetLastPosition());
}

std::string CPaneText::Range(size_t from, size_t to) const {
    if (from >= to) return {};
#ifdef __WXGTK__
    if (m_pBuffer != nullptr) {
        auto* buffer = static_cast<GtkTextBuffer*>(m_pBuffer);
        GtkTextIter start, end;
        gtk_text_buffer_get_iter_at_offset(buffer, &start, static_cast<gint>(from));
        gtk_text_buffer_get_iter_at_offset(buffer, &end, static_cast<gint>(to));
        gchar* utf8 = gtk_text_buffer_get_text(buffer, &start, &end, TRUE);
        std::string bytes = codepage::FromUtf8(utf8);
        g_free(utf8);
        return bytes;
    }
#endif
    const wxString text = m_pane.GetRange(static_cast<long>(from), static_cast<long>(to));
    return codepage::FromUtf8(text.utf8_string());
}

bool CompareCopyPanes(ScoreTally& tally, const wxTextCtrl& copyPane, const wxTextCtrl& outputPane,
                      bool final) {
    return CompareCopy(tally, CPaneText(copyPane), CPaneText(outputPane), final);
}

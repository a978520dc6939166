// Cost of one keystroke in the copy pane late in a long session, on real wx text panes: what
// the training view's change handler does (read what it needs of both panes, convert it to
// Windows-1252, compare), against reading both panes whole as it did before.
//
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANE_BUILD_TESTS=OFF
//   cmake --build build/bench --target keystroke_bench
//   xvfb-run -a build/bench/bench/keystroke_bench
//
// For each size the output pane holds that many characters of five-letter groups and the copy
// pane the same, typed three characters behind with a typo every 40; then 200 more characters
// (10 at 300,000) are sent and typed one by one, and each keystroke's scoring is timed. Last, 1 MB
// is pasted into the copy pane of the smallest session and the keystrokes after it are timed. The
// insertion into the GTK widget itself is reported beside it: it is the toolkit's, not ours.

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/textctrl.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "content/codepage.h"
#include "scoring/compare_copy.h"
#include "ui/pane_text.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kLead = 3;     // characters the sender is ahead of the learner
constexpr int kTypoEvery = 40;  // one wrong keystroke in this many
constexpr size_t kTimed = 200;  // keystrokes timed at the end of each session
// GTK lays out a long wrapped paragraph again on each insertion (about 0.6 s per character at
// 300,000), so the largest session times fewer keystrokes.
constexpr size_t kTimedLong = 10;

double Micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

std::string Groups(size_t n) {
    std::mt19937 rng(1);
    const std::string lesson = "kmrsuaptlowi.njef0yvg5/q9";
    std::string text;
    while (text.size() < n) {
        for (int i = 0; i < 5; ++i) text += lesson[rng() % lesson.size()];
        text += ' ';
    }
    text.resize(n);
    return text;
}

char Typed(const std::string& script, size_t k) {
    return k % kTypoEvery == kTypoEvery - 1 ? 'x' : static_cast<char>(codepage::ToLower(script[k]));
}

wxString Wide(const std::string& cp1252) {
    return wxString::FromUTF8(codepage::ToUtf8(cp1252));
}

// The handler as it was: both panes read whole at every keystroke.
bool CompareWholePanes(ScoreTally& tally, const wxTextCtrl& copy, const wxTextCtrl& output) {
    return CompareCopy(tally, codepage::FromUtf8(copy.GetValue().utf8_string()),
                       codepage::FromUtf8(output.GetValue().utf8_string()), false);
}

struct Figures {
    double now, before, insert;
    int correct, correctBefore;
};

class Session {
public:
    Session(wxTextCtrl& output, wxTextCtrl& copy, size_t size)
        : m_output(output), m_copy(copy), m_script(Groups(size + kTimed)), m_size(size) {
        m_tally.Clear();
        m_before.Clear();
        m_output.ChangeValue(Wide(m_script.substr(0, size)));
        std::string typed;
        for (size_t k = 0; k + kLead < size; ++k) typed += Typed(m_script, k);
        m_copy.ChangeValue(Wide(typed));
        // The comparison has kept up so far: one call brings both tallies to the end.
        CompareCopyPanes(m_tally, m_copy, m_output, false);
        CompareWholePanes(m_before, m_copy, m_output);
        m_nTyped = typed.size();
    }

    // Sends and types `count` more characters, timing each keystroke's scoring.
    Figures Type(size_t count) {
        Clock::duration now{}, before{}, insert{};
        for (size_t i = 0; i < count; ++i) {
            m_output.AppendText(Wide(std::string(1, m_script[m_size + i])));
            const auto t0 = Clock::now();
            m_copy.AppendText(Wide(std::string(1, Typed(m_script, m_nTyped++))));
            const auto t1 = Clock::now();
            CompareCopyPanes(m_tally, m_copy, m_output, false);
            const auto t2 = Clock::now();
            CompareWholePanes(m_before, m_copy, m_output);
            const auto t3 = Clock::now();
            insert += t1 - t0;
            now += t2 - t1;
            before += t3 - t2;
        }
        m_size += count;
        return {Micros(now) / count, Micros(before) / count, Micros(insert) / count,
                m_tally.correctTotal, m_before.correctTotal};
    }

    // Pastes `bytes` of copy at the end; returns the scoring time of that change.
    double Paste(size_t bytes) {
        std::string paste;
        while (paste.size() < bytes) paste += "cq cq de kmrsu paris test 599 tu\n";
        m_copy.SetInsertionPointEnd();
        m_copy.WriteText(Wide(paste));
        const auto t0 = Clock::now();
        CompareCopyPanes(m_tally, m_copy, m_output, false);
        const double micros = Micros(Clock::now() - t0);
        CompareWholePanes(m_before, m_copy, m_output);
        return micros;
    }

private:
    wxTextCtrl& m_output;
    wxTextCtrl& m_copy;
    std::string m_script;
    size_t m_size;
    size_t m_nTyped = 0;
    ScoreTally m_tally;
    ScoreTally m_before;
};

void Print(const char* what, const Figures& f) {
    std::printf("%-34s %9.1f us  (before: %9.1f us; GTK insert %7.1f us)%s\n", what, f.now,
                f.before, f.insert, f.correct == f.correctBefore ? "" : "  SCORES DIFFER");
}

}  // namespace

int main(int argc, char** argv) {
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "no display (run under xvfb-run)\n");
        return 1;
    }
    auto* frame =
        new wxFrame(nullptr, wxID_ANY, "keystroke bench", wxDefaultPosition, wxSize(900, 700));
    auto* output = new wxTextCtrl(frame, wxID_ANY, wxEmptyString, wxPoint(0, 0), wxSize(900, 340),
                                  wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP | wxVSCROLL);
    auto* copy = new wxTextCtrl(frame, wxID_ANY, wxEmptyString, wxPoint(0, 350), wxSize(900, 340),
                                wxTE_MULTILINE | wxTE_WORDWRAP | wxVSCROLL);
    frame->Show();
    wxTheApp->Yield();

    bool same = true;
    for (const size_t size : {4000u, 7200u, 30000u, 300000u}) {
        Session session(*output, *copy, size);
        const Figures f = session.Type(size > 100000 ? kTimedLong : kTimed);
        char what[64];
        std::snprintf(what, sizeof what, "keystroke at %zu characters:", size);
        Print(what, f);
        same = same && f.correct == f.correctBefore;
        wxTheApp->Yield();
    }
    {
        Session session(*output, *copy, 4000);
        const double paste = session.Paste(1u << 20);
        std::printf("%-34s %9.1f us\n", "the 1 MB paste itself:", paste);
        Print("keystroke after a 1 MB paste:", session.Type(kTimed));
    }
    frame->Destroy();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return same ? 0 : 1;
}

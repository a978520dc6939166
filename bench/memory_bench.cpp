// Memory over a long session: a generated Koch session keyed by the real session thread at full
// speed into a sink that drops the samples, with the learner's copy compared after every
// character as the copy pane's change notification does. Prints the allocated heap bytes
// (mallinfo2) and the resident set after the first simulated minute and after the last one.
//
//   cmake -S . -B build/faults-release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/faults-release --target memory_bench
//   build/faults-release/bench/memory_bench [minutes, default 60]
//
// The copy is the sent text with every 17th character mistyped, so that the comparison has
// wrong characters to count. The two pane strings grow with the text sent (one byte per
// character), as does the stand-in view's own log of wake-ups; the figures separate the two
// from the rest of the heap.

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "engine/audio_format.h"
#include "engine/file_sink.h"
#include "scoring/compare_copy.h"
#include "session/session_thread.h"
#include "session/test_session_view.h"
#include "settings/settings.h"

namespace {

// Drops the samples: only the keying, the echo and the comparison cost anything.
class NullSink : public SampleSink {
public:
    void WriteSamples(const void*, size_t) override {}
};

struct MemorySample {
    double minutes = 0;
    size_t heapBytes = 0;     // in use by malloc (mallinfo2 uordblks + hblkhd)
    long residentKb = 0;      // current resident set
    size_t paneBytes = 0;     // both pane strings, as allocated
    size_t harnessBytes = 0;  // the stand-in view's log of wake-ups, one entry per element
    int correct = 0, wrong = 0;
};

long ResidentKb() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

MemorySample Sample(const SessionView& view, const TestSessionView::Record& record) {
    const struct mallinfo2 info = mallinfo2();
    MemorySample s;
    s.minutes = view.m_nElapsedSamples / static_cast<double>(audio::kSampleRate * 60);
    s.heapBytes = info.uordblks + info.hblkhd;
    s.residentKb = ResidentKb();
    s.paneBytes = record.output.capacity() + record.copy.capacity();
    s.harnessBytes = record.elementWakeUps.capacity() * sizeof(int32_t);
    s.correct = view.m_tally.correctTotal;
    s.wrong = view.m_tally.wrongTotal;
    return s;
}

void Print(const char* label, const MemorySample& s) {
    std::printf(
        "%-6s %6.2f min  heap %9zu B  RSS %7ld KiB  panes %8zu B  harness log %8zu B  "
        "correct %d wrong %d\n",
        label, s.minutes, s.heapBytes, s.residentKb, s.paneBytes, s.harnessBytes, s.correct,
        s.wrong);
}

}  // namespace

int main(int argc, char** argv) {
    const int minutes = argc > 1 ? std::atoi(argv[1]) : 60;
    g_settings.m_nSource = SOURCE_KOCH;
    g_settings.m_nCharactersUsed = 20;
    // One minute more than measured, so that the last sample falls inside the session.
    g_settings.m_nSessionDuration = minutes + 1;
    g_settings.m_keying.SetSpeeds(60, 90, false);  // 12/18 WPM

    TestSessionView view;
    NullSink sink;
    view.Audio().AttachFileSink(&sink);

    MemorySample first, last;
    bool haveFirst = false, haveLast = false;
    int typed = 0;
    // Runs on the stand-in interface thread after every echoed character.
    view.m_onOutputInsert = [&](TestSessionView::Record& record) {
        while (record.copy.size() < record.output.size()) {
            const char ch = record.output[record.copy.size()];
            record.copy.push_back(++typed % 17 == 0 && ch != ' ' ? 'q' : ch);
        }
        CompareCopy(view.m_tally, record.copy, record.output, false);
        const double elapsed = view.m_nElapsedSamples / static_cast<double>(audio::kSampleRate);
        if (!haveFirst && elapsed >= 60) {
            first = Sample(view, record);
            haveFirst = true;
        }
        if (!haveLast && elapsed >= minutes * 60.0) {
            last = Sample(view, record);
            haveLast = true;
        }
    };

    const auto start = std::chrono::steady_clock::now();
    view.Launch(SessionThread);
    if (!view.WaitForEnd(std::chrono::hours(2)) || !haveFirst || !haveLast) {
        std::fprintf(stderr, "the session did not run its %d minutes\n", minutes);
        return 1;
    }
    view.Audio().DetachFileSink();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    Print("first", first);
    Print("last", last);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long long heapGrowth =
        static_cast<long long>(last.heapBytes) - static_cast<long long>(first.heapBytes);
    const auto growth = [](size_t from, size_t to) {
        return static_cast<long long>(to) - static_cast<long long>(from);
    };
    const long long expected =
        growth(first.paneBytes, last.paneBytes) + growth(first.harnessBytes, last.harnessBytes);
    std::printf(
        "heap growth %lld B, of which pane text and harness log %lld B, other %lld B; "
        "peak RSS %ld KiB; wall %.1f s\n",
        heapGrowth, expected, heapGrowth - expected, usage.ru_maxrss, wall);
    return 0;
}

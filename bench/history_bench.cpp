// The history's costs on a real file: writing one session record (wall time per record, as the
// caller waits for it), opening the progress window's statistics for N sessions (a new store
// object: open the file, load every session without texts, work out every chart and the table),
// and the whole-text alignment of a long session.
//
// Usage: history_bench [sessions=2000] [folder=a new one under /tmp]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "cpu_clock.h"
#include "history/history_stats.h"
#include "history/history_test_records.h"
#include "history/session_table.h"
#include "history/sqlite_history_store.h"
#include "history/text_alignment.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

void OpenStatistics(const std::string& path, size_t& rows) {
    SqliteHistoryStore store(path);
    const std::vector<SessionRecord> sessions = store.LoadSessions({}).value;
    const std::string lesson = sessions.back().lessonCharacters;
    const std::vector<AccuracyPoint> points = AccuracyOverTime(sessions);
    const std::vector<CharacterProgress> characters = CharacterAccuracy(sessions, lesson, 20);
    const ConfusionMatrix matrix = BuildConfusionMatrix(sessions, 20);
    SessionTableTexts texts;
    texts.sourceName = [](int32_t) { return std::string("Koch"); };
    rows = 0;
    for (const SessionRecord& s : sessions) rows += SessionCells(s, texts).size() > 0 ? 1 : 0;
    rows += points.size() * 0 + characters.size() * 0 + matrix.counts.size() * 0;
}

// A session of the given length at the given character speed, copied with a few errors.
void TimeAlignment(int minutes, int wpm) {
    std::mt19937 rng(5);
    const std::string alphabet = "kmrsuaptlowi.njef0yv,g5/q9zh38b?427c1d6x";
    const int characters = minutes * wpm * 5;
    std::string sent;
    std::string copy;
    for (int i = 0; i < characters; ++i) {
        const char c = i % 6 == 5 ? ' ' : alphabet[rng() % alphabet.size()];
        sent += c;
        if (rng() % 20 != 0) copy += c;
        if (rng() % 40 == 0) copy += alphabet[rng() % alphabet.size()];
    }
    const double cpu0 = ProcessCpuSeconds();
    const TextAlignment t = AlignTexts(sent, copy);
    std::printf("alignment, %d min at %d WPM (%zu and %zu characters): %.1f ms CPU, accuracy %.1f %%\n",
                minutes, wpm, sent.size(), copy.size(), (ProcessCpuSeconds() - cpu0) * 1000,
                t.AccuracyPercent());
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    std::string folder;
    if (argc > 2) {
        folder = argv[2];
    } else {
        char pattern[] = "/tmp/veltrane-history-bench-XXXXXX";
        if (!mkdtemp(pattern)) return 1;
        folder = pattern;
    }
    const std::string path = folder + "/history.sqlite3";
    std::filesystem::remove(path);

    std::vector<double> writeMs;
    std::vector<double> writeCpuMs;
    {
        SqliteHistoryStore store(path);
        for (int i = 0; i < count; ++i) {
            const SessionRecord record = GeneratedSession(i);
            const auto start = Clock::now();
            const double cpu0 = ProcessCpuSeconds();
            const HistoryResult<int64_t> added = store.AddSession(record);
            writeCpuMs.push_back((ProcessCpuSeconds() - cpu0) * 1000);
            writeMs.push_back(Ms(Clock::now() - start));
            if (added.value <= 0) {
                std::fprintf(stderr, "write failed: %s\n", added.notice.detail.c_str());
                return 1;
            }
        }
    }
    int slow = 0;
    for (size_t i = 0; i < writeMs.size(); ++i)
        if (writeMs[i] > 5.0 && slow++ < 5)
            std::printf("  slow write #%zu: %.1f ms (CPU %.2f ms)\n", i, writeMs[i], writeCpuMs[i]);
    std::printf("writes over 5 ms: %d of %d\n", slow, count);
    std::printf("write one record (%d records, file %.1f MB): median %.3f ms, p99 %.3f ms, max %.3f ms"
                " (the first opens the file); CPU median %.3f ms, p99 %.3f ms\n",
                count, static_cast<double>(std::filesystem::file_size(path)) / 1e6,
                Percentile(writeMs, 0.5), Percentile(writeMs, 0.99), Percentile(writeMs, 1.0),
                Percentile(writeCpuMs, 0.5), Percentile(writeCpuMs, 0.99));

    std::vector<double> openMs;
    std::vector<double> openCpuMs;
    size_t rows = 0;
    for (int round = 0; round < 5; ++round) {
        const auto start = Clock::now();
        const double cpu0 = ProcessCpuSeconds();
        OpenStatistics(path, rows);
        openCpuMs.push_back((ProcessCpuSeconds() - cpu0) * 1000);
        openMs.push_back(Ms(Clock::now() - start));
    }
    std::printf("open the statistics of %zu sessions: median %.1f ms (CPU %.1f ms), slowest %.1f ms"
                " (5 rounds)\n",
                rows, Percentile(openMs, 0.5), Percentile(openCpuMs, 0.5), Percentile(openMs, 1.0));

    TimeAlignment(5, 18);
    TimeAlignment(60, 18);
    TimeAlignment(60, 40);
    if (argc <= 2) std::filesystem::remove_all(folder);
    return 0;
}

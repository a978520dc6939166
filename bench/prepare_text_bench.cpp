// Times the preparation of a large practice file: reading and decoding it (ReadTextFile), then
// PrepareText on the whole text (text-file source) and SplitLines (line-file source).
//
//   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANE_BUILD_UI=OFF
//   cmake --build build/release --target prepare_text_bench
//   build/release/bench/prepare_text_bench [megabytes, default 10]
//
// The file is generated English-like text (capitalised sentences, punctuation, digits, a few
// accented letters and escapes, lines of about 70 characters, blank lines between paragraphs),
// written to the temporary folder in Windows-1252 and then in UTF-8, and removed afterwards. Prints
// the best and the median of five runs in milliseconds, wall-clock and process CPU time, with the
// default character set.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "content/codepage.h"
#include "content/text_prep.h"
#include "content/text_sources.h"

namespace {

std::string GenerateText(std::size_t bytes) {
    static const char* const words[] = {
        "the",   "of",     "and",     "to",      "in",     "is",      "you",    "that",    "it",
        "he",    "was",    "for",     "on",      "are",    "as",      "with",   "his",     "they",
        "at",    "be",     "this",    "have",    "from",   "or",      "one",    "had",     "by",
        "word",  "but",    "not",     "what",    "all",    "were",    "we",     "when",    "your",
        "can",   "said",   "there",   "use",     "an",     "each",    "which",  "she",     "do",
        "how",   "their",  "if",      "will",    "up",     "other",   "about",  "out",     "many",
        "radio", "signal", "antenna", "weather", "report", "station", "B\xE4r", "caf\xE9", "73",
        "599",   "QTH",    "\\SK",    "don't",   "1984",   "=",       "+",      "(note)"};
    static const char* const endings[] = {".", ".", ".", "?", "!", ";", ":"};
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> word(0, std::size(words) - 1),
        ending(0, std::size(endings) - 1), sentenceLength(4, 18), chance(0, 99);
    std::string text;
    text.reserve(bytes + 128);
    std::size_t lineLength = 0;
    while (text.size() < bytes) {
        const int n = sentenceLength(rng);
        for (int i = 0; i < n; ++i) {
            std::string w = words[word(rng)];
            if (i == 0 && w[0] >= 'a' && w[0] <= 'z') w[0] = static_cast<char>(w[0] - 32);
            if (i + 1 < n && chance(rng) < 8) w += ',';
            if (i + 1 == n) w += endings[ending(rng)];
            if (chance(rng) < 3) w = "\"" + w + "\"";
            if (lineLength + w.size() > 70) {
                text += chance(rng) < 10 ? "\r\n\r\n" : "\r\n";
                lineLength = 0;
            } else if (lineLength > 0) {
                text += ' ';
                ++lineLength;
            }
            text += w;
            lineLength += w.size();
        }
    }
    return text;
}

struct Timing {
    double wallMs;
    double cpuMs;  // process CPU time: steadier than wall time on a busy machine
};

template <typename F>
std::vector<Timing> TimeRuns(int runs, F&& work) {
    std::vector<Timing> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        work();
        const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        times.push_back(
            {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                 .count(),
             cpuMs});
    }
    return times;
}

void Report(const char* what, std::vector<Timing> times) {
    auto median = [&times](double Timing::*field) {
        std::sort(times.begin(), times.end(),
                  [field](const Timing& a, const Timing& b) { return a.*field < b.*field; });
        return std::pair(times.front().*field, times[times.size() / 2].*field);
    };
    const auto [wallBest, wallMedian] = median(&Timing::wallMs);
    const auto [cpuBest, cpuMedian] = median(&Timing::cpuMs);
    std::printf("%-28s wall best %7.1f median %7.1f ms   cpu best %7.1f median %7.1f ms\n", what,
                wallBest, wallMedian, cpuBest, cpuMedian);
}

// Times the three steps on one file; returns false when it could not be read.
bool RunOn(const std::filesystem::path& path) {
    const std::string pathUtf8 = path.string();
    constexpr int kRuns = 5;
    std::string text;
    std::size_t preparedSize = 0;
    int lines = 0;
    bool ok = true;
    Report("ReadTextFile",
           TimeRuns(kRuns, [&] { ok = ok && ReadTextFile(pathUtf8, text) == ReadResult::Ok; }));
    Report("ReadTextFile + PrepareText", TimeRuns(kRuns, [&] {
               ok = ok && ReadTextFile(pathUtf8, text) == ReadResult::Ok;
               PrepareText(text);
               preparedSize = text.size();
           }));
    Report("ReadTextFile + SplitLines", TimeRuns(kRuns, [&] {
               ok = ok && ReadTextFile(pathUtf8, text) == ReadResult::Ok;
               lines = SplitLines(text);
           }));
    std::printf("prepared text: %zu bytes; lines: %d\n", preparedSize, lines);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const std::string text = GenerateText(static_cast<std::size_t>(megabytes * 1e6));
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "veltrane_prepare_text_bench.txt";
    bool ok = true;
    // The same text saved in both encodings a practice file comes in.
    for (const bool utf8 : {false, true}) {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            << (utf8 ? codepage::ToUtf8(text) : text);
        std::printf("%s file: %zu bytes\n", utf8 ? "UTF-8" : "Windows-1252",
                    static_cast<std::size_t>(std::filesystem::file_size(path)));
        ok = RunOn(path) && ok;
    }
    std::filesystem::remove(path);
    if (!ok) {
        std::fprintf(stderr, "reading the generated file failed\n");
        return 1;
    }
    return 0;
}

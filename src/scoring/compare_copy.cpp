#include "scoring/compare_copy.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "content/codepage.h"
#include "content/text_prep.h"

namespace {

// The learner may copy this many characters behind the last one sent: at each change of the
// copy, unmatched sent bytes further back than this are written off.
constexpr size_t kMaxLag = 20;
// The sent window also keeps room for the copy bytes still waiting to be paired (up to this
// many), so that what the learner types while the search waits after a typo is not written
// off under their fingers. Bounded, so that a copy that pairs with nothing keeps the windows
// small.
constexpr size_t kMaxPendingRoom = 10;
// The largest sent window; the copy window is never longer than the sent one.
constexpr size_t kMaxWindow = kMaxLag + kMaxPendingRoom;
// The incremental alignment search waits until more than this many copy bytes are pending, so
// that a few keystrokes of lag are not mistaken for errors.
constexpr size_t kMinPendingCopy = 5;
// The longest escape ("\SOS") spans 4 bytes, so a byte's normalised value depends on at most
// the 3 bytes before it.
constexpr size_t kEscapeReach = 3;

std::function<void(const std::string&)> g_traceHook;

// One pair of equal characters found by the alignment search: a position in the sent window, a
// position in the copy window, and the index of the next record of the chain (-1 at its end).
struct CMatch {
    int m_nSent;
    int m_nCopy;
    int m_nNext;
};

// The records of one comparison, addressed by index so that growing the storage never leaves a
// reference dangling. Grows 100 records at a time.
class CMatchPool {
public:
    int Add(int sent, int copy) {
        if (m_records.size() == m_records.capacity()) m_records.reserve(m_records.size() + 100);
        m_records.push_back({sent, copy, -1});
        return static_cast<int>(m_records.size()) - 1;
    }
    CMatch& operator[](int index) { return m_records[static_cast<size_t>(index)]; }
    size_t Size() const { return m_records.size(); }

private:
    std::vector<CMatch> m_records;
};

// Length of text once trailing white space (space, tab, CR, LF, VT, FF) is left off, read
// backwards a piece at a time.
size_t TrimmedLength(const ComparedText& text) {
    constexpr size_t kPiece = 256;
    size_t end = text.Length();
    while (end > 0) {
        const size_t from = end > kPiece ? end - kPiece : 0;
        const std::string piece = text.Range(from, end);
        size_t keep = piece.size();
        while (keep > 0 && codepage::IsSpace(static_cast<unsigned char>(piece[keep - 1]))) --keep;
        if (keep > 0) return from + keep;
        end = from;
    }
    return 0;
}

// text[offset, end) normalised for comparison (upper case, escapes to prosign codes, both
// parentheses to code 1), with exactly the bytes that normalising all of text[0, end) would
// give there. Escape recognition looks only at a backslash and the letters after it, so a few
// bytes of context before the offset are enough: an escape the offset cuts through still reads
// as its code, and the bytes before the offset are never read again.
std::string NormalisedRest(const ComparedText& text, size_t offset, size_t end) {
    const size_t start = offset > kEscapeReach ? offset - kEscapeReach : 0;
    std::string rest = text.Range(start, end);
    codepage::MakeUpper(rest);
    ParseProsignEscapes(rest);
    MapBrackets(rest);
    rest.erase(0, offset - start);
    return rest;
}

bool IsFiller(char ch) {
    return static_cast<unsigned char>(ch) == FILLER_BYTE;
}

void CountCorrect(ScoreTally& tally, char ch) {
    if (IsFiller(ch)) return;
    tally.correct[static_cast<unsigned char>(ch)] += 1;
    tally.correctTotal += 1;
}

void CountWrong(ScoreTally& tally, char ch) {
    if (IsFiller(ch)) return;
    tally.wrong[static_cast<unsigned char>(ch)] += 1;
    tally.wrongTotal += 1;
}

// An extra copy character: wrong, but it has no per-character entry.
void CountExtra(ScoreTally& tally, char ch) {
    if (!IsFiller(ch)) tally.wrongTotal += 1;
}

// Cuts off an escape the learner is still typing: a backslash among the last three bytes with
// no space after it (a completed escape has no backslash left).
void HoldBackEscape(std::string& copy) {
    const size_t pos = copy.rfind('\\');
    if (pos == std::string::npos || pos + 4 <= copy.size()) return;
    if (copy.find(' ', pos + 1) != std::string::npos) return;
    copy.resize(pos);
}

// Finds a longest common subsequence of the two windows (filler bytes never paired) and returns
// the head of its chain in the pool (-1 if empty). Among the longest ones it takes, from the
// first sent byte on, the pairing of each sent byte with the earliest equal copy byte whenever
// pairing loses no length (ties favour pairing over skipping).
int AlignWindows(const std::string& sent, const std::string& copy, CMatchPool& pool) {
    const size_t m = sent.size();
    const size_t n = copy.size();
    // lcs[i][j]: longest common subsequence of sent[i..] and copy[j..]; both windows hold at
    // most kMaxWindow bytes.
    std::array<std::array<uint8_t, kMaxWindow + 1>, kMaxWindow + 1> lcs{};
    for (size_t i = m; i-- > 0;) {
        for (size_t j = n; j-- > 0;) {
            uint8_t best = std::max(lcs[i + 1][j], lcs[i][j + 1]);
            if (sent[i] == copy[j] && !IsFiller(sent[i]))
                best = std::max<uint8_t>(best, lcs[i + 1][j + 1] + 1);
            lcs[i][j] = best;
        }
    }

    int head = -1;
    int tail = -1;
    size_t j = 0;
    for (size_t i = 0; i < m && j < n; ++i) {
        if (IsFiller(sent[i])) continue;
        const size_t k = copy.find(sent[i], j);
        if (k == std::string::npos) continue;
        if (1 + lcs[i + 1][k + 1] < lcs[i + 1][j]) continue;
        const int record = pool.Add(static_cast<int>(i), static_cast<int>(k));
        if (tail < 0)
            head = record;
        else
            pool[tail].m_nNext = record;
        tail = record;
        j = k + 1;
    }
    return head;
}

}  // namespace

void SetCompareTraceHook(std::function<void(const std::string&)> hook) {
    g_traceHook = std::move(hook);
}

std::string StringText::Range(size_t from, size_t to) const {
    return m_text.substr(from, to - from);
}

bool CompareCopy(ScoreTally& tally, const std::string& copyText, const std::string& sentText,
                 bool final) {
    return CompareCopy(tally, StringText(copyText), StringText(sentText), final);
}

bool CompareCopy(ScoreTally& tally, const ComparedText& copyText, const ComparedText& sentText,
                 bool final) {
    // At the end, trailing white space of either pane is not scored.
    const size_t copyEnd = final ? TrimmedLength(copyText) : copyText.Length();
    const size_t sentEnd = final ? TrimmedLength(sentText) : sentText.Length();
    const bool copyNonEmpty = copyEnd > 0;

    // The learner may have deleted copy already scored, and the final trim may cut into scored
    // sent text; an offset never points past its text.
    size_t copyOffset = static_cast<size_t>(std::max<int32_t>(tally.copyOffset, 0));
    size_t sentOffset = static_cast<size_t>(std::max<int32_t>(tally.sentOffset, 0));
    copyOffset = std::min(copyOffset, copyEnd);
    sentOffset = std::min(sentOffset, sentEnd);

    std::string copy = NormalisedRest(copyText, copyOffset, copyEnd);
    std::string sent = NormalisedRest(sentText, sentOffset, sentEnd);

    if (!copy.empty() && !sent.empty()) {
        HoldBackEscape(copy);

        const size_t window = kMaxLag + std::min(copy.size(), kMaxPendingRoom);
        if (sent.size() > window) {
            const size_t cut = sent.size() - window;
            for (size_t i = 0; i < cut; ++i) CountWrong(tally, sent[i]);
            sentOffset += cut;
            sent.erase(0, cut);
        }

        // Copy can only pair with sent bytes, so a copy longer than the sent window starts with
        // characters nobody sent.
        if (copy.size() > sent.size()) {
            const size_t cut = copy.size() - sent.size();
            for (size_t i = 0; i < cut; ++i) CountExtra(tally, copy[i]);
            copyOffset += cut;
            copy.erase(0, cut);
        }

        size_t j = 0;
        while (j < copy.size() && j < sent.size() && copy[j] == sent[j])
            CountCorrect(tally, sent[j++]);
        sentOffset += j;
        copyOffset += j;
        sent.erase(0, j);
        copy.erase(0, j);

        if (final || copy.size() > kMinPendingCopy) {
            CMatchPool pool;
            size_t k = 0;
            int last = -1;
            for (int r = AlignWindows(sent, copy, pool); r >= 0; r = pool[r].m_nNext) {
                const size_t s = static_cast<size_t>(pool[r].m_nSent);
                for (; k < s; ++k) CountWrong(tally, sent[k]);
                CountCorrect(tally, sent[s]);
                k = s + 1;
                last = r;
            }
            if (last >= 0) {
                const size_t sentUsed = static_cast<size_t>(pool[last].m_nSent) + 1;
                const size_t copyUsed = static_cast<size_t>(pool[last].m_nCopy) + 1;
                sentOffset += sentUsed;
                copyOffset += copyUsed;
                if (final) {
                    sent.erase(0, sentUsed);
                    copy.erase(0, copyUsed);
                }
            }
            if (g_traceHook) g_traceHook(std::to_string(pool.Size()) + " CMatch used\n");
        }
    }

    if (final) {
        // Whatever is still unmatched at the end is wrong: unscored sent characters, and copy
        // characters beyond the end of the sent text.
        for (char ch : sent) CountWrong(tally, ch);
        for (size_t i = sent.size(); i < copy.size(); ++i) CountExtra(tally, copy[i]);
    }

    tally.copyOffset = static_cast<int32_t>(copyOffset);
    tally.sentOffset = static_cast<int32_t>(sentOffset);
    return copyNonEmpty;
}

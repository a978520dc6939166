#include "compare_copy_oracle.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "content/codepage.h"
#include "content/text_prep.h"

namespace {

using Chain = std::vector<std::pair<size_t, size_t>>;  // (sent index, copy index)

bool Filler(char ch) {
    return static_cast<unsigned char>(ch) == FILLER_BYTE;
}

void TrimEnd(std::string& text) {
    while (!text.empty() && codepage::IsSpace(static_cast<unsigned char>(text.back())))
        text.pop_back();
}

void Normalise(std::string& text) {
    codepage::MakeUpper(text);
    ParseProsignEscapes(text);
    MapBrackets(text);
}

// Every equal copy position in increasing order, keeping the first strictly longer result;
// then skipping the sent byte, which wins only if strictly longer. Memoised per (i, j).
class Search {
public:
    Search(const std::string& s, const std::string& c) : m_s(s), m_c(c) {}
    Chain Run(size_t i, size_t j) {
        if (i >= m_s.size() || j >= m_c.size()) return {};
        const auto key = std::make_pair(i, j);
        if (auto it = m_memo.find(key); it != m_memo.end()) return it->second;
        bool have = false;
        Chain best;
        if (!Filler(m_s[i])) {
            for (size_t k = j; k < m_c.size(); ++k) {
                if (m_c[k] != m_s[i]) continue;
                Chain rest = Run(i + 1, k + 1);
                if (!have || rest.size() + 1 > best.size()) {
                    best = {{i, k}};
                    best.insert(best.end(), rest.begin(), rest.end());
                    have = true;
                }
            }
        }
        Chain skip = Run(i + 1, j);
        if (!have || skip.size() > best.size()) best = skip;
        return m_memo[key] = best;
    }

private:
    const std::string& m_s;
    const std::string& m_c;
    std::map<std::pair<size_t, size_t>, Chain> m_memo;
};

void Wrong(ScoreTally& t, char ch) {
    if (Filler(ch)) return;
    t.wrong[static_cast<unsigned char>(ch)] += 1;
    t.wrongTotal += 1;
}

void Right(ScoreTally& t, char ch) {
    if (Filler(ch)) return;
    t.correct[static_cast<unsigned char>(ch)] += 1;
    t.correctTotal += 1;
}

void Extra(ScoreTally& t, char ch) {
    if (!Filler(ch)) t.wrongTotal += 1;
}

}  // namespace

bool OracleCompareCopy(ScoreTally& tally, const std::string& copyText, const std::string& sentText,
                       bool final) {
    std::string copy = copyText;
    std::string sent = sentText;
    if (final) {
        TrimEnd(sent);
        TrimEnd(copy);
    }
    const bool result = !copy.empty();
    tally.sentOffset = std::clamp<int32_t>(tally.sentOffset, 0, static_cast<int32_t>(sent.size()));
    tally.copyOffset = std::clamp<int32_t>(tally.copyOffset, 0, static_cast<int32_t>(copy.size()));

    Normalise(copy);
    Normalise(sent);
    copy.erase(0, static_cast<size_t>(tally.copyOffset.load()));
    sent.erase(0, static_cast<size_t>(tally.sentOffset.load()));

    if (!copy.empty() && !sent.empty()) {
        const size_t slash = copy.rfind('\\');
        if (slash != std::string::npos &&
            static_cast<long>(slash) > static_cast<long>(copy.size()) - 4 &&
            copy.find(' ', slash) == std::string::npos)
            copy.resize(slash);

        // Up to 20 characters of lag, plus room for up to 10 copy characters still unpaired.
        const size_t window = 20 + std::min<size_t>(copy.size(), 10);
        if (sent.size() > window) {
            const size_t cut = sent.size() - window;
            for (size_t i = 0; i < cut; ++i) Wrong(tally, sent[i]);
            tally.sentOffset += static_cast<int32_t>(cut);
            sent.erase(0, cut);
        }
        if (copy.size() > sent.size()) {
            const size_t cut = copy.size() - sent.size();
            for (size_t i = 0; i < cut; ++i) Extra(tally, copy[i]);
            tally.copyOffset += static_cast<int32_t>(cut);
            copy.erase(0, cut);
        }
        size_t j = 0;
        for (; j < sent.size() && j < copy.size() && sent[j] == copy[j]; ++j) Right(tally, sent[j]);
        tally.sentOffset += static_cast<int32_t>(j);
        tally.copyOffset += static_cast<int32_t>(j);
        sent.erase(0, j);
        copy.erase(0, j);

        if (final || copy.size() > 5) {
            const Chain chain = Search(sent, copy).Run(0, 0);
            size_t k = 0;
            for (const auto& [s, c] : chain) {
                for (; k < s; ++k) Wrong(tally, sent[k]);
                Right(tally, sent[s]);
                k = s + 1;
            }
            if (!chain.empty()) {
                const auto [s, c] = chain.back();
                tally.sentOffset += static_cast<int32_t>(s + 1);
                tally.copyOffset += static_cast<int32_t>(c + 1);
                if (final) {
                    sent.erase(0, s + 1);
                    copy.erase(0, c + 1);
                }
            }
        }
    }
    if (final) {
        for (char ch : sent) Wrong(tally, ch);
        for (size_t i = sent.size(); i < copy.size(); ++i) Extra(tally, copy[i]);
    }
    return result;
}

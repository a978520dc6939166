#include "history/weak_characters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/generator.h"
#include "content/random.h"
#include "scoring/score_tally.h"
#include "settings/memory_profile_store.h"
#include "settings/settings.h"

namespace {

SessionRecord WithCounts(std::vector<CharacterCounts> counts, std::vector<Confusion> confusions) {
    SessionRecord s;
    s.characters = std::move(counts);
    s.confusions = std::move(confusions);
    return s;
}

TEST(PlanWeakCharacters, WeighsTheLessonsWeakAndConfusedCharacters) {
    const std::vector<SessionRecord> history = {
        WithCounts({{'K', 3, 3}, {'M', 4, 1}, {'S', 0, 2}}, {{'K', 'M', 2}, {'U', 'A', 1}}),
        WithCounts({{'K', 2, 2}, {'M', 4, 1}, {'R', 9, 0}, {'Q', 0, 9}}, {{'K', 'M', 1}, {'Q', 'K', 5}}),
    };
    const WeakCharacterPlan plan = PlanWeakCharacters(history, "kmrsuaptlo");
    // K at 50 % gets ceil(10 x 0.5) copies, M at 80 % two; S has too few samples, R is fine,
    // Q is not in the lesson, U -> A was confused only once.
    EXPECT_EQ(plan.extraCopies, "kkkkkmm");
    EXPECT_EQ(plan.pairs, (std::vector<std::pair<char, char>>{{'k', 'm'}}));

    EXPECT_EQ(PlanWeakCharacters({}, "kmrsuaptlo"), WeakCharacterPlan{});
}

class WeakSource : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved.CopyFrom(g_settings);
        g_settings.CopyFrom(CSettings());
        m_tally.Clear();
    }
    void TearDown() override {
        g_settings.CopyFrom(m_saved);
        SetWeakCharacterPlan({});
    }
    std::vector<std::string> Items(int source, int count) {
        g_settings.m_nSource = source;
        SeedRandom(7);
        std::vector<std::string> items;
        for (int i = 0; i < count; ++i) items.push_back(NextItem(BuildPool(m_tally, false)));
        return items;
    }

    ScoreTally m_tally;

private:
    CSettings m_saved;
};

TEST_F(WeakSource, DrawsExactlyLikeTheKochSourceWithoutHistory) {
    for (int lesson : {2, 12, 44}) {
        for (bool practiceMode : {false, true}) {
            g_settings.m_nCharactersUsed = lesson;
            g_settings.m_bPracticeMode = practiceMode;
            m_tally.wrong['K'] = 3;  // a weak character of this session weighs in both
            EXPECT_EQ(Items(SOURCE_WEAK_CHARACTERS, 300), Items(SOURCE_KOCH, 300)) << lesson;
        }
    }
}

TEST_F(WeakSource, PlacesConfusedPairsSideBySideWithinTheLesson) {
    g_settings.m_nCharactersUsed = 10;  // kmrsuaptlo
    SetWeakCharacterPlan({"kkkq", {{'k', 'm'}, {'q', 'z'}}});
    g_settings.m_nSource = SOURCE_WEAK_CHARACTERS;
    const std::string pool = BuildPool(m_tally, false);
    // The Koch pool (the newest character once more), then the plan's copies in the lesson.
    EXPECT_EQ(pool, "kmrsuaptlookkk");

    int withPair = 0;
    const std::vector<std::string> items = Items(SOURCE_WEAK_CHARACTERS, 400);
    for (const std::string& item : items) {
        for (char c : item) EXPECT_NE(std::string("kmrsuaptlo ").find(c), std::string::npos) << item;
        if (item.find("km") != std::string::npos || item.find("mk") != std::string::npos) ++withPair;
    }
    // A pair is written into about half the groups; by chance alone it would be about one in ten.
    EXPECT_GT(withPair, 150);
}

TEST_F(WeakSource, IsAKochLessonForTheProfileAndTheDotPitch) {
    MemoryProfileStore store;
    g_settings.m_nSource = SOURCE_WEAK_CHARACTERS;
    g_settings.ExchangeProfile(store, true);
    CSettings loaded;
    loaded.ExchangeProfile(store, false);
    EXPECT_EQ(loaded.m_nSource, SOURCE_WEAK_CHARACTERS);

    loaded.m_bDualPitch = true;
    loaded.UpdateDualPitch(700);
    EXPECT_EQ(loaded.m_keying.secondPitch, 770);
    EXPECT_EQ(loaded.GetActiveCharacters(), "km");
}

}  // namespace

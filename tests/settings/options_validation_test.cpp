#include "settings/options_validation.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using F = GeneralField;

// A page showing the first-start values (WPM 12 / 18) with a 40-character set.
GeneralValues FirstStartPage() {
    GeneralValues v;
    v.wpm = true;
    v.setSize = 40;
    v[F::WordSpeed] = 12;
    v[F::CharSpeed] = 18;
    v[F::Pitch] = 700;
    v[F::CharactersUsed] = 2;
    v[F::MinWordLength] = 2;
    v[F::MaxWordLength] = 7;
    v[F::ProsignSpacing] = 3;
    v[F::SessionDuration] = 5;
    v[F::InitialDelay] = 2;
    v[F::EndDelay] = 2;
    return v;
}

// The lowest and highest value a field accepts, found by probing the checker from outside.
FieldRange ProbeAcceptedRange(GeneralValues v, F field) {
    int low = 100000, high = -100000;
    for (int x = -10; x <= 3000; ++x) {
        v[field] = x;
        if (!FindGeneralProblem(v)) {
            low = std::min(low, x);
            high = std::max(high, x);
        }
    }
    return {low, high};
}

TEST(GeneralOptionsRanges, SpeedBoundsFollowTheUnitShown) {
    GeneralValues v = FirstStartPage();
    v[F::CharSpeed] = 4;
    auto p = FindGeneralProblem(v);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->field, F::CharSpeed);
    EXPECT_FALSE(p->notANumber);
    EXPECT_EQ(p->range.low, 5);
    EXPECT_EQ(p->range.high, 100);

    v.wpm = false;
    p = FindGeneralProblem(v);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->range.low, 25);
    EXPECT_EQ(p->range.high, 500);

    // Word speed fixed low so that only the character speed's own bounds show.
    v = FirstStartPage();
    v[F::WordSpeed] = 5;
    FieldRange accepted = ProbeAcceptedRange(v, F::CharSpeed);
    EXPECT_EQ(accepted.low, 5);
    EXPECT_EQ(accepted.high, 100);
    v.wpm = false;
    v[F::WordSpeed] = 25;
    accepted = ProbeAcceptedRange(v, F::CharSpeed);
    EXPECT_EQ(accepted.low, 25);
    EXPECT_EQ(accepted.high, 500);
}

TEST(GeneralOptionsRanges, WordSpeedIsBoundedByTheCharacterSpeedJustRead) {
    GeneralValues v = FirstStartPage();
    v[F::CharSpeed] = 30;
    v[F::WordSpeed] = 31;
    auto p = FindGeneralProblem(v);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->field, F::WordSpeed);
    EXPECT_EQ(p->range.low, 5);
    EXPECT_EQ(p->range.high, 30);
    const FieldRange accepted = ProbeAcceptedRange(v, F::WordSpeed);
    EXPECT_EQ(accepted.low, 5);
    EXPECT_EQ(accepted.high, 30);
}

TEST(GeneralOptionsRanges, LongestGroupIsAtLeastFourAndAtLeastTheShortest) {
    GeneralValues v = FirstStartPage();
    v[F::MaxWordLength] = 3;
    auto p = FindGeneralProblem(v);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->field, F::MaxWordLength);
    EXPECT_EQ(p->range.low, 4);
    EXPECT_EQ(p->range.high, 10);

    v[F::MinWordLength] = 6;
    const FieldRange accepted = ProbeAcceptedRange(v, F::MaxWordLength);
    EXPECT_EQ(accepted.low, 6);
    EXPECT_EQ(accepted.high, 10);
}

TEST(GeneralOptionsRanges, EveryOtherFieldHasItsOwnRange) {
    struct Case {
        F field;
        int low, high;
    };
    const Case cases[] = {
        {F::Pitch, 400, 2500},     {F::CharactersUsed, 2, 40},  {F::MinWordLength, 2, 7},
        {F::ProsignSpacing, 1, 5}, {F::SessionDuration, 1, 60}, {F::InitialDelay, 0, 10},
        {F::EndDelay, 0, 10},
    };
    for (const Case& c : cases) {
        // The shortest group is also capped by the longest (7) through the longest's own bound.
        const FieldRange accepted = ProbeAcceptedRange(FirstStartPage(), c.field);
        EXPECT_EQ(accepted.low, c.low) << static_cast<int>(c.field);
        EXPECT_EQ(accepted.high, c.high) << static_cast<int>(c.field);
    }
    // The shortest group on its own may go up to 10 once the longest allows it.
    GeneralValues v = FirstStartPage();
    v[F::MaxWordLength] = 10;
    EXPECT_EQ(ProbeAcceptedRange(v, F::MinWordLength).high, 10);
    v.setSize = 12;
    EXPECT_EQ(ProbeAcceptedRange(v, F::CharactersUsed).high, 12);
}

TEST(GeneralOptionsRanges, FirstProblemInReadingOrderWins) {
    GeneralValues v = FirstStartPage();
    v[F::EndDelay] = 11;
    v[F::ProsignSpacing] = std::nullopt;
    v[F::Pitch] = 0;  // text that is no number reads as 0
    auto p = FindGeneralProblem(v);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->field, F::Pitch);

    v[F::Pitch] = 700;
    p = FindGeneralProblem(v);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->field, F::ProsignSpacing);
    EXPECT_TRUE(p->notANumber);

    v[F::ProsignSpacing] = 3;
    p = FindGeneralProblem(v);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->field, F::EndDelay);
    EXPECT_EQ(p->range.high, 10);
}

}  // namespace

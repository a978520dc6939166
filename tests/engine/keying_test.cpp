#include "engine/keying.h"

#include <gtest/gtest.h>

#include <climits>

TEST(Keying, DefaultsAreTwelveAndEighteenWpmAt700Hz) {
    const KeyingParameters k;
    EXPECT_EQ(k.wordSpeedCpm, 60);
    EXPECT_EQ(k.charSpeedCpm, 90);
    EXPECT_EQ(k.dotSamples, 1470);
    EXPECT_EQ(k.charGapSamples, 10212);
    EXPECT_EQ(k.wordGapSamples, 23829);
    EXPECT_EQ(k.pitch, 700);
    EXPECT_EQ(k.secondPitch, 700);
    EXPECT_EQ(k.volume, 50);
    EXPECT_EQ(k.masterVolume, 50);

    const KeyingParameters copy = k;  // settings records copy their keying whole
    EXPECT_EQ(copy.wordGapSamples, 23829);
}

TEST(Keying, EqualSpeedsGiveThreeAndSevenDotGaps) {
    KeyingParameters k;
    k.SetSpeeds(60, 60, false);
    EXPECT_EQ(k.dotSamples, 2205);
    EXPECT_EQ(k.charGapSamples, 6615);
    EXPECT_EQ(k.wordGapSamples, 15435);
    // Everywhere else only the integer divisions keep the gaps off exact multiples of a dot.
    for (int c = 25; c <= 500; ++c) {
        k.SetSpeeds(c, c, false);
        EXPECT_NEAR(k.charGapSamples, 3 * k.dotSamples, 3) << c;
        EXPECT_NEAR(k.wordGapSamples, 7 * k.dotSamples, 7) << c;
    }
}

TEST(Keying, SpeedsAreClampedAndTheWordSpeedNeverExceedsTheCharacterSpeed) {
    KeyingParameters k;
    k.SetSpeeds(30, 12, true);  // 150 and 60 CPM
    EXPECT_EQ(k.charSpeedCpm, 60);
    EXPECT_EQ(k.wordSpeedCpm, 60);

    k.SetSpeeds(10, 600, false);
    EXPECT_EQ(k.charSpeedCpm, 500);
    EXPECT_EQ(k.wordSpeedCpm, 25);
    EXPECT_EQ(k.dotSamples, 264);                           // 132300 / 500 = 264.6
    EXPECT_EQ(k.wordGapSamples - k.charGapSamples, 53979);  // the longest word space

    k.SetSpeeds(0, 0, false);
    EXPECT_EQ(k.charSpeedCpm, 25);
    EXPECT_EQ(k.wordSpeedCpm, 25);
    EXPECT_EQ(k.dotSamples, 5292);

    k.SetSpeeds(-7, 40, false);
    EXPECT_EQ(k.wordSpeedCpm, 25);
    EXPECT_EQ(k.charSpeedCpm, 40);

    k.SetSpeeds(INT_MAX, INT_MAX, true);  // converted without overflow, then clamped
    EXPECT_EQ(k.charSpeedCpm, 500);
    EXPECT_EQ(k.wordSpeedCpm, 500);

    k.SetSpeeds(12, 18, true);
    EXPECT_EQ(k.wordSpeedCpm, 60);
    EXPECT_EQ(k.charSpeedCpm, 90);
    EXPECT_EQ(k.dotSamples, 1470);
}

TEST(Keying, PitchesAreClampedTo400To2500Hz) {
    KeyingParameters k;
    k.SetPitches(300, 3000);
    EXPECT_EQ(k.pitch, 400);
    EXPECT_EQ(k.secondPitch, 2500);
    k.SetPitches(400, 2500);
    EXPECT_EQ(k.pitch, 400);
    EXPECT_EQ(k.secondPitch, 2500);
    k.SetPitches(1000, 777);
    EXPECT_EQ(k.pitch, 1000);
    EXPECT_EQ(k.secondPitch, 777);
}

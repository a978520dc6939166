#include "settings/settings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "memory_profile_store.h"

namespace {

using namespace std::string_literals;

// Everything a settings object stores, as the store receives it.
std::map<MemoryProfileStore::Key, std::string> Stored(CSettings& settings) {
    MemoryProfileStore store;
    settings.ExchangeProfile(store, true);
    return store.m_values;
}

// A settings object loaded from a store holding the given values only.
void LoadFrom(CSettings& settings, const std::vector<std::pair<std::string, std::string>>& values) {
    MemoryProfileStore store;
    for (const auto& [key, value] : values) store.Set(key, value);
    settings.ExchangeProfile(store, false);
}

int LoadedInt(const std::string& key, const std::string& stored) {
    CSettings settings;
    LoadFrom(settings, {{key, stored}});
    MemoryProfileStore out;
    settings.ExchangeProfile(out, true);
    return std::stoi(out.Get(key));
}

const std::string kDefaultFixedSet = "abcdefghijklmnopqrstuvwxyz@0123456789.,/?\x05\x09\x06";

// Every value differs from its default; the set holds prosign codes and Latin-1 letters.
void MakeUnusual(CSettings& s) {
    s.m_nCharactersUsed = 17;
    s.m_nMinWordLength = 3;
    s.m_nMaxWordLength = 9;
    s.m_nProsignSpacing = 4;
    s.m_nSessionDuration = 12;
    s.m_nInitialDelay = 0;
    s.m_nEndDelay = 7;
    s.m_bWpmSpeedUnit = false;
    s.m_bViewOutput = true;
    s.m_bViewCodes = true;
    s.m_bUseCaps = true;
    s.m_bInsertLF = false;
    s.m_bPracticeMode = true;
    s.m_bDualPitch = true;
    s.m_ioFont = {"文泉驿 Micro Hei", 140, 700, true};
    s.m_keying.SetSpeeds(100, 150, false);
    s.m_keying.pitch = 650;
    s.m_keying.volume = 80;
    s.m_keying.masterVolume = 20;
    s.m_keying.leadInMs = 250;
    s.m_strOutputDevice = "USB 耳机: Audio (hw:1,0)";
    s.m_nSource = SOURCE_WORDS | SOURCE_Q_CODES;
    s.m_nWordsToUse = 321;
    s.m_strSelectedCharacters = "k\xE4m\\sk $HOME";
    s.m_strLastTextFile = "/home/学习者/练习 1.txt";
    s.m_nRecordingFormat = static_cast<int32_t>(RecordingFormat::Opus);
    s.m_nRecordingQuality = 9;
    s.m_charSet.m_flags[CF_A_UML] = true;
    s.m_charSet.m_flags[CF_SZ] = true;
    s.m_charSet.m_flags[CF_KN] = true;
    s.m_charSet.m_flags[CF_PARENTHESES] = true;
    s.m_charSet.m_flags[CF_QUESTION] = false;
    s.m_nKochAdvanceThreshold = 75;
    SignalConditions& c = s.m_conditions;
    c.noiseOn = c.fadingOn = c.interferenceOn = c.staticOn = c.fistOn = true;
    c.noiseSnrDb = -3;
    c.passbandHz = 300;
    c.fadingDepthDb = 20;
    c.fadingPeriodSeconds = 12;
    c.interferenceStations = 2;
    c.interferenceText = kInterferenceWords;
    c.stations[0] = {120, 5, 40};
    c.stations[1] = {480, -25, 200};
    c.crashesPerMinute = 60;
    c.crashLevelDb = -10;
    c.fistSpreadPercent = 20;
    c.fistWeightTenths = 35;
    c.fistDriftPercent = 10;
}

TEST(Settings, FreshInstanceHoldsTheFirstStartValues) {
    CSettings s;
    EXPECT_EQ(s.m_nCharactersUsed, 2);
    EXPECT_EQ(s.m_nMinWordLength, 2);
    EXPECT_EQ(s.m_nMaxWordLength, 7);
    EXPECT_EQ(s.m_nProsignSpacing, 3);
    EXPECT_EQ(s.m_nSessionDuration, 5);
    EXPECT_EQ(s.m_nInitialDelay, 2);
    EXPECT_EQ(s.m_nEndDelay, 2);
    EXPECT_TRUE(s.m_bWpmSpeedUnit);
    EXPECT_FALSE(s.m_bViewOutput);
    EXPECT_FALSE(s.m_bViewCodes);
    EXPECT_FALSE(s.m_bUseCaps);
    EXPECT_TRUE(s.m_bInsertLF);
    EXPECT_FALSE(s.m_bPracticeMode);
    EXPECT_FALSE(s.m_bDualPitch);
    EXPECT_EQ(s.m_ioFont.m_strFaceName, "Arial");
    EXPECT_EQ(s.m_ioFont.m_nHeight, 100);
    EXPECT_EQ(s.m_ioFont.m_nWeight, 400);
    EXPECT_FALSE(s.m_ioFont.m_bItalic);
    EXPECT_EQ(s.m_keying.wordSpeedCpm, 60);
    EXPECT_EQ(s.m_keying.charSpeedCpm, 90);
    EXPECT_EQ(s.m_keying.pitch, 700);
    EXPECT_EQ(s.m_keying.secondPitch, 700);
    EXPECT_EQ(s.m_keying.volume, 50);
    EXPECT_EQ(s.m_keying.masterVolume, 50);
    EXPECT_EQ(s.m_nSource, SOURCE_KOCH);
    EXPECT_EQ(s.m_nWordsToUse, 25);
    EXPECT_EQ(s.m_strSelectedCharacters, "");
    EXPECT_EQ(s.m_strLastTextFile, "");
    EXPECT_EQ(s.m_charSet.BuildSetString(false), kDefaultFixedSet);
}

TEST(Settings, EmptyStoreLoadsExactlyTheDefaults) {
    CSettings loaded, fresh;
    MakeUnusual(loaded);
    loaded.CopyFrom(fresh);  // back to defaults through CopyFrom
    MemoryProfileStore empty;
    loaded.ExchangeProfile(empty, false);
    EXPECT_EQ(Stored(loaded), Stored(fresh));
    EXPECT_EQ(loaded.m_keying.dotSamples, fresh.m_keying.dotSamples);
    EXPECT_EQ(loaded.m_keying.secondPitch, 700);
}

TEST(Settings, KeysAreExchangedInTheSameOrderBothWays) {
    const std::vector<std::string> expected = {
        "WPM speed unit", "Word speed", "Char speed", "Volume", "Master volume", "Pitch",
        "Characters used", "Min word length", "Max word length", "Prosign spacing",
        "Session duration", "Initial delay", "End delay", "View output", "View codes", "Use caps",
        "Insert LF", "Practice mode", "Dual pitch", "Source", "Words to use", "Selected Characters",
        "Last text file used", "IO Font face", "IO Font height", "IO Font weight", "IO Font italic",
        "Character set",
        // Keys the first version never used.
        "Koch advance threshold", "Noise", "Noise SNR dB", "Receiver passband Hz", "Fading",
        "Fading depth dB", "Fading period s", "Interference", "Interfering stations",
        "Interference text", "Station 1 offset Hz", "Station 1 level dB", "Station 1 speed",
        "Station 2 offset Hz", "Station 2 level dB", "Station 2 speed", "Static",
        "Static crashes per minute", "Static crash level dB", "Uneven fist", "Fist spread %",
        "Fist weight tenths", "Fist drift %", "Recording format", "Recording quality",
        "Output device", "Lead-in ms", "Recording folder"};
    CSettings s;
    MemoryProfileStore store;
    s.ExchangeProfile(store, true);
    EXPECT_EQ(store.m_accessed, expected);
    store.m_accessed.clear();
    s.ExchangeProfile(store, false);
    EXPECT_EQ(store.m_accessed, expected);
    for (const auto& [key, value] : store.m_values) EXPECT_EQ(key.first, "Settings");
}

TEST(Settings, SaveThenLoadRestoresEveryField) {
    CSettings original;
    MakeUnusual(original);
    original.UpdateDualPitch(original.m_keying.pitch);
    MemoryProfileStore store;
    original.ExchangeProfile(store, true);

    // Code-page text is stored as UTF-8; the set in fixed order with its prosign codes.
    EXPECT_EQ(store.Get("Selected Characters"), "k\xC3\xA4m\\sk $HOME");
    EXPECT_EQ(store.Get("Character set"),
              "abcdefghijklmnopqrstuvwxyz\xC3\xA4\xC3\x9F@0123456789.,/\x05\x09\x01\x06\x0C");
    EXPECT_EQ(store.Get("Word speed"), "100");
    EXPECT_EQ(store.Get("WPM speed unit"), "0");
    EXPECT_EQ(store.Get("Use caps"), "1");

    CSettings loaded;
    loaded.ExchangeProfile(store, false);
    EXPECT_EQ(Stored(loaded), Stored(original));
    EXPECT_EQ(loaded.m_strSelectedCharacters, original.m_strSelectedCharacters);
    EXPECT_TRUE(loaded.m_charSet == original.m_charSet);
    EXPECT_EQ(loaded.m_keying.dotSamples, original.m_keying.dotSamples);
    EXPECT_EQ(loaded.m_keying.wordGapSamples, original.m_keying.wordGapSamples);
    EXPECT_EQ(loaded.m_keying.secondPitch, original.m_keying.secondPitch);
}

TEST(Settings, CopyFromCopiesEveryField) {
    CSettings source, copy;
    MakeUnusual(source);
    source.UpdateDualPitch(source.m_keying.pitch);
    copy.CopyFrom(source);
    EXPECT_EQ(Stored(copy), Stored(source));
    EXPECT_EQ(copy.m_keying.secondPitch, source.m_keying.secondPitch);
    EXPECT_EQ(copy.m_keying.charGapSamples, source.m_keying.charGapSamples);
    copy.CopyFrom(copy);
    EXPECT_EQ(Stored(copy), Stored(source));
}

TEST(Settings, LoadClampsSpeedsPitchAndRecomputesTheTiming) {
    CSettings s;
    LoadFrom(s, {{"Char speed", "1000"}, {"Word speed", "900"}, {"Pitch", "100"}});
    EXPECT_EQ(s.m_keying.charSpeedCpm, 500);
    EXPECT_EQ(s.m_keying.wordSpeedCpm, 500);
    EXPECT_EQ(s.m_keying.pitch, 400);
    EXPECT_EQ(s.m_keying.secondPitch, 400);
    KeyingParameters oracle;
    oracle.SetSpeeds(500, 500, false);
    EXPECT_EQ(s.m_keying.dotSamples, oracle.dotSamples);
    EXPECT_EQ(s.m_keying.wordGapSamples, oracle.wordGapSamples);

    CSettings slow;
    LoadFrom(slow, {{"Char speed", "120"}, {"Word speed", "200"}, {"Pitch", "9000"}});
    EXPECT_EQ(slow.m_keying.wordSpeedCpm, 120);
    EXPECT_EQ(slow.m_keying.pitch, 2500);
}

TEST(Settings, UnacceptableStoredCharacterSetLoadsTheDefaultSet) {
    CSettings s;
    LoadFrom(s, {{"Character set", "abc\xC3\xA6\xC3\xA4"}});  // æ and ä sound the same
    EXPECT_EQ(s.m_charSet.BuildSetString(false), kDefaultFixedSet);
    LoadFrom(s, {{"Character set", "@"}});
    EXPECT_EQ(s.m_charSet.BuildSetString(false), kDefaultFixedSet);
    LoadFrom(s, {{"Character set", "?@"}});
    EXPECT_EQ(s.m_charSet.BuildSetString(false), "@?");
}

TEST(Settings, OutOfRangeStoredValuesAreBroughtIntoRange) {
    EXPECT_EQ(LoadedInt("Characters used", "0"), 2);
    EXPECT_EQ(LoadedInt("Characters used", "100"), 44);  // size of the default set
    EXPECT_EQ(LoadedInt("Min word length", "1"), 2);
    EXPECT_EQ(LoadedInt("Min word length", "50"), 10);
    EXPECT_EQ(LoadedInt("Max word length", "3"), 4);
    EXPECT_EQ(LoadedInt("Max word length", "99"), 10);
    EXPECT_EQ(LoadedInt("Prosign spacing", "0"), 1);
    EXPECT_EQ(LoadedInt("Prosign spacing", "9"), 5);
    EXPECT_EQ(LoadedInt("Session duration", "0"), 1);
    EXPECT_EQ(LoadedInt("Session duration", "600"), 60);
    EXPECT_EQ(LoadedInt("Initial delay", "-1"), 0);
    EXPECT_EQ(LoadedInt("End delay", "99"), 10);
    EXPECT_EQ(LoadedInt("Volume", "500"), 100);
    EXPECT_EQ(LoadedInt("Master volume", "-5"), 0);
    EXPECT_EQ(LoadedInt("Words to use", "0"), 1);
    EXPECT_EQ(LoadedInt("Words to use", "5000"), 1000);
    EXPECT_EQ(LoadedInt("IO Font height", "0"), 40);
    // The font weights the font dialog offers, 0 (no preference) to 1000, load unchanged.
    EXPECT_EQ(LoadedInt("IO Font weight", "5000"), 1000);
    EXPECT_EQ(LoadedInt("IO Font weight", "1000"), 1000);
    EXPECT_EQ(LoadedInt("IO Font weight", "0"), 0);
    EXPECT_EQ(LoadedInt("IO Font weight", "-3"), 0);
    EXPECT_EQ(LoadedInt("IO Font height", "960"), 960);
    EXPECT_EQ(LoadedInt("IO Font height", "961"), 960);
    EXPECT_EQ(LoadedInt("Dual pitch", "7"), 1);  // any non-zero value is on
    EXPECT_EQ(LoadedInt("Recording format", "4"), 4);
    EXPECT_EQ(LoadedInt("Recording format", "77"), 4);
    EXPECT_EQ(LoadedInt("Recording quality", "11"), 10);
    EXPECT_EQ(LoadedInt("Recording quality", "-1"), 0);

    // The longest group may not be shorter than the shortest.
    CSettings lengths;
    LoadFrom(lengths, {{"Min word length", "8"}, {"Max word length", "5"}});
    EXPECT_EQ(lengths.m_nMinWordLength, 8);
    EXPECT_EQ(lengths.m_nMaxWordLength, 8);
    // "Characters used" is bounded by the stored set, which is read after it.
    CSettings small;
    LoadFrom(small, {{"Characters used", "30"}, {"Character set", "@?.,"}});
    EXPECT_EQ(small.m_nCharactersUsed, 4);
    // A value that is not a number reads as the default.
    EXPECT_EQ(LoadedInt("Session duration", "ten"), 5);
}

TEST(Settings, OptionsBeyondTheFirstVersionStartOffAndAreKeptInRange) {
    CSettings s;
    EXPECT_EQ(s.m_nKochAdvanceThreshold, 90);
    EXPECT_FALSE(s.m_conditions.noiseOn || s.m_conditions.AnyOnTheBand() || s.m_conditions.fistOn);
    EXPECT_EQ(LoadedInt("Koch advance threshold", "20"), 50);
    EXPECT_EQ(LoadedInt("Koch advance threshold", "101"), 100);
    EXPECT_EQ(LoadedInt("Noise SNR dB", "-40"), SignalConditions::kMinSnrDb);
    EXPECT_EQ(LoadedInt("Interfering stations", "3"), SignalConditions::kMaxStations);
    EXPECT_EQ(LoadedInt("Station 2 speed", "1"), InterferingStationParameters::kMinSpeedCpm);
    EXPECT_EQ(s.m_keying.leadInMs, 0);
    EXPECT_EQ(LoadedInt("Lead-in ms", "5000"), KeyingParameters::kMaxLeadInMs);
    EXPECT_EQ(LoadedInt("Lead-in ms", "-3"), 0);
    EXPECT_EQ(LoadedInt("Fist weight tenths", "99"), SignalConditions::kMaxFistWeightTenths);
    EXPECT_EQ(LoadedInt("Fist drift %", "-1"), 0);
}

// The Default buttons reset their own page's options and keep every other one.
TEST(Settings, ResettingAPageRestoresOnlyItsOwnOptions) {
    CSettings fresh, s;
    MakeUnusual(s);
    s.ResetPage(OptionPage::Volume);
    EXPECT_EQ(s.m_keying.volume, 50);
    EXPECT_EQ(s.m_keying.masterVolume, 50);
    EXPECT_EQ(s.m_keying.pitch, 650);
    EXPECT_TRUE(s.m_charSet.m_flags[CF_SZ]);

    s.ResetPage(OptionPage::General);
    EXPECT_EQ(s.m_keying.charSpeedCpm, 90);
    EXPECT_EQ(s.m_keying.dotSamples, fresh.m_keying.dotSamples);
    EXPECT_EQ(s.m_keying.secondPitch, 700);
    EXPECT_EQ(s.m_ioFont.m_strFaceName, "Arial");
    EXPECT_EQ(s.m_nEndDelay, 2);
    EXPECT_TRUE(s.m_bWpmSpeedUnit);
    // Options no page resets, and the character set, stay.
    EXPECT_EQ(s.m_nSource, SOURCE_WORDS | SOURCE_Q_CODES);
    EXPECT_EQ(s.m_nWordsToUse, 321);
    EXPECT_EQ(s.m_nKochAdvanceThreshold, 75);
    EXPECT_TRUE(s.m_conditions.noiseOn);
    EXPECT_FALSE(s.m_charSet == fresh.m_charSet);

    s.ResetPage(OptionPage::CharacterSet);
    EXPECT_TRUE(s.m_charSet == fresh.m_charSet);
}

TEST(Settings, OnlyUsableSourcesSurviveALoad) {
    for (int usable :
         {SOURCE_KOCH, SOURCE_CHARSET, SOURCE_TEXT_FILE, SOURCE_TYPED_TEXT, SOURCE_LINE_FILE,
          SOURCE_WORDS, SOURCE_ABBREVIATIONS | SOURCE_Q_CODES, SOURCE_VOCABULARY_MASK})
        EXPECT_EQ(LoadedInt("Source", std::to_string(usable)), usable) << usable;
    // Nothing, two exclusive sources, the reserved fragment sources, a vocabulary mixed with an
    // exclusive source, an unknown bit.
    for (int unusable : {0, 0x003, SOURCE_QSO_PLAIN, SOURCE_QSO_REAL, SOURCE_WORDS | SOURCE_KOCH,
                         SOURCE_LINE_FILE | SOURCE_Q_CODES, 0x1000, -1})
        EXPECT_EQ(LoadedInt("Source", std::to_string(unusable)), SOURCE_KOCH) << unusable;
}

TEST(Settings, DualPitchRaisesDotsInEarlyKochLessons) {
    CSettings s;
    s.m_bDualPitch = true;
    const std::pair<int, int> expected[] = {{2, 770}, {19, 711}, {20, 700}, {40, 700}};
    for (auto [characters, dotPitch] : expected) {
        s.m_nCharactersUsed = characters;
        s.UpdateDualPitch(700);
        EXPECT_EQ(s.m_keying.pitch, 700);
        EXPECT_EQ(s.m_keying.secondPitch, dotPitch) << characters;
    }
    s.m_nCharactersUsed = 2;
    s.m_nSource = SOURCE_CHARSET;
    s.UpdateDualPitch(700);
    EXPECT_EQ(s.m_keying.secondPitch, 700);
    s.m_nSource = SOURCE_KOCH;
    s.m_bDualPitch = false;
    s.UpdateDualPitch(700);
    EXPECT_EQ(s.m_keying.secondPitch, 700);
    // Both pitches stay within the keyable range, even from an absurd request.
    s.m_bDualPitch = true;
    s.UpdateDualPitch(2'000'000'000);
    EXPECT_EQ(s.m_keying.pitch, 2500);
    EXPECT_EQ(s.m_keying.secondPitch, 2500);
}

TEST(Settings, LoadDerivesTheDotPitch) {
    CSettings s;
    LoadFrom(s, {{"Dual pitch", "1"}, {"Pitch", "1000"}, {"Characters used", "10"}});
    EXPECT_EQ(s.m_keying.pitch, 1000);
    EXPECT_EQ(s.m_keying.secondPitch, 1000 + 110 - 50);
}

TEST(Settings, ActiveCharactersAreTheKochLesson) {
    CSettings s;
    s.m_nCharactersUsed = 2;
    EXPECT_EQ(s.GetActiveCharacters(), "km");
    s.m_nCharactersUsed = 10;
    EXPECT_EQ(s.GetActiveCharacters(), "kmrsuaptlo");
    s.m_nCharactersUsed = 200;
    EXPECT_EQ(s.GetActiveCharacters(), s.m_charSet.BuildSetString(true));
    s.m_nCharactersUsed = -3;
    EXPECT_EQ(s.GetActiveCharacters(), "");
}

TEST(Settings, ActiveCharactersOfTheSpecifiedSourceAreTheUsersList) {
    CSettings s;
    s.m_nSource = SOURCE_CHARSET;
    s.m_strSelectedCharacters = "aab";
    for (int used : {2, 3, 40}) {
        s.m_nCharactersUsed = used;
        EXPECT_EQ(s.GetActiveCharacters(), "aab");
    }
    s.m_strSelectedCharacters = "K M\\SK#";
    EXPECT_EQ(s.GetActiveCharacters(), "km\x06");
}

// The session thread reads the lesson while the interface thread replaces the live settings as
// a whole: every lesson read is one of the two complete lessons, never a mixture.
TEST(Settings, LessonIsNeverReadHalfReplaced) {
    CSettings live, letters, symbols;
    letters.m_nCharactersUsed = 5;
    symbols.m_nSource = SOURCE_CHARSET;
    symbols.m_strSelectedCharacters = "@?/.,";
    live.CopyFrom(letters);
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!done) {
            const std::string lesson = live.GetActiveCharacters();
            if (lesson != "kmrsu" && lesson != "@?/.,") ++torn;
        }
    });
    for (int i = 0; i < 2000; ++i) {
        std::lock_guard lock(g_settingsLock);  // as the character-set page applies
        live.CopyFrom(i % 2 ? letters : symbols);
    }
    done = true;
    reader.join();
    EXPECT_EQ(torn, 0);
}

}  // namespace

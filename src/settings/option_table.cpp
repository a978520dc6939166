#include "settings/option_table.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

#include "engine/recording_format.h"
#include "history/koch_advice.h"
#include "settings/settings.h"

namespace {

constexpr int32_t kNoLow = std::numeric_limits<int32_t>::min();
constexpr int32_t kNoHigh = std::numeric_limits<int32_t>::max();

OptionRow Number(const char* key, OptionPage page, OptionField (*field)(CSettings&),
                 int32_t defaultValue, int32_t low, int32_t high, const char* label = "") {
    return {key, page, field, defaultValue, "", low, high, label};
}

OptionRow Switch(const char* key, OptionPage page, OptionField (*field)(CSettings&),
                 bool defaultValue) {
    return {key, page, field, defaultValue ? 1 : 0, "", 0, 1, ""};
}

OptionRow Text(const char* key, OptionPage page, OptionField (*field)(CSettings&),
               const char* defaultText) {
    return {key, page, field, 0, defaultText, 0, 0, ""};
}

// The rows of one interfering station; its keys are numbered from 1.
void AddStationRows(std::vector<OptionRow>& rows, int index,
                    const InterferingStationParameters& d) {
    using S = InterferingStationParameters;
    static const char* const kOffsetKeys[] = {"Station 1 offset Hz", "Station 2 offset Hz"};
    static const char* const kLevelKeys[] = {"Station 1 level dB", "Station 2 level dB"};
    static const char* const kSpeedKeys[] = {"Station 1 speed", "Station 2 speed"};
    static const char* const kOffsetLabels[] = {"电台 1 频率偏移", "电台 2 频率偏移"};
    static const char* const kLevelLabels[] = {"电台 1 电平", "电台 2 电平"};
    static const char* const kSpeedLabels[] = {"电台 1 速度", "电台 2 速度"};
    static_assert(std::size(kOffsetKeys) == SignalConditions::kMaxStations);
    // A lambda without captures cannot know the index, so each station gets its own accessors.
    using Accessor = OptionField (*)(CSettings&);
    const Accessor offset[] = {
        [](CSettings& s) -> OptionField { return &s.m_conditions.stations[0].offsetHz; },
        [](CSettings& s) -> OptionField { return &s.m_conditions.stations[1].offsetHz; }};
    const Accessor level[] = {
        [](CSettings& s) -> OptionField { return &s.m_conditions.stations[0].levelDb; },
        [](CSettings& s) -> OptionField { return &s.m_conditions.stations[1].levelDb; }};
    const Accessor speed[] = {
        [](CSettings& s) -> OptionField { return &s.m_conditions.stations[0].speedCpm; },
        [](CSettings& s) -> OptionField { return &s.m_conditions.stations[1].speedCpm; }};
    const OptionPage page = OptionPage::Conditions;
    rows.push_back(Number(kOffsetKeys[index], page, offset[index], d.offsetHz, S::kMinOffsetHz,
                          S::kMaxOffsetHz, kOffsetLabels[index]));
    rows.push_back(Number(kLevelKeys[index], page, level[index], d.levelDb, S::kMinLevelDb,
                          S::kMaxLevelDb, kLevelLabels[index]));
    rows.push_back(Number(kSpeedKeys[index], page, speed[index], d.speedCpm, S::kMinSpeedCpm,
                          S::kMaxSpeedCpm, kSpeedLabels[index]));
}

std::vector<OptionRow> BuildRows() {
    using P = OptionPage;
    using K = KeyingParameters;
    using C = SignalConditions;
    // The keying parameters and the signal conditions are the engine's; their defaults are what
    // the engine constructs.
    const KeyingParameters keying;
    const SignalConditions conditions;

    std::vector<OptionRow> rows = {
        Switch(
            "WPM speed unit", P::General,
            [](CSettings& s) -> OptionField { return &s.m_bWpmSpeedUnit; }, true),
        // Speeds in characters per minute whatever unit the page shows.
        Number(
            "Word speed", P::General,
            [](CSettings& s) -> OptionField { return &s.m_keying.wordSpeedCpm; },
            keying.wordSpeedCpm, K::kMinSpeedCpm, K::kMaxSpeedCpm, "每分钟单词数(WPM)"),
        Number(
            "Char speed", P::General,
            [](CSettings& s) -> OptionField { return &s.m_keying.charSpeedCpm; },
            keying.charSpeedCpm, K::kMinSpeedCpm, K::kMaxSpeedCpm, "每分钟电码数(CPM)"),
        // Above 100 the 16-bit samples would overflow.
        Number(
            "Volume", P::Volume, [](CSettings& s) -> OptionField { return &s.m_keying.volume; },
            keying.volume, 0, 100),
        Number(
            "Master volume", P::Volume,
            [](CSettings& s) -> OptionField { return &s.m_keying.masterVolume; },
            keying.masterVolume, 0, 100),
        Number(
            "Pitch", P::General, [](CSettings& s) -> OptionField { return &s.m_keying.pitch; },
            keying.pitch, K::kMinPitch, K::kMaxPitch, "音调"),
        // Up to the size of the set, which CSettings applies once the set is read.
        Number(
            "Characters used", P::General,
            [](CSettings& s) -> OptionField { return &s.m_nCharactersUsed; }, 2, 2, kNoHigh,
            "Characters used"),
        Number(
            "Min word length", P::General,
            [](CSettings& s) -> OptionField { return &s.m_nMinWordLength; }, 2, 2, 10, "词长下限"),
        // At least the shortest group too.
        Number(
            "Max word length", P::General,
            [](CSettings& s) -> OptionField { return &s.m_nMaxWordLength; }, 7, 4, 10, "词长上限"),
        Number(
            "Prosign spacing", P::General,
            [](CSettings& s) -> OptionField { return &s.m_nProsignSpacing; }, 3, 1, 5, "符号间隔"),
        Number(
            "Session duration", P::General,
            [](CSettings& s) -> OptionField { return &s.m_nSessionDuration; }, 5, 1, 60,
            "Session duration"),
        Number(
            "Initial delay", P::General,
            [](CSettings& s) -> OptionField { return &s.m_nInitialDelay; }, 2, 0, 10,
            "Initial delay"),
        Number(
            "End delay", P::General, [](CSettings& s) -> OptionField { return &s.m_nEndDelay; }, 2,
            0, 10, "End delay"),
        Switch(
            "View output", P::General, [](CSettings& s) -> OptionField { return &s.m_bViewOutput; },
            false),
        Switch(
            "View codes", P::General, [](CSettings& s) -> OptionField { return &s.m_bViewCodes; },
            false),
        Switch(
            "Use caps", P::General, [](CSettings& s) -> OptionField { return &s.m_bUseCaps; },
            false),
        Switch(
            "Insert LF", P::General, [](CSettings& s) -> OptionField { return &s.m_bInsertLF; },
            true),
        Switch(
            "Practice mode", P::General,
            [](CSettings& s) -> OptionField { return &s.m_bPracticeMode; }, false),
        Switch(
            "Dual pitch", P::General, [](CSettings& s) -> OptionField { return &s.m_bDualPitch; },
            false),
        // Whether a stored source is usable is a rule of its own (CSettings).
        Number(
            "Source", P::None, [](CSettings& s) -> OptionField { return &s.m_nSource; },
            SOURCE_KOCH, kNoLow, kNoHigh),
        Number(
            "Words to use", P::None, [](CSettings& s) -> OptionField { return &s.m_nWordsToUse; },
            25, 1, 1000),
        Text(
            "Selected Characters", P::None,
            [](CSettings& s) -> OptionField { return Cp1252Text{&s.m_strSelectedCharacters}; }, ""),
        Text(
            "Last text file used", P::None,
            [](CSettings& s) -> OptionField { return &s.m_strLastTextFile; }, ""),
        Text(
            "IO Font face", P::General,
            [](CSettings& s) -> OptionField { return &s.m_ioFont.m_strFaceName; }, "Arial"),
        Number(
            "IO Font height", P::General,
            [](CSettings& s) -> OptionField { return &s.m_ioFont.m_nHeight; }, 100,
            IoFontSpec::kMinHeight, IoFontSpec::kMaxHeight),
        Number(
            "IO Font weight", P::General,
            [](CSettings& s) -> OptionField { return &s.m_ioFont.m_nWeight; }, 400,
            IoFontSpec::kMinWeight, IoFontSpec::kMaxWeight),
        Switch(
            "IO Font italic", P::General,
            [](CSettings& s) -> OptionField { return &s.m_ioFont.m_bItalic; }, false),
        Text(
            "Character set", P::CharacterSet,
            [](CSettings& s) -> OptionField { return &s.m_charSet; }, ""),

        // Options beyond the first version's, under keys it never used.
        Number(
            "Koch advance threshold", P::None,
            [](CSettings& s) -> OptionField { return &s.m_nKochAdvanceThreshold; },
            kDefaultKochAdvanceThresholdPercent, kMinKochAdvanceThresholdPercent,
            kMaxKochAdvanceThresholdPercent),
        Switch(
            "Noise", P::Conditions, [](CSettings& s) -> OptionField { return &s.m_conditions.noiseOn; },
            conditions.noiseOn),
        Number(
            "Noise SNR dB", P::Conditions,
            [](CSettings& s) -> OptionField { return &s.m_conditions.noiseSnrDb; },
            conditions.noiseSnrDb, C::kMinSnrDb, C::kMaxSnrDb,
            "信噪比"),
        Number(
            "Receiver passband Hz", P::Conditions,
            [](CSettings& s) -> OptionField { return &s.m_conditions.passbandHz; },
            conditions.passbandHz, C::kMinPassbandHz, C::kMaxPassbandHz,
            "接收带宽"),
        Switch(
            "Fading", P::Conditions, [](CSettings& s) -> OptionField { return &s.m_conditions.fadingOn; },
            conditions.fadingOn),
        Number(
            "Fading depth dB", P::Conditions,
            [](CSettings& s) -> OptionField { return &s.m_conditions.fadingDepthDb; },
            conditions.fadingDepthDb, C::kMinFadingDepthDb, C::kMaxFadingDepthDb,
            "衰落深度"),
        Number(
            "Fading period s", P::Conditions,
            [](CSettings& s) -> OptionField { return &s.m_conditions.fadingPeriodSeconds; },
            conditions.fadingPeriodSeconds, C::kMinFadingPeriodSeconds, C::kMaxFadingPeriodSeconds,
            "衰落周期"),
        Switch(
            "Interference", P::Conditions,
            [](CSettings& s) -> OptionField { return &s.m_conditions.interferenceOn; },
            conditions.interferenceOn),
        Number(
            "Interfering stations", P::Conditions,
            [](CSettings& s) -> OptionField { return &s.m_conditions.interferenceStations; },
            conditions.interferenceStations, 1, C::kMaxStations,
            "干扰电台数"),
        Number(
            "Interference text", P::Conditions,
            [](CSettings& s) -> OptionField { return &s.m_conditions.interferenceText; },
            conditions.interferenceText, kInterferenceWords, kInterferenceContacts,
            "干扰内容"),
    };
    for (int i = 0; i < SignalConditions::kMaxStations; ++i)
        AddStationRows(rows, i, conditions.stations[i]);
    const std::vector<OptionRow> tail = {
        Switch(
            "Static", P::Conditions, [](CSettings& s) -> OptionField { return &s.m_conditions.staticOn; },
            conditions.staticOn),
        Number(
            "Static crashes per minute", P::Conditions,
            [](CSettings& s) -> OptionField { return &s.m_conditions.crashesPerMinute; },
            conditions.crashesPerMinute, C::kMinCrashesPerMinute, C::kMaxCrashesPerMinute,
            "每分钟天电次数"),
        Number(
            "Static crash level dB", P::Conditions,
            [](CSettings& s) -> OptionField { return &s.m_conditions.crashLevelDb; },
            conditions.crashLevelDb, C::kMinCrashLevelDb, C::kMaxCrashLevelDb,
            "天电强度"),
        Switch(
            "Uneven fist", P::Conditions,
            [](CSettings& s) -> OptionField { return &s.m_conditions.fistOn; }, conditions.fistOn),
        Number(
            "Fist spread %", P::Conditions,
            [](CSettings& s) -> OptionField { return &s.m_conditions.fistSpreadPercent; },
            conditions.fistSpreadPercent, 0, C::kMaxFistSpreadPercent,
            "手法抖动"),
        Number(
            "Fist weight tenths", P::Conditions,
            [](CSettings& s) -> OptionField { return &s.m_conditions.fistWeightTenths; },
            conditions.fistWeightTenths, C::kMinFistWeightTenths, C::kMaxFistWeightTenths,
            "划点比"),
        Number(
            "Fist drift %", P::Conditions,
            [](CSettings& s) -> OptionField { return &s.m_conditions.fistDriftPercent; },
            conditions.fistDriftPercent, 0, C::kMaxFistDriftPercent,
            "速度漂移"),
        Number(
            "Recording format", P::None,
            [](CSettings& s) -> OptionField { return &s.m_nRecordingFormat; },
            static_cast<int32_t>(RecordingFormat::Wav), 0, kRecordingFormatCount - 1),
        Number(
            "Recording quality", P::None,
            [](CSettings& s) -> OptionField { return &s.m_nRecordingQuality; },
            kDefaultRecordingQuality, kMinRecordingQuality, kMaxRecordingQuality),
        // The sound output: empty is the system's default; a name the host no longer lists
        // plays on the default too.
        Text(
            "Output device", P::Volume,
            [](CSettings& s) -> OptionField { return &s.m_strOutputDevice; }, ""),
        Number(
            "Lead-in ms", P::Volume,
            [](CSettings& s) -> OptionField { return &s.m_keying.leadInMs; }, keying.leadInMs,
            0, K::kMaxLeadInMs, "起始静音"),
        // Where the record command offers the next recording; empty: the music folder.
        Text(
            "Recording folder", P::None,
            [](CSettings& s) -> OptionField { return &s.m_strRecordingFolder; }, ""),
    };
    rows.insert(rows.end(), tail.begin(), tail.end());
    return rows;
}

}  // namespace

std::span<const OptionRow> OptionRows() {
    static const std::vector<OptionRow> rows = BuildRows();
    return rows;
}

const OptionRow& OptionRowOf(const std::string& key) {
    for (const OptionRow& row : OptionRows())
        if (key == row.key) return row;
    std::abort();
}

#pragma once
// The settings record: every option of the trainer as a plain public field, its defaults, and
// its exchange with the profile store (section "Settings").
//
// Two instances live for the whole run: g_settings, the live settings every part reads
// directly, and g_optionsSettings, the working copy the options sheet edits. Fields the session
// thread reads while the interface thread writes are RelaxedAtomic; the lesson characters
// (m_charSet, m_strSelectedCharacters) are written under g_settingsLock and read under it by the
// session thread.

#include <cstdint>
#include <mutex>
#include <string>

#include "content/charset.h"
#include "content/practice_source.h"
#include "engine/keying.h"
#include "engine/recording_format.h"
#include "engine/relaxed_atomic.h"
#include "engine/signal_conditions.h"
#include "settings/option_table.h"

class ProfileStore;

// Guards the lesson characters (the live character set and "Selected Characters") between the
// interface thread and the session thread. Recursive: the character-set page holds it while it
// copies the whole working settings into the live ones.
extern std::recursive_mutex g_settingsLock;

// Font of the output and copy panes. The ranges are what the font dialog may store, what a load
// keeps and what the panes are given, so a font survives a restart unchanged.
struct IoFontSpec {
    static constexpr int kMinHeight = 40;   // 4 points
    static constexpr int kMaxHeight = 960;  // 96 points
    static constexpr int kMinWeight = 0;    // 0: no preference, drawn as normal (400)
    static constexpr int kMaxWeight = 1000;

    std::string m_strFaceName;  // UTF-8
    int m_nHeight = 0;          // tenths of a point
    int m_nWeight = 0;          // 400 normal, 700 bold
    bool m_bItalic = false;
};

class CSettings {
public:
    // Builds the defaults of the option table. Only the live instance passes true (see
    // CharacterSet).
    explicit CSettings(bool live = false);
    // Copying goes through CopyFrom, which locks the lesson characters.
    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;

    // Copies every field of other; holds g_settingsLock while the lesson characters move.
    void CopyFrom(const CSettings& other);
    // Loads (false) or stores (true) every option of the option table in the section "Settings",
    // in the table's order. A load uses each field's current value as the default, so missing
    // keys keep their values; it then brings out-of-range stored values back into range and
    // derives the dot pitch.
    void ExchangeProfile(ProfileStore& store, bool bSave);
    // Sets the options of one page back to their defaults (its Default button) and derives the
    // keying from them.
    void ResetPage(OptionPage page);
    // Derives the dot pitch from the dash pitch and hands both to the keying parameters: in an
    // early Koch lesson with "Dual pitch" on, dots sound up to about 10 % higher than dashes.
    void UpdateDualPitch(int pitch);
    // The characters of the current lesson: the first "Characters used" characters of the set in
    // Koch order, or the normalised "Selected Characters" for the specified-characters source.
    // Takes g_settingsLock.
    std::string GetActiveCharacters() const;

    static void ExchangeProfileInt(ProfileStore& store, bool bSave, const std::string& section,
                                   const std::string& key, RelaxedAtomic<int32_t>& field);
    static void ExchangeProfileInt(ProfileStore& store, bool bSave, const std::string& section,
                                   const std::string& key, int& field);
    static void ExchangeProfileString(ProfileStore& store, bool bSave, const std::string& section,
                                      const std::string& key, std::string& field);
    // Stored as the integer 0 or 1; any non-zero stored value reads as true.
    static void ExchangeProfileBool(ProfileStore& store, bool bSave, const std::string& section,
                                    const std::string& key, RelaxedAtomic<bool>& field);
    static void ExchangeProfileBool(ProfileStore& store, bool bSave, const std::string& section,
                                    const std::string& key, bool& field);

    // Defaults, ranges and profile keys: settings/option_table.cpp.
    RelaxedAtomic<int32_t> m_nCharactersUsed;
    RelaxedAtomic<int32_t> m_nMinWordLength;
    RelaxedAtomic<int32_t> m_nMaxWordLength;
    RelaxedAtomic<int32_t> m_nProsignSpacing;
    RelaxedAtomic<int32_t> m_nSessionDuration;  // minutes
    RelaxedAtomic<int32_t> m_nInitialDelay;     // seconds
    RelaxedAtomic<int32_t> m_nEndDelay;         // seconds
    RelaxedAtomic<bool> m_bWpmSpeedUnit;
    RelaxedAtomic<bool> m_bViewOutput;
    RelaxedAtomic<bool> m_bViewCodes;
    RelaxedAtomic<bool> m_bUseCaps;
    RelaxedAtomic<bool> m_bInsertLF;
    RelaxedAtomic<bool> m_bPracticeMode;  // false: learning mode, true: training mode
    RelaxedAtomic<bool> m_bDualPitch;
    IoFontSpec m_ioFont;
    KeyingParameters m_keying;
    SignalConditions m_conditions;  // read live by the synthesis, like m_keying
    RelaxedAtomic<int32_t> m_nSource;
    RelaxedAtomic<int32_t> m_nWordsToUse;
    std::string m_strSelectedCharacters;  // Windows-1252; written under g_settingsLock
    std::string m_strLastTextFile;        // UTF-8 path
    // The output's name as the sound host lists it; empty for the system's default.
    std::string m_strOutputDevice;
    std::string m_strRecordingFolder;  // UTF-8 folder of the last recording; empty: none yet
    CharacterSet m_charSet;               // written under g_settingsLock
    // Percent of the Koch session and of its newest character copied right before the next
    // lesson is offered (history/koch_advice.h).
    RelaxedAtomic<int32_t> m_nKochAdvanceThreshold;
    // The record command's last file format (a RecordingFormat number) and the lossy formats'
    // quality, kMinRecordingQuality..kMaxRecordingQuality.
    RelaxedAtomic<int32_t> m_nRecordingFormat;
    RelaxedAtomic<int32_t> m_nRecordingQuality;

private:
    // The rules that join two options, after a load.
    void ApplyJointRules();
};

// The working copy of the options sheet and the live settings. Defined in settings.cpp together
// with g_kochAlphabet, between them, so that the live construction finds the alphabet ready.
extern CSettings g_optionsSettings;
extern CSettings g_settings;

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
#include <string>

#include "content/charset.h"
#include "engine/keying.h"
#include "engine/recording_format.h"
#include "engine/relaxed_atomic.h"
#include "engine/signal_conditions.h"

class ProfileStore;

// Practice sources ("Source"). The first seven and SOURCE_LINE_FILE are exclusive; the three
// vocabulary bits combine with each other only.
constexpr int SOURCE_KOCH = 0x001;
constexpr int SOURCE_CHARSET = 0x002;
constexpr int SOURCE_TEXT_FILE = 0x004;
constexpr int SOURCE_TYPED_TEXT = 0x008;
constexpr int SOURCE_QSO_PLAIN = 0x010;  // reserved: never offered
constexpr int SOURCE_QSO_REAL = 0x020;   // reserved: never offered
// Groups of the Koch lesson weighted by the learner's history ("弱项练习"); a bit no earlier
// profile holds.
constexpr int SOURCE_WEAK_CHARACTERS = 0x040;
constexpr int SOURCE_WORDS = 0x100;
constexpr int SOURCE_ABBREVIATIONS = 0x200;
constexpr int SOURCE_Q_CODES = 0x400;
constexpr int SOURCE_LINE_FILE = 0x800;
constexpr int SOURCE_VOCABULARY_MASK = 0x700;
// Sources whose session needs a fixed text (or lines) prepared before it starts.
constexpr int SOURCE_FIXED_TEXT_MASK = 0x83C;
constexpr int SOURCE_TEXT_KIND_MASK = 0x3C;

// Every exclusive source is one bit of its own, outside the vocabulary bits, and the masks
// select exactly the sources they are meant to.
constexpr bool SourceBitsAreDistinct() {
    const int exclusive[] = {
        SOURCE_KOCH,      SOURCE_CHARSET,  SOURCE_TEXT_FILE,       SOURCE_TYPED_TEXT,
        SOURCE_QSO_PLAIN, SOURCE_QSO_REAL, SOURCE_WEAK_CHARACTERS, SOURCE_LINE_FILE};
    int seen = SOURCE_VOCABULARY_MASK;
    for (int bit : exclusive) {
        if (bit == 0 || (bit & (bit - 1)) != 0 || (seen & bit) != 0) return false;
        seen |= bit;
    }
    return (SOURCE_WORDS | SOURCE_ABBREVIATIONS | SOURCE_Q_CODES) == SOURCE_VOCABULARY_MASK &&
           SOURCE_FIXED_TEXT_MASK == (SOURCE_TEXT_FILE | SOURCE_TYPED_TEXT | SOURCE_QSO_PLAIN |
                                      SOURCE_QSO_REAL | SOURCE_LINE_FILE) &&
           SOURCE_TEXT_KIND_MASK ==
               (SOURCE_TEXT_FILE | SOURCE_TYPED_TEXT | SOURCE_QSO_PLAIN | SOURCE_QSO_REAL);
}
static_assert(SourceBitsAreDistinct());

// Font of the output and copy panes.
struct IoFontSpec {
    std::string m_strFaceName = "Arial";  // UTF-8
    int m_nHeight = 100;                  // tenths of a point
    int m_nWeight = 400;                  // 400 normal, 700 bold
    bool m_bItalic = false;
};

class CSettings {
public:
    // Builds the defaults. Only the live instance passes true (see CharacterSet).
    explicit CSettings(bool live = false);
    // Copying goes through CopyFrom, which locks the lesson characters.
    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;

    // Copies every field of other; holds g_settingsLock while the lesson characters move.
    void CopyFrom(const CSettings& other);
    // Loads (false) or stores (true) every option in the section "Settings". A load uses each
    // field's current value as the default, so missing keys keep their values; it then brings
    // out-of-range stored values back into range and derives the dot pitch.
    void ExchangeProfile(ProfileStore& store, bool bSave);
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

    RelaxedAtomic<int32_t> m_nCharactersUsed{2};
    RelaxedAtomic<int32_t> m_nMinWordLength{2};
    RelaxedAtomic<int32_t> m_nMaxWordLength{7};
    RelaxedAtomic<int32_t> m_nProsignSpacing{3};
    RelaxedAtomic<int32_t> m_nSessionDuration{5};  // minutes
    RelaxedAtomic<int32_t> m_nInitialDelay{2};     // seconds
    RelaxedAtomic<int32_t> m_nEndDelay{2};         // seconds
    RelaxedAtomic<bool> m_bWpmSpeedUnit{true};
    RelaxedAtomic<bool> m_bViewOutput{false};
    RelaxedAtomic<bool> m_bViewCodes{false};
    RelaxedAtomic<bool> m_bUseCaps{false};
    RelaxedAtomic<bool> m_bInsertLF{true};
    RelaxedAtomic<bool> m_bPracticeMode{false};  // false: learning mode, true: training mode
    RelaxedAtomic<bool> m_bDualPitch{false};
    IoFontSpec m_ioFont;
    KeyingParameters m_keying;
    SignalConditions m_conditions;  // read live by the synthesis, like m_keying
    RelaxedAtomic<int32_t> m_nSource{SOURCE_KOCH};
    RelaxedAtomic<int32_t> m_nWordsToUse{25};
    std::string m_strSelectedCharacters;  // Windows-1252; written under g_settingsLock
    std::string m_strLastTextFile;        // UTF-8 path
    CharacterSet m_charSet;               // written under g_settingsLock
    // The record command's last file format (a RecordingFormat number) and the lossy formats'
    // quality, kMinRecordingQuality..kMaxRecordingQuality.
    RelaxedAtomic<int32_t> m_nRecordingFormat{static_cast<int32_t>(RecordingFormat::Wav)};
    RelaxedAtomic<int32_t> m_nRecordingQuality{kDefaultRecordingQuality};

private:
    void ClampLoadedValues();
};

// The working copy of the options sheet and the live settings. Defined in settings.cpp together
// with g_kochAlphabet, between them, so that the live construction finds the alphabet ready.
extern CSettings g_optionsSettings;
extern CSettings g_settings;

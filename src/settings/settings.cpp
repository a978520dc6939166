#include "settings/settings.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "content/codepage.h"
#include "content/text_prep.h"
#include "settings/profile_store.h"

// Static construction order matters here, so all four live in this one file: the lock, the
// working copy, the Koch alphabet's initial text, then the live settings, whose character set
// appends the prosign codes to that text.
std::recursive_mutex g_settingsLock;
CSettings g_optionsSettings;
// Letters, digits and punctuation in teaching order, then the accented letters
// æ ø å ä ö ü ß þ ð à é, then ' ! : ; - _ and the quotation mark (59 bytes).
std::string g_kochAlphabet =
    "kmrsuaptlowi.njef0yv,g5/q9zh38b?427c1d6x@"
    "\xE6\xF8\xE5\xE4\xF6\xFC\xDF\xFE\xF0\xE0\xE9"
    "'!:;-_\"";
CSettings g_settings(true);

namespace {

const std::string kSection = "Settings";

// Dual pitch applies only to the first lessons of the Koch course.
constexpr int kDualPitchMaxCharacters = 20;

// A stored "Source" is usable when it is exactly one of the exclusive sources the menu offers,
// or any non-empty combination of vocabulary bits. The two reserved fragment values are not
// offered by the menu and have no material, so they count as unusable too.
bool IsUsableSource(int source) {
    switch (source) {
        case SOURCE_KOCH:
        case SOURCE_CHARSET:
        case SOURCE_TEXT_FILE:
        case SOURCE_TYPED_TEXT:
        case SOURCE_LINE_FILE:
        case SOURCE_WEAK_CHARACTERS:
            return true;
        default:
            return source != 0 && (source & ~SOURCE_VOCABULARY_MASK) == 0;
    }
}

void Clamp(RelaxedAtomic<int32_t>& field, int32_t low, int32_t high) {
    field = std::clamp(field.load(), low, high);
}

}  // namespace

CSettings::CSettings(bool live) : m_charSet(live) {}

void CSettings::CopyFrom(const CSettings& other) {
    if (this == &other) return;
    m_nCharactersUsed = other.m_nCharactersUsed;
    m_nMinWordLength = other.m_nMinWordLength;
    m_nMaxWordLength = other.m_nMaxWordLength;
    m_nProsignSpacing = other.m_nProsignSpacing;
    m_nSessionDuration = other.m_nSessionDuration;
    m_nInitialDelay = other.m_nInitialDelay;
    m_nEndDelay = other.m_nEndDelay;
    m_bWpmSpeedUnit = other.m_bWpmSpeedUnit;
    m_bViewOutput = other.m_bViewOutput;
    m_bViewCodes = other.m_bViewCodes;
    m_bUseCaps = other.m_bUseCaps;
    m_bInsertLF = other.m_bInsertLF;
    m_bPracticeMode = other.m_bPracticeMode;
    m_bDualPitch = other.m_bDualPitch;
    m_ioFont = other.m_ioFont;
    m_keying = other.m_keying;
    m_conditions = other.m_conditions;
    m_nSource = other.m_nSource;
    m_nWordsToUse = other.m_nWordsToUse;
    m_strLastTextFile = other.m_strLastTextFile;
    m_nRecordingFormat = other.m_nRecordingFormat;
    m_nRecordingQuality = other.m_nRecordingQuality;
    std::lock_guard lock(g_settingsLock);
    m_strSelectedCharacters = other.m_strSelectedCharacters;
    m_charSet = other.m_charSet;
}

void CSettings::ExchangeProfileInt(ProfileStore& store, bool bSave, const std::string& section,
                                   const std::string& key, RelaxedAtomic<int32_t>& field) {
    if (bSave)
        store.WriteInt(section, key, field);
    else
        field = store.ReadInt(section, key, field);
}

void CSettings::ExchangeProfileInt(ProfileStore& store, bool bSave, const std::string& section,
                                   const std::string& key, int& field) {
    if (bSave)
        store.WriteInt(section, key, field);
    else
        field = store.ReadInt(section, key, field);
}

void CSettings::ExchangeProfileString(ProfileStore& store, bool bSave, const std::string& section,
                                      const std::string& key, std::string& field) {
    if (bSave)
        store.WriteString(section, key, field);
    else
        field = store.ReadString(section, key, field);
}

void CSettings::ExchangeProfileBool(ProfileStore& store, bool bSave, const std::string& section,
                                    const std::string& key, RelaxedAtomic<bool>& field) {
    bool value = field;
    ExchangeProfileBool(store, bSave, section, key, value);
    field = value;
}

void CSettings::ExchangeProfileBool(ProfileStore& store, bool bSave, const std::string& section,
                                    const std::string& key, bool& field) {
    if (bSave)
        store.WriteInt(section, key, field ? 1 : 0);
    else
        field = store.ReadInt(section, key, field ? 1 : 0) != 0;
}

void CSettings::ExchangeProfile(ProfileStore& store, bool bSave) {
    ExchangeProfileBool(store, bSave, kSection, "WPM speed unit", m_bWpmSpeedUnit);

    // Speeds are stored in characters per minute whatever unit the interface shows.
    ExchangeProfileInt(store, bSave, kSection, "Word speed", m_keying.wordSpeedCpm);
    ExchangeProfileInt(store, bSave, kSection, "Char speed", m_keying.charSpeedCpm);
    ExchangeProfileInt(store, bSave, kSection, "Volume", m_keying.volume);
    ExchangeProfileInt(store, bSave, kSection, "Master volume", m_keying.masterVolume);
    ExchangeProfileInt(store, bSave, kSection, "Pitch", m_keying.pitch);
    // Re-applies the speed clamps and derives the element and gap lengths.
    m_keying.SetSpeeds(m_keying.wordSpeedCpm, m_keying.charSpeedCpm, false);

    ExchangeProfileInt(store, bSave, kSection, "Characters used", m_nCharactersUsed);
    ExchangeProfileInt(store, bSave, kSection, "Min word length", m_nMinWordLength);
    ExchangeProfileInt(store, bSave, kSection, "Max word length", m_nMaxWordLength);
    ExchangeProfileInt(store, bSave, kSection, "Prosign spacing", m_nProsignSpacing);
    ExchangeProfileInt(store, bSave, kSection, "Session duration", m_nSessionDuration);
    ExchangeProfileInt(store, bSave, kSection, "Initial delay", m_nInitialDelay);
    ExchangeProfileInt(store, bSave, kSection, "End delay", m_nEndDelay);

    ExchangeProfileBool(store, bSave, kSection, "View output", m_bViewOutput);
    ExchangeProfileBool(store, bSave, kSection, "View codes", m_bViewCodes);
    ExchangeProfileBool(store, bSave, kSection, "Use caps", m_bUseCaps);
    ExchangeProfileBool(store, bSave, kSection, "Insert LF", m_bInsertLF);
    ExchangeProfileBool(store, bSave, kSection, "Practice mode", m_bPracticeMode);
    ExchangeProfileBool(store, bSave, kSection, "Dual pitch", m_bDualPitch);

    ExchangeProfileInt(store, bSave, kSection, "Source", m_nSource);
    ExchangeProfileInt(store, bSave, kSection, "Words to use", m_nWordsToUse);

    // The character list is Windows-1252 inside the program and UTF-8 in the store.
    std::string selected = codepage::ToUtf8(m_strSelectedCharacters);
    ExchangeProfileString(store, bSave, kSection, "Selected Characters", selected);
    ExchangeProfileString(store, bSave, kSection, "Last text file used", m_strLastTextFile);
    ExchangeProfileInt(store, bSave, kSection, "Recording format", m_nRecordingFormat);
    ExchangeProfileInt(store, bSave, kSection, "Recording quality", m_nRecordingQuality);

    ExchangeProfileString(store, bSave, kSection, "IO Font face", m_ioFont.m_strFaceName);
    ExchangeProfileInt(store, bSave, kSection, "IO Font height", m_ioFont.m_nHeight);
    ExchangeProfileInt(store, bSave, kSection, "IO Font weight", m_ioFont.m_nWeight);
    ExchangeProfileBool(store, bSave, kSection, "IO Font italic", m_ioFont.m_bItalic);

    // The set in fixed order, prosign codes (control bytes 1 to 14) included.
    std::string setString = codepage::ToUtf8(m_charSet.BuildSetString(false));
    ExchangeProfileString(store, bSave, kSection, "Character set", setString);
    if (bSave) return;

    {
        std::lock_guard lock(g_settingsLock);
        m_strSelectedCharacters = codepage::FromUtf8(selected);
        m_charSet.ParseSetString(codepage::FromUtf8(setString));
    }
    ClampLoadedValues();
    UpdateDualPitch(m_keying.pitch);
}

// Stored values the program cannot use safely are brought back into the ranges the option
// pages and dialogs enforce. Speeds and pitches are clamped by the keying parameters, the
// character set by ParseSetString; this covers everything else.
void CSettings::ClampLoadedValues() {
    // The lesson holds at least two characters and at most the whole set.
    const int setSize = static_cast<int>(m_charSet.BuildSetString(false).size());
    Clamp(m_nCharactersUsed, 2, setSize);
    Clamp(m_nMinWordLength, 2, 10);
    Clamp(m_nMaxWordLength, std::max<int32_t>(4, m_nMinWordLength), 10);
    Clamp(m_nProsignSpacing, 1, 5);
    Clamp(m_nSessionDuration, 1, 60);
    Clamp(m_nInitialDelay, 0, 10);
    Clamp(m_nEndDelay, 0, 10);
    // The volumes scale the tone amplitude; above 100 the 16-bit samples would overflow.
    Clamp(m_keying.volume, 0, 100);
    Clamp(m_keying.masterVolume, 0, 100);
    if (!IsUsableSource(m_nSource)) m_nSource = SOURCE_KOCH;
    Clamp(m_nWordsToUse, 1, 1000);
    m_nRecordingFormat = static_cast<int32_t>(RecordingFormatFromNumber(m_nRecordingFormat));
    Clamp(m_nRecordingQuality, kMinRecordingQuality, kMaxRecordingQuality);
    // A font from 4 to 96 points and a weight within the usual 100 (thin) to 900 (black).
    m_ioFont.m_nHeight = std::clamp(m_ioFont.m_nHeight, 40, 960);
    m_ioFont.m_nWeight = std::clamp(m_ioFont.m_nWeight, 100, 900);
}

void CSettings::UpdateDualPitch(int pitch) {
    int64_t secondPitch = pitch;
    const int64_t n = m_nCharactersUsed;
    // The weak-character source practises the Koch lesson and sounds like it.
    const bool kochLesson = m_nSource == SOURCE_KOCH || m_nSource == SOURCE_WEAK_CHARACTERS;
    if (m_bDualPitch && n < kDualPitchMaxCharacters && kochLesson) {
        // Truncating integer steps; 64 bits so that any stored pitch is safe to multiply.
        const int64_t p = pitch;
        secondPitch = p + (11 * p) / 100 - ((p / 10) * n) / 20;
    }
    secondPitch = std::clamp<int64_t>(secondPitch, std::numeric_limits<int>::min(),
                                      std::numeric_limits<int>::max());
    m_keying.SetPitches(pitch, static_cast<int>(secondPitch));
}

std::string CSettings::GetActiveCharacters() const {
    std::lock_guard lock(g_settingsLock);
    if (m_nSource == SOURCE_CHARSET) return NormaliseCharacterList(m_strSelectedCharacters);
    const std::string set = m_charSet.BuildSetString(true);
    const size_t count = static_cast<size_t>(std::max<int32_t>(m_nCharactersUsed, 0));
    return set.substr(0, std::min(count, set.size()));
}

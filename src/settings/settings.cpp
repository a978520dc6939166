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

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};

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

void SetDefault(const OptionRow& row, CSettings& s) {
    std::visit(Overloaded{
                   [&](RelaxedAtomic<int32_t>* f) { *f = row.defaultNumber; },
                   [&](int* f) { *f = row.defaultNumber; },
                   [&](RelaxedAtomic<bool>* f) { *f = row.defaultNumber != 0; },
                   [&](bool* f) { *f = row.defaultNumber != 0; },
                   [&](std::string* f) { *f = row.defaultText; },
                   [&](Cp1252Text f) {
                       std::lock_guard lock(g_settingsLock);
                       *f.text = codepage::FromUtf8(row.defaultText);
                   },
                   [&](CharacterSet* f) {
                       std::lock_guard lock(g_settingsLock);
                       f->ResetDefaults();
                   },
               },
               row.field(s));
}

// Exchanges one row's value; a load brings a number into the row's range and keeps the current
// value in place of a text too long to be real.
void ExchangeRow(const OptionRow& row, CSettings& s, ProfileStore& store, bool bSave) {
    const std::string key = row.key;
    const auto exchangeText = [&](std::string& value) {
        const std::string current = value;
        CSettings::ExchangeProfileString(store, bSave, kSection, key, value);
        if (value.size() > kMaxStoredTextBytes) value = current;
    };
    std::visit(
        Overloaded{
            [&](RelaxedAtomic<int32_t>* f) {
                CSettings::ExchangeProfileInt(store, bSave, kSection, key, *f);
                if (!bSave) *f = std::clamp(f->load(), row.low, row.high);
            },
            [&](int* f) {
                CSettings::ExchangeProfileInt(store, bSave, kSection, key, *f);
                if (!bSave) *f = std::clamp(*f, row.low, row.high);
            },
            [&](RelaxedAtomic<bool>* f) {
                CSettings::ExchangeProfileBool(store, bSave, kSection, key, *f);
            },
            [&](bool* f) { CSettings::ExchangeProfileBool(store, bSave, kSection, key, *f); },
            [&](std::string* f) { exchangeText(*f); },
            [&](Cp1252Text f) {
                std::string text = codepage::ToUtf8(*f.text);
                exchangeText(text);
                if (bSave) return;
                std::lock_guard lock(g_settingsLock);
                *f.text = codepage::FromUtf8(text);
            },
            [&](CharacterSet* f) {
                // The set in fixed order, prosign codes (control bytes 1 to 14) included.
                std::string text = codepage::ToUtf8(f->BuildSetString(false));
                exchangeText(text);
                if (bSave) return;
                std::lock_guard lock(g_settingsLock);
                f->ParseSetString(codepage::FromUtf8(text));
            },
        },
        row.field(s));
}

}  // namespace

CSettings::CSettings(bool live) : m_charSet(live) {
    for (const OptionRow& row : OptionRows()) SetDefault(row, *this);
    m_keying.SetSpeeds(m_keying.wordSpeedCpm, m_keying.charSpeedCpm, false);
}

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
    m_nKochAdvanceThreshold = other.m_nKochAdvanceThreshold;
    m_nRecordingFormat = other.m_nRecordingFormat;
    m_nRecordingQuality = other.m_nRecordingQuality;
    m_strOutputDevice = other.m_strOutputDevice;
    m_strRecordingFolder = other.m_strRecordingFolder;
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
    for (const OptionRow& row : OptionRows()) ExchangeRow(row, *this, store, bSave);
    // Re-applies the speed clamps and derives the element and gap lengths, in both directions.
    m_keying.SetSpeeds(m_keying.wordSpeedCpm, m_keying.charSpeedCpm, false);
    if (bSave) return;
    ApplyJointRules();
    UpdateDualPitch(m_keying.pitch);
}

void CSettings::ResetPage(OptionPage page) {
    for (const OptionRow& row : OptionRows())
        if (row.page == page) SetDefault(row, *this);
    m_keying.SetSpeeds(m_keying.wordSpeedCpm, m_keying.charSpeedCpm, false);
    UpdateDualPitch(m_keying.pitch);
}

void CSettings::ApplyJointRules() {
    // The lesson holds at most the whole set (which holds at least two characters).
    const int setSize = static_cast<int>(m_charSet.BuildSetString(false).size());
    m_nCharactersUsed = std::min<int32_t>(m_nCharactersUsed, setSize);
    m_nMaxWordLength = std::max<int32_t>(m_nMaxWordLength, m_nMinWordLength);
    if (!IsUsableSource(m_nSource)) m_nSource = SOURCE_KOCH;
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

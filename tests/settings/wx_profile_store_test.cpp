#include "settings/wx_profile_store.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "content/codepage.h"
#include "memory_profile_store.h"
#include "settings/settings.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

using namespace std::string_literals;

std::map<MemoryProfileStore::Key, std::string> Stored(CSettings& settings) {
    MemoryProfileStore store;
    settings.ExchangeProfile(store, true);
    return store.m_values;
}

// Each test gets its own home and config folder, set before any store is constructed.
class WxStore : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "veltrane-store-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_home = pattern;
        UseConfigFolder(m_home / ".config");
        fs::create_directories(m_configDir);
        setenv("HOME", m_home.c_str(), 1);
    }
    void TearDown() override { fs::remove_all(m_home); }

    void UseConfigFolder(const fs::path& dir) {
        m_configDir = dir;
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    }
    fs::path ConfigFile() const { return m_configDir / "Veltrane.conf"; }

    fs::path m_home, m_configDir;
};

TEST_F(WxStore, WritesTheXdgConfigFile) {
    {
        WxProfileStore store;
        store.WriteInt("Settings", "Char speed", 120);
        store.WriteInt("Window", "Left", -20);
        store.Flush();
        EXPECT_NE(ReadText(ConfigFile()).find("[Settings]"), std::string::npos);
    }
    WxProfileStore store;
    EXPECT_EQ(store.ReadInt("Settings", "Char speed", 90), 120);
    EXPECT_EQ(store.ReadInt("Window", "Left", 0), -20);
    EXPECT_EQ(store.ReadInt("Window", "Char speed", 7), 7);  // sections are apart
    EXPECT_EQ(store.ReadString("Settings", "Missing", "dflt"), "dflt");
}

TEST_F(WxStore, CreatesAMissingConfigFolder) {
    UseConfigFolder(m_home / "new" / "config");
    { WxProfileStore().WriteInt("Settings", "Pitch", 800); }
    EXPECT_TRUE(fs::exists(ConfigFile()));
    EXPECT_EQ(WxProfileStore().ReadInt("Settings", "Pitch", 700), 800);
}

TEST_F(WxStore, EveryCodePageByteAndAwkwardTextRoundTrips) {
    std::string everyByte;
    for (int c = 1; c < 256; ++c) everyByte += static_cast<char>(c);
    const std::string awkward[] = {
        codepage::ToUtf8(everyByte),
        "  leading and trailing spaces  ",
        "\"quoted\" back\\slash\\ = # ; [Window] ",
        "$HOME ${HOME} %PATH%",
        "/home/学习者/练习 1.txt",
        "",
    };
    {
        WxProfileStore store;
        for (size_t i = 0; i < std::size(awkward); ++i)
            store.WriteString("Settings", "Text " + std::to_string(i), awkward[i]);
    }
    WxProfileStore store;
    for (size_t i = 0; i < std::size(awkward); ++i)
        EXPECT_EQ(store.ReadString("Settings", "Text " + std::to_string(i), "?"), awkward[i]) << i;
    EXPECT_EQ(codepage::FromUtf8(store.ReadString("Settings", "Text 0", "")), everyByte);
}

TEST_F(WxStore, CharacterSetWithControlAndLatinBytesRoundTripsByteForByte) {
    // The stored value itself: prosign codes 1 to 14 (LF and CR among them) and Latin-1 letters.
    std::string raw = "ab\xE6\xF8\xE5\xFC\xDF\xE0\xE9\xFE\xF0@0";
    for (int code = 1; code <= 14; ++code) raw += static_cast<char>(code);
    { WxProfileStore().WriteString("Settings", "Character set", codepage::ToUtf8(raw)); }
    EXPECT_EQ(codepage::FromUtf8(WxProfileStore().ReadString("Settings", "Character set", "")),
              raw);

    // A whole settings record whose set holds codes 10 and 13.
    CSettings saved;
    for (CharFlag flag : {CF_AE, CF_O_SLASH, CF_A_RING, CF_U_UML, CF_SZ, CF_CH, CF_E_ACUTE,
                          CF_THORN, CF_ETH, CF_PARENTHESES, CF_TV, CF_VA, CF_AS, CF_CL, CF_KA,
                          CF_KN, CF_SOS, CF_QUOTE, CF_APOSTROPHE})
        saved.m_charSet.m_flags[flag] = true;
    saved.m_charSet.m_flags[CF_EQUALS] = false;
    saved.m_charSet.m_flags[CF_SK] = false;
    const std::string set = saved.m_charSet.BuildSetString(false);
    ASSERT_NE(set.find('\n'), std::string::npos);
    ASSERT_NE(set.find('\r'), std::string::npos);
    {
        WxProfileStore store;
        saved.ExchangeProfile(store, true);
    }
    CSettings loaded;
    WxProfileStore store;
    loaded.ExchangeProfile(store, false);
    EXPECT_EQ(loaded.m_charSet.BuildSetString(false), set);
}

TEST_F(WxStore, SettingsSurviveASaveLoadCycle) {
    CSettings saved;
    saved.m_nCharactersUsed = 33;
    saved.m_nMaxWordLength = 10;
    saved.m_bViewCodes = true;
    saved.m_bDualPitch = true;
    saved.m_keying.SetSpeeds(20, 25, true);
    saved.m_keying.pitch = 555;
    saved.m_nSource = SOURCE_ABBREVIATIONS;
    saved.m_strSelectedCharacters = "\xE4\xF6\xFC \\AR";
    saved.m_strLastTextFile = "/tmp/练习.txt";
    saved.m_ioFont = {"WenQuanYi Micro Hei", 120, 700, true};
    saved.UpdateDualPitch(saved.m_keying.pitch);
    {
        WxProfileStore store;
        saved.ExchangeProfile(store, true);
    }
    CSettings loaded;
    {
        WxProfileStore store;
        loaded.ExchangeProfile(store, false);
    }
    EXPECT_EQ(Stored(loaded), Stored(saved));
    EXPECT_EQ(loaded.m_strSelectedCharacters, saved.m_strSelectedCharacters);
    EXPECT_EQ(loaded.m_keying.dotSamples, saved.m_keying.dotSamples);
}

TEST_F(WxStore, DamagedFileLoadsDefaults) {
    std::mt19937 rng(5);
    std::string noise;
    for (int i = 0; i < 4000; ++i) noise += static_cast<char>(rng());
    const std::string damaged[] = {
        noise,
        "\xFF\xFE" + noise,                    // looks like UTF-16 at first
        "[Settings]\n" + noise,                // a section full of noise
        "[Settings\nChar speed=100\n\0\0\0"s,  // a broken section header
        "[Settings]\nChar speed=fast\nPitch=12x\nWord speed=99999999999999999999\n"
        "Characters used=\nSource= 0x100\nCharacter set\n",
    };
    CSettings fresh;
    for (const std::string& bytes : damaged) {
        WriteText(ConfigFile(), bytes);
        CSettings loaded;
        WxProfileStore store;
        loaded.ExchangeProfile(store, false);
        EXPECT_EQ(Stored(loaded), Stored(fresh));
    }
}

TEST_F(WxStore, ReadableValuesOfAPartlyDamagedFileAreKept) {
    WriteText(ConfigFile(),
              "[Settings]\nChar speed=abc\nWord speed= 75 \nVolume=30\nIO Font face=Noto Sans\n"
              "\x01\xFF garbage line\nUse caps=1\n");
    CSettings loaded;
    WxProfileStore store;
    loaded.ExchangeProfile(store, false);
    EXPECT_EQ(loaded.m_keying.charSpeedCpm, 90);
    EXPECT_EQ(loaded.m_keying.wordSpeedCpm, 75);
    EXPECT_EQ(loaded.m_keying.volume, 30);
    EXPECT_EQ(loaded.m_ioFont.m_strFaceName, "Noto Sans");
    EXPECT_TRUE(loaded.m_bUseCaps);
}

// A damaged profile may hold a value of many megabytes in a text key. It reads as if it were
// missing, and the next save writes the real value in its place.
TEST_F(WxStore, OversizedTextValuesReadAsDamaged) {
    const std::string huge(10'000'000, 'x');
    WriteText(ConfigFile(), "[Settings]\nIO Font face=" + huge + "\nCharacter set=" + huge +
                                "\nSelected Characters=" + huge + "\nLast text file used=" + huge +
                                "\nPitch=800\n");
    CSettings loaded, fresh;
    {
        WxProfileStore store;
        loaded.ExchangeProfile(store, false);
        EXPECT_EQ(loaded.m_ioFont.m_strFaceName, "Arial");
        EXPECT_TRUE(loaded.m_charSet == fresh.m_charSet);
        EXPECT_EQ(loaded.m_strSelectedCharacters, "");
        EXPECT_EQ(loaded.m_strLastTextFile, "");
        EXPECT_EQ(loaded.m_keying.pitch, 800);
        loaded.ExchangeProfile(store, true);
    }
    EXPECT_LT(fs::file_size(ConfigFile()), 10'000u);

    // The longest real value, a path of 4,096 bytes, is kept.
    const std::string longPath = "/" + std::string(4095, 'p');
    { WxProfileStore().WriteString("Settings", "Last text file used", longPath); }
    CSettings reloaded;
    WxProfileStore store;
    reloaded.ExchangeProfile(store, false);
    EXPECT_EQ(reloaded.m_strLastTextFile, longPath);
}

// A byte that is not UTF-8 is repaired where it stands; every other byte of the file, a Chinese
// font face among them, stays as it was.
TEST_F(WxStore, ANonUtf8ByteRepairsOnlyItsOwnValue) {
    const std::string face =
        "\xE6\x96\x87\xE6\xB3\x89\xE9\xA9\xBF\xE5\xBE\xAE\xE7\xB1\xB3\xE9\xBB\x91";
    const std::string before = "[Settings]\nIO Font face=" + face + "\nPitch=650\n";
    const std::string after = "Use caps=1\n[Window]\nLeft=12\n";
    WriteText(ConfigFile(), before + "Selected Characters=k\xE4m\x80\x9F\n" + after);
    CSettings loaded;
    {
        WxProfileStore store;
        loaded.ExchangeProfile(store, false);
    }
    EXPECT_EQ(loaded.m_ioFont.m_strFaceName, face);
    EXPECT_EQ(loaded.m_keying.pitch, 650);
    EXPECT_TRUE(loaded.m_bUseCaps);
    // The damaged bytes are the Windows-1252 characters the list is kept in.
    EXPECT_EQ(loaded.m_strSelectedCharacters, "k\xE4m\x80\x9F");
    EXPECT_EQ(ReadText(ConfigFile()),
              before + "Selected Characters=k\xC3\xA4m\xE2\x82\xAC\xC5\xB8\n" + after);

    // Saved and loaded again, nothing changes any more.
    {
        WxProfileStore store;
        loaded.ExchangeProfile(store, true);
    }
    CSettings again;
    WxProfileStore store;
    again.ExchangeProfile(store, false);
    EXPECT_EQ(again.m_ioFont.m_strFaceName, face);
    EXPECT_EQ(again.m_strSelectedCharacters, "k\xE4m\x80\x9F");
    EXPECT_EQ(store.ReadInt("Window", "Left", 0), 12);
}

TEST_F(WxStore, NumbersBeyondThirtyTwoBitsAreClampedNotDefaulted) {
    WriteText(ConfigFile(),
              "[Settings]\nChar speed=3000000000\nPitch=-5000000000\nEnd delay=4294967298\n");
    CSettings loaded;
    WxProfileStore store;
    EXPECT_EQ(store.ReadInt("Settings", "Char speed", 0), INT_MAX);
    loaded.ExchangeProfile(store, false);
    EXPECT_EQ(loaded.m_keying.charSpeedCpm, 500);
    EXPECT_EQ(loaded.m_keying.pitch, 400);
    EXPECT_EQ(loaded.m_nEndDelay, 10);
}

TEST_F(WxStore, UnwritableLocationFailsSilently) {
    WriteText(m_home / "not-a-folder", "x");
    UseConfigFolder(m_home / "not-a-folder");
    {
        WxProfileStore store;
        store.WriteString("Settings", "IO Font face", "Arial");
        store.Flush();
    }
    CSettings loaded, fresh;
    WxProfileStore store;
    loaded.ExchangeProfile(store, false);
    EXPECT_EQ(Stored(loaded), Stored(fresh));
}

}  // namespace

#include "engine/recording_names.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace {

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(text.substr(start, at - start));
    lines.push_back(text.substr(start));
    return lines;
}

std::string Words(const std::vector<size_t>& lengths) {
    std::string text;
    char letter = 'a';
    for (size_t length : lengths) {
        if (!text.empty()) text += ' ';
        text.append(length, letter);
        letter = letter == 'z' ? 'a' : static_cast<char>(letter + 1);
    }
    return text;
}

TEST(RecordingNamesTest, GeneratedSourcesAreNamedBySpeedsInTheChosenUnit) {
    EXPECT_EQ(DefaultRecordingName(SOURCE_KOCH, "", 2, 60, 90, true), "Morse code 02 12 18.wav");
    EXPECT_EQ(DefaultRecordingName(SOURCE_KOCH, "", 2, 60, 90, false), "Morse code 02 60 90.wav");
    // WPM is whole words: 64 CPM is still 12 WPM.
    EXPECT_EQ(DefaultRecordingName(SOURCE_KOCH, "", 40, 64, 500, true), "Morse code 40 12 100.wav");
    EXPECT_EQ(DefaultRecordingName(SOURCE_CHARSET, "", 2, 60, 90, true), "Morse code 12 18.wav");
    EXPECT_EQ(DefaultRecordingName(SOURCE_WORDS | SOURCE_Q_CODES, "", 2, 125, 250, false),
              "Morse code 125 250.wav");
    // Only the text file names the recording after itself; a line file or typed text does not.
    EXPECT_EQ(DefaultRecordingName(SOURCE_LINE_FILE, "/x/lines.txt", 2, 60, 90, true),
              "Morse code 12 18.wav");
    EXPECT_EQ(DefaultRecordingName(SOURCE_TYPED_TEXT, "", 2, 60, 90, true), "Morse code 12 18.wav");
}

TEST(RecordingNamesTest, TextFileSourceNamesTheRecordingAfterTheFile) {
    EXPECT_EQ(
        DefaultRecordingName(SOURCE_TEXT_FILE, "/home/li/lessons/lesson.txt", 2, 60, 90, true),
        "/home/li/lessons/lesson.wav");
    // A dot in a folder must not cut the path when the file name has no extension.
    EXPECT_EQ(ReplaceFileExtension("/home/li/v1.2/lesson", ".wav"), "/home/li/v1.2/lesson.wav");
    EXPECT_EQ(ReplaceFileExtension("/home/li/v1.2/lesson.old.txt", ".wav"),
              "/home/li/v1.2/lesson.old.wav");
    EXPECT_EQ(ReplaceFileExtension("/home/li/.notes", ".wav"), "/home/li/.notes.wav");
    EXPECT_EQ(ReplaceFileExtension("lesson.", ".wav"), "lesson.wav");
    // Folder and file names in Chinese stay intact (UTF-8 through the file-system path).
    EXPECT_EQ(ReplaceFileExtension("/home/练习.d/课文.txt", ".wav"), "/home/练习.d/课文.wav");
    // The text file saved beside a recording.
    EXPECT_EQ(ReplaceFileExtension("/home/li/Morse code 02 12 18.wav", ".txt"),
              "/home/li/Morse code 02 12 18.txt");
}

TEST(SentTextLinesTest, FiveLetterGroupsBreakAtSpacesIntoLinesOfAtMost80) {
    // 200 characters: 33 groups of "xxxxx " and two more letters.
    std::string text;
    while (text.size() < 200) text += std::string("abcde ").substr(0, 200 - text.size());
    ASSERT_EQ(text.size(), 200u);

    const std::string broken = BreakIntoLines(text);
    const auto lines = SplitCrLf(broken);
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& line : lines) {
        EXPECT_LE(line.size(), 80u);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    }
    // Each break took the place of one space and nothing else.
    EXPECT_EQ(lines[0] + " " + lines[1] + " " + lines[2], text);
    EXPECT_EQ(lines[0].size(), 77u);  // 13 groups; a 14th would end at column 83
}

TEST(SentTextLinesTest, RandomWordsFillEachLineAsFarAsTheNextWordAllows) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<size_t> lengths(std::uniform_int_distribution<size_t>(1, 60)(random));
        for (auto& length : lengths) length = std::uniform_int_distribution<size_t>(1, 30)(random);
        const std::string text = Words(lengths);
        const auto lines = SplitCrLf(BreakIntoLines(text));

        std::string joined;
        for (size_t i = 0; i < lines.size(); ++i) {
            ASSERT_LE(lines[i].size(), 80u) << text;
            ASSERT_FALSE(lines[i].empty()) << text;
            if (i + 1 < lines.size()) {
                // The next line's first word would not have fitted.
                const size_t nextWord = lines[i + 1].find(' ');
                const size_t wordLength =
                    nextWord == std::string::npos ? lines[i + 1].size() : nextWord;
                EXPECT_GT(lines[i].size() + 1 + wordLength, 80u) << text;
            }
            joined += (i ? " " : "") + lines[i];
        }
        ASSERT_EQ(joined, text);
        if (text.size() <= 80) {
            EXPECT_EQ(lines.size(), 1u);
        }
    }
}

TEST(SentTextLinesTest, RunsWithoutSpacesAreCutAtTheWidth) {
    const std::string solid(200, 'e');
    EXPECT_EQ(SplitCrLf(BreakIntoLines(solid)),
              (std::vector<std::string>{std::string(80, 'e'), std::string(80, 'e'),
                                        std::string(40, 'e')}));

    // A long run after a short word: the word's space still ends the first line, and the search
    // for a space in the long run never reaches back into that first line.
    const std::string mixed = "ab " + std::string(170, 'k') + " cd";
    const auto lines = SplitCrLf(BreakIntoLines(mixed));
    EXPECT_EQ(lines, (std::vector<std::string>{"ab", std::string(80, 'k'), std::string(80, 'k'),
                                               std::string(10, 'k') + " cd"}));

    // A line that starts with a space (a doubled space at a break) is not broken into nothing.
    const std::string doubled = std::string(80, 'a') + "  " + std::string(100, 'b');
    for (const auto& line : SplitCrLf(BreakIntoLines(doubled))) {
        EXPECT_FALSE(line.empty());
        EXPECT_LE(line.size(), 80u);
    }

    // Exactly 80 stays whole; 81 breaks.
    EXPECT_EQ(BreakIntoLines(std::string(80, 'e')), std::string(80, 'e'));
    EXPECT_EQ(BreakIntoLines(std::string(80, 'e') + " f"), std::string(80, 'e') + "\r\nf");
}

}  // namespace

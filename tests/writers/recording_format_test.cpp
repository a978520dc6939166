#include "engine/recording_format.h"

#include <gtest/gtest.h>

namespace {

TEST(RecordingFormatTest, ExtensionsNameTheirFormatsWhateverTheirCase) {
    EXPECT_EQ(RecordingFormatFromPath("a/lesson.wav"), RecordingFormat::Wav);
    EXPECT_EQ(RecordingFormatFromPath("lesson.MP3"), RecordingFormat::Mp3);
    EXPECT_EQ(RecordingFormatFromPath("lesson.Ogg"), RecordingFormat::OggVorbis);
    EXPECT_EQ(RecordingFormatFromPath("lesson.oga"), RecordingFormat::OggVorbis);
    EXPECT_EQ(RecordingFormatFromPath("课程.opus"), RecordingFormat::Opus);
    EXPECT_EQ(RecordingFormatFromPath("lesson.flac"), RecordingFormat::Flac);
    // Every format's own extension leads back to it.
    for (const RecordingFormatInfo& info : RecordingFormats())
        EXPECT_EQ(RecordingFormatFromPath(std::string("x") + info.extension), info.format);
}

TEST(RecordingFormatTest, NamesWithoutAKnownExtensionHaveNoFormat) {
    EXPECT_EQ(RecordingFormatFromPath("lesson"), std::nullopt);
    EXPECT_EQ(RecordingFormatFromPath("lesson.txt"), std::nullopt);
    EXPECT_EQ(RecordingFormatFromPath("lesson.wav.part"), std::nullopt);
    // A dot in a folder's name is not the file's extension.
    EXPECT_EQ(RecordingFormatFromPath("music.mp3/lesson"), std::nullopt);
    EXPECT_EQ(RecordingFormatFromPath("music.mp3\\lesson"), std::nullopt);
}

TEST(RecordingFormatTest, StoredNumbersOutsideTheListReadAsWav) {
    EXPECT_EQ(RecordingFormatFromNumber(1), RecordingFormat::Mp3);
    EXPECT_EQ(RecordingFormatFromNumber(4), RecordingFormat::Flac);
    EXPECT_EQ(RecordingFormatFromNumber(-1), RecordingFormat::Wav);
    EXPECT_EQ(RecordingFormatFromNumber(5), RecordingFormat::Wav);
}

}  // namespace

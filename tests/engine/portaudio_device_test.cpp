#include "engine/portaudio_device.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/audio_flags.h"
#include "engine/keying.h"
#include "engine/morse_audio.h"

// Opening (and closing) the device says nothing on the terminal, whether or not there is one:
// the host APIs' probing output goes nowhere.
TEST(PortAudioDevice, OpeningAndClosingPrintNothing) {
    testing::internal::CaptureStderr();
    {
        const std::unique_ptr<SoundBackend> backend = MakePortAudioBackend();
        std::unique_ptr<SoundDevice> device = backend->Open("");
        backend->OutputDevices();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(PortAudioDevice, PlaysACharacterThroughTheDefaultOutput) {
    const std::unique_ptr<SoundBackend> backend = MakePortAudioBackend();
    std::unique_ptr<SoundDevice> device = backend->Open("");
    if (!device) GTEST_SKIP() << "no sound output on this machine";
    SoundDevice* slot = device.get();
    KeyingParameters keying;
    CMorseAudio audio(keying, slot);
    g_bAbort = false;
    EXPECT_EQ(audio.SynthesizeCharacter('a', nullptr, nullptr), 1470 + 1470 + 4410 + 10212);
    audio.Write(nullptr, 0);
    EXPECT_EQ(g_nActiveStreams, 1);
    audio.StopStream();
    EXPECT_EQ(g_nActiveStreams, 0);
}

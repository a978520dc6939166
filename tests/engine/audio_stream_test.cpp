#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/audio_flags.h"
#include "engine/fake_sound_device.h"
#include "engine/morse_audio.h"

namespace {

using Op = FakeSoundDevice::Op;
using Bytes = std::vector<uint8_t>;
constexpr uint32_t kHalf = 4410, kBuffer = 8820;

// Distinct, non-zero bytes, so every chunk shows where its bytes came from.
Bytes Data(size_t n, int seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(1 + (i * 7 + seed * 31) % 251);
    return b;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes Slice(const Bytes& b, size_t from, size_t n) {
    return Bytes(b.begin() + from, b.begin() + from + n);
}

class AudioStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_bAbort = false;
        g_nActiveStreams = 0;
    }
    void TearDown() override {
        fake.StopPlayer();
        g_bAbort = false;
        g_nActiveStreams = 0;
    }

    void Write(const Bytes& b) { audio.Write(b.data(), static_cast<uint32_t>(b.size())); }
    // Starts the stream with a first fill of `first`.
    void Start(const Bytes& first) {
        Write(first);
        ASSERT_TRUE(fake.IsPlaying());
    }

    FakeSoundDevice fake;  // declared first: outlives the engine
    SoundDevice* deviceSlot = &fake;
    KeyingParameters keying;
    CMorseAudio audio{keying, deviceSlot};
};

}  // namespace

TEST_F(AudioStreamTest, NothingReachesTheDeviceBeforeAWholeFirstFill) {
    const Bytes a = Data(5000, 1), b = Data(5000, 2);
    Write(a);
    EXPECT_EQ(fake.Calls(Op::CreateBuffer), 0);
    EXPECT_EQ(g_nActiveStreams, 0);

    Write(b);
    const Bytes ab = Concat({a, b});
    auto chunks = fake.Chunks();
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0].offset, 0u);
    EXPECT_EQ(chunks[0].bytes, Slice(ab, 0, kBuffer));
    EXPECT_EQ(fake.Calls(Op::SetCurrentPosition), 1);
    EXPECT_EQ(fake.Calls(Op::Play), 1);
    EXPECT_EQ(g_nActiveStreams, 1);

    // 1180 bytes are staged; 3229 more make 4409: still staged, no wait, no device call.
    const Bytes c = Data(3229, 3), d = Data(1, 4);
    const int statusCalls = fake.Calls(Op::GetStatus);
    Write(c);
    EXPECT_EQ(fake.Chunks().size(), 1u);
    EXPECT_EQ(fake.Calls(Op::GetStatus), statusCalls);

    // The 4410th byte hands over one half, after one notification.
    fake.AdvanceHalf();
    Write(d);
    chunks = fake.Chunks();
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[1].offset, 0u);
    EXPECT_EQ(chunks[1].bytes, Concat({Slice(ab, kBuffer, 1180), c, d}));
}

TEST_F(AudioStreamTest, HalvesAlternateAndEverythingWrittenIsPlayedByTheEndOfTheFlush) {
    fake.StartFreeRunning();
    const Bytes data = Data(10 * kHalf + 1000, 5);
    // Written in uneven pieces, as elements come.
    for (size_t at = 0; at < data.size();) {
        const size_t n = std::min<size_t>(data.size() - at, 1234 + at % 3000);
        audio.Write(data.data() + at, static_cast<uint32_t>(n));
        at += n;
    }
    audio.Write(nullptr, 0);  // flush: the 1000 staged bytes and 12230 zero bytes
    const Bytes played = fake.Played();
    audio.StopStream();

    const auto chunks = fake.Chunks();
    ASSERT_EQ(chunks.size(), 1u + 8 + 3);
    EXPECT_EQ(chunks[0].bytes.size(), kBuffer);
    for (size_t i = 1; i < chunks.size(); ++i) {
        EXPECT_EQ(chunks[i].offset, i % 2 == 1 ? 0u : kHalf) << i;
        EXPECT_EQ(chunks[i].bytes.size(), kHalf) << i;
    }
    Bytes written;
    for (const auto& c : chunks) written.insert(written.end(), c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(Slice(written, 0, data.size()), data);
    EXPECT_EQ(written.size() - data.size(), 12230u);
    EXPECT_EQ(Bytes(written.begin() + data.size(), written.end()), Bytes(12230, 0));

    ASSERT_GE(played.size(), data.size());
    EXPECT_EQ(Slice(played, 0, data.size()), data);
    EXPECT_EQ(fake.Underruns(), 0);
    EXPECT_EQ(fake.Calls(Op::Play), 1);
    EXPECT_FALSE(fake.HasBuffer());
}

TEST_F(AudioStreamTest, AFlushOfAShortPlaybackStartsItAndPlaysOneMoreHalf) {
    fake.StartFreeRunning();
    const Bytes a = Data(3000, 6);
    Write(a);
    audio.Write(nullptr, 0);
    const Bytes played = fake.Played();
    audio.StopStream();
    const auto chunks = fake.Chunks();
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0].bytes.size(), kBuffer);
    EXPECT_EQ(chunks[1].bytes, Bytes(kHalf, 0));
    EXPECT_EQ(Slice(played, 0, a.size()), a);
}

TEST_F(AudioStreamTest, TheActiveCountIsTakenOncePerPlaybackAndTheLastStopClearsAbort) {
    g_nActiveStreams = 1;  // a stream of someone else
    Start(Data(kBuffer, 7));
    EXPECT_EQ(g_nActiveStreams, 2);
    g_bAbort = true;
    audio.StopStream();
    EXPECT_EQ(g_nActiveStreams, 1);
    EXPECT_TRUE(g_bAbort);  // another stream is still active
    audio.StopStream();     // nothing of ours left to uncount
    EXPECT_EQ(g_nActiveStreams, 1);

    g_nActiveStreams = 0;
    g_bAbort = false;
    Start(Data(kBuffer, 8));
    EXPECT_EQ(g_nActiveStreams, 1);
    EXPECT_EQ(fake.Calls(Op::CreateBuffer), 2);
    g_bAbort = true;
    audio.StopStream();
    EXPECT_EQ(g_nActiveStreams, 0);
    EXPECT_FALSE(g_bAbort);
    EXPECT_EQ(fake.Calls(Op::ReleaseBuffer), 2);

    // With a file sink the stop leaves the device alone and only clears the flag.
    struct NullSink : SampleSink {
        void WriteSamples(const void*, size_t) override {}
    } sink;
    audio.AttachFileSink(&sink);
    g_bAbort = true;
    const int stops = fake.Calls(Op::Stop);
    audio.StopStream();
    EXPECT_FALSE(g_bAbort);
    EXPECT_EQ(fake.Calls(Op::Stop), stops);
}

TEST_F(AudioStreamTest, AnAbortReturnsBeforeTheNextWait) {
    Start(Data(kBuffer, 9));
    g_bAbort = true;
    Write(Data(3 * kHalf, 10));  // would wait (and time out) for each half
    EXPECT_EQ(fake.Chunks().size(), 1u);
    audio.Write(nullptr, 0);  // the flush returns at once as well
    EXPECT_EQ(fake.Chunks().size(), 1u);
    audio.StopStream();
    EXPECT_FALSE(g_bAbort);

    // An abort while waiting ends the wait within a slice.
    Start(Data(kBuffer, 11));
    const int statusCalls = fake.Calls(Op::GetStatus);
    std::thread writer([this] { Write(Data(2 * kHalf, 12)); });
    // One status call before the write, the next from inside the wait.
    while (fake.Calls(Op::GetStatus) < statusCalls + 2)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    g_bAbort = true;
    writer.join();
    EXPECT_EQ(fake.Chunks().size(), 2u);  // the two first fills only
}

TEST_F(AudioStreamTest, AFailedStartRetriesWithTheNextWholeFillAndReadsNoMoreThanGiven) {
    fake.FailOperation(Op::Play, static_cast<int32_t>(0x88780001));
    const Bytes a = Data(3 * kHalf, 13);  // a fill, then one half too few for another
    Write(a);
    EXPECT_EQ(g_nActiveStreams, 0);
    EXPECT_EQ(fake.Chunks().size(), 1u);

    fake.FailOperation(Op::Play, 0);
    const Bytes b = Data(kHalf, 14);
    Write(b);  // the staged half and this one make the next whole fill, without a wait
    const auto chunks = fake.Chunks();
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[1].offset, 0u);
    EXPECT_EQ(chunks[1].bytes, Concat({Slice(a, kBuffer, kHalf), b}));
    EXPECT_EQ(g_nActiveStreams, 1);
    EXPECT_TRUE(fake.IsPlaying());
}

TEST_F(AudioStreamTest, DeviceFailuresAreRaisedWithTheirCode) {
    const Op failing[] = {Op::CreateBuffer, Op::SetNotificationPositions, Op::SetCurrentPosition,
                          Op::Lock, Op::Unlock};
    int32_t code = static_cast<int32_t>(0x88780010);
    for (Op op : failing) {
        FakeSoundDevice device;
        SoundDevice* slot = &device;
        CMorseAudio engine(keying, slot);
        device.FailOperation(op, ++code);
        const Bytes a = Data(kBuffer, 15);
        try {
            engine.Write(a.data(), kBuffer);
            ADD_FAILURE() << "no DeviceError for operation " << static_cast<int>(op);
        } catch (const DeviceError& e) {
            EXPECT_EQ(e.code, code);
        }
        engine.StopStream();
    }

    Start(Data(kBuffer, 16));
    fake.FailOperation(Op::GetStatus, ++code);
    try {
        Write(Data(kHalf, 17));
        ADD_FAILURE() << "no DeviceError from the lost-buffer check";
    } catch (const DeviceError& e) {
        EXPECT_EQ(e.code, code);
    }

    SoundDevice* none = nullptr;
    CMorseAudio deviceless(keying, none);
    const Bytes a = Data(kBuffer, 18);
    try {
        deviceless.Write(a.data(), kBuffer);
        ADD_FAILURE() << "no DeviceError without a device";
    } catch (const DeviceError& e) {
        EXPECT_EQ(e.code, device::kErrNoDevice);
    }
}

TEST_F(AudioStreamTest, ALostBufferIsRestoredAndRefilledFromItsStart) {
    Start(Data(kBuffer, 19));
    fake.LoseBuffer(2);  // two more attempts answer "still lost"
    const Bytes b = Data(kHalf, 20), c = Data(kHalf, 21);
    Write(b);  // restores, then stages: a stopped buffer is only refilled whole
    EXPECT_EQ(fake.Calls(Op::Restore), 3);
    EXPECT_EQ(fake.Chunks().size(), 1u);
    Write(c);  // written without waiting on the stopped buffer
    auto chunks = fake.Chunks();
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[1].offset, 0u);
    EXPECT_EQ(chunks[1].bytes, Concat({b, c}));
    EXPECT_EQ(fake.Calls(Op::SetCurrentPosition), 2);
    EXPECT_EQ(fake.Calls(Op::Play), 2);
    EXPECT_EQ(g_nActiveStreams, 1);  // still the one playback

    fake.StartFreeRunning();
    audio.Write(nullptr, 0);
    const Bytes played = fake.Played();
    EXPECT_EQ(Slice(played, 0, 2 * kHalf), Concat({b, c}));  // never the restored noise
    audio.StopStream();
    EXPECT_EQ(g_nActiveStreams, 0);
}

TEST_F(AudioStreamTest, ABufferLostDuringAWaitIsRestoredAndTheWriteGoesOn) {
    Start(Data(kBuffer, 22));
    const Bytes d = Data(2 * kHalf, 23);
    std::thread writer([&] { Write(d); });
    // The first status call is the check before the write, the next ones come from the wait.
    while (fake.Calls(Op::GetStatus) < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    fake.LoseBuffer();
    writer.join();
    const auto chunks = fake.Chunks();
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[1].offset, 0u);
    EXPECT_EQ(chunks[1].bytes, d);
    EXPECT_EQ(fake.Calls(Op::Play), 2);
    EXPECT_TRUE(fake.IsPlaying());
}

TEST_F(AudioStreamTest, ADeviceThatStopsSignallingFailsInsteadOfHanging) {
    Start(Data(kBuffer, 24));
    fake.Vanish();
    try {
        Write(Data(kHalf, 25));
        ADD_FAILURE() << "the write returned without the device";
    } catch (const DeviceError& e) {
        EXPECT_EQ(e.code, device::kErrDeviceSilent);
    }
    audio.StopStream();
    EXPECT_EQ(g_nActiveStreams, 0);
}

TEST_F(AudioStreamTest, ASignalLeftFromTheLastPlaybackDoesNotReleaseTheNextWait) {
    Start(Data(kBuffer, 26));
    fake.AdvanceHalf();  // signals, but nobody waits any more
    audio.StopStream();

    Start(Data(kBuffer, 27));
    std::thread writer([this] { Write(Data(kHalf, 28)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(fake.Chunks().size(), 2u);  // still waiting: the cursor has not left a half
    fake.AdvanceHalf();
    writer.join();
    EXPECT_EQ(fake.Chunks().size(), 3u);
}

// The device path carries exactly what a recording would hold.
TEST_F(AudioStreamTest, SynthesizedTextPlaysAsItRecords) {
    struct Recorder : SampleSink {
        void WriteSamples(const void* bytes, size_t n) override {
            auto p = static_cast<const uint8_t*>(bytes);
            data.insert(data.end(), p, p + n);
        }
        Bytes data;
    } recorder;
    const std::string text = "cq de \x0Dparis?";
    audio.AttachFileSink(&recorder);
    for (unsigned char ch : text) audio.SynthesizeCharacter(ch, nullptr, nullptr);
    audio.DetachFileSink();
    EXPECT_EQ(fake.Calls(Op::CreateBuffer), 0);

    fake.StartFreeRunning();
    for (unsigned char ch : text) audio.SynthesizeCharacter(ch, nullptr, nullptr);
    audio.Write(nullptr, 0);
    const Bytes played = fake.Played();
    audio.StopStream();
    ASSERT_GE(played.size(), recorder.data.size());
    EXPECT_EQ(Slice(played, 0, recorder.data.size()), recorder.data);
    EXPECT_EQ(g_nActiveStreams, 0);
}

TEST_F(AudioStreamTest, APacedDeviceDrivesTheStream) {
    fake.StartPacing(std::chrono::milliseconds(2));
    Write(Data(6 * kHalf, 29));
    audio.Write(nullptr, 0);
    audio.StopStream();
    EXPECT_EQ(fake.Chunks().size(), 1u + 4 + 3);
    EXPECT_GE(fake.Played().size(), 6u * kHalf);
    EXPECT_EQ(g_nActiveStreams, 0);
}

// A lead-in puts its silence before the first element of every playback, and only there;
// without one the first sample played is the first sample written.
TEST_F(AudioStreamTest, TheLeadInIsSilenceBeforeEachPlaybackAndNothingAtZero) {
    fake.StartFreeRunning();
    const Bytes tone = Data(3 * kHalf, 8);
    const auto play = [&] {
        const size_t before = fake.Played().size();
        Write(tone);
        Write(tone);
        audio.Write(nullptr, 0);
        audio.StopStream();
        const Bytes all = fake.Played();
        return Bytes(all.begin() + before, all.end());
    };

    const Bytes plain = play();
    EXPECT_EQ(Slice(plain, 0, tone.size()), tone);

    keying.leadInMs = 250;  // 250 ms: 5512 samples, 11,024 bytes, more than one fill
    const size_t lead = 11024;
    for (int playback = 0; playback < 2; ++playback) {
        SCOPED_TRACE(playback);
        const Bytes led = play();
        ASSERT_GE(led.size(), lead + 2 * tone.size());
        EXPECT_EQ(Slice(led, 0, lead), Bytes(lead, 0));
        EXPECT_EQ(Slice(led, lead, 2 * tone.size()), Concat({tone, tone}));
    }
}

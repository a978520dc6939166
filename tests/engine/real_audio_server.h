#pragma once
// A private PulseAudio sound server for tests that play through the real audio stack: a null
// sink at 22,050 Hz, mono, 16-bit, whose monitor is recorded with parec. Linux only; needs the
// pulseaudio and pulseaudio-utils packages, no hardware and no user session (works as root).
// Every child is killed when the test process dies, and every wait is bounded.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// Whether the pulseaudio, pactl and parec programs are on the PATH.
bool PulseAudioInstalled();

class PrivatePulseServer {
public:
    PrivatePulseServer();
    // Stops the recording and the daemon and removes the private directory.
    ~PrivatePulseServer();
    PrivatePulseServer(const PrivatePulseServer&) = delete;
    PrivatePulseServer& operator=(const PrivatePulseServer&) = delete;

    // Starts the daemon and waits (at most `timeout`) until it answers and its null sink is the
    // default. Returns false, with the reason in Error(), when it does not.
    bool Start(std::chrono::milliseconds timeout);
    // Stops the daemon (and the recording) and starts a new one on the same socket, as a
    // desktop's sound service does when it restarts; waits for it like Start.
    bool Restart(std::chrono::milliseconds timeout);
    // The value for PULSE_SERVER that reaches this daemon.
    std::string ServerAddress() const;

    // Starts parec on the null sink's monitor and waits (at most `timeout`) until the capture
    // has begun to grow, so that nothing played afterwards is missed.
    bool StartRecording(std::chrono::milliseconds timeout);
    // Waits (at most `timeout`) until the capture holds `samples` more samples than now: the
    // monitor keeps delivering silence, so this is `samples` of real time at the sink.
    bool RecordFurther(int64_t samples, std::chrono::milliseconds timeout);
    // Stops parec and returns everything it captured.
    std::vector<int16_t> StopRecording();

    // Stops the recording and the daemon; safe to call more than once.
    void Stop();
    const std::string& Error() const { return m_error; }

private:
    bool StartDaemon(std::chrono::milliseconds timeout);
    int64_t CapturedSamples() const;
    bool Fail(std::string message);

    std::string m_dir;  // 0700 temporary directory: socket, log, capture
    pid_t m_daemon = -1;
    pid_t m_recorder = -1;
    std::string m_error;
};

#pragma once
// Runs functions one after another on a thread of its own, so that a caller can wait for one
// with a time limit and walk away from a call that hangs (a sound library waiting for a sound
// server that has gone). Nothing a function touches may live on the caller's stack: a call the
// caller gave up on may still finish later.

#include <chrono>
#include <functional>
#include <memory>

class CallThread {
public:
    // How long destruction waits for the queue to empty before it leaves a hung call behind.
    static constexpr std::chrono::milliseconds kCloseLimit{1000};

    CallThread();
    // Runs what is queued (except calls given up on) and ends the thread; a call that hangs past
    // kCloseLimit is left running on the detached thread.
    ~CallThread();
    CallThread(const CallThread&) = delete;
    CallThread& operator=(const CallThread&) = delete;

    // Runs `work` on the thread and waits at most `limit` for it to return. False when it did
    // not: then it never runs if it had not started, and if it had, every later Call is refused
    // at once (false, `work` not run) until it returns.
    bool Call(std::function<void()> work, std::chrono::milliseconds limit);
    // Queues `work` without waiting: clean-up that must happen once the thread is free.
    void Post(std::function<void()> work);
    // True while a call runs past the limit its caller gave.
    bool Stuck() const;

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

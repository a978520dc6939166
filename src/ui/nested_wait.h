#pragma once
// A handler that waits in a nested message loop (a countdown, a progress window, a modal dialog)
// marks the wait for as long as it lasts: the frame must not be destroyed under it.

class NestedWaitHost {
public:
    virtual void EnterNestedWait() = 0;
    // Called when the wait's window has gone.
    virtual void LeaveNestedWait() = 0;

protected:
    ~NestedWaitHost() = default;
};

class NestedWait {
public:
    explicit NestedWait(NestedWaitHost& host) : m_host(host) { m_host.EnterNestedWait(); }
    ~NestedWait() { m_host.LeaveNestedWait(); }
    NestedWait(const NestedWait&) = delete;
    NestedWait& operator=(const NestedWait&) = delete;

private:
    NestedWaitHost& m_host;
};

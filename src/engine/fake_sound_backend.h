#pragma once
// A scripted source of fake sound devices for tests: a list of output names the test can change
// (a headset plugged in or pulled out), and fake devices that play at a chosen pace.

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "engine/fake_sound_device.h"
#include "engine/sound_backend.h"

class FakeSoundBackend : public SoundBackend {
public:
    // `pace`: each device advances one half per pace of real time; 0 leaves it to the test.
    explicit FakeSoundBackend(std::vector<std::string> outputs,
                              std::chrono::microseconds pace = std::chrono::milliseconds(100));

    std::vector<std::string> OutputDevices() override;
    // Null while the list is empty; else a fake device, for `name` if listed, else the first.
    std::unique_ptr<SoundDevice> Open(const std::string& name) override;
    bool OutputAppeared() override;

    void SetOutputs(std::vector<std::string> outputs);
    // The device the last successful Open returned (gone with its owner) and its output's name.
    FakeSoundDevice* LastOpened() const;
    std::string LastOpenedName() const;
    // Calls of Open, successful or not.
    int Opens() const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_outputs;
    const std::chrono::microseconds m_pace;
    FakeSoundDevice* m_pLast = nullptr;
    std::string m_lastName;
    int m_nOpens = 0;
};

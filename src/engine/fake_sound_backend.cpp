#include "engine/fake_sound_backend.h"

#include <algorithm>

FakeSoundBackend::FakeSoundBackend(std::vector<std::string> outputs, std::chrono::microseconds pace)
    : m_outputs(std::move(outputs)), m_pace(pace) {}

std::vector<std::string> FakeSoundBackend::OutputDevices() {
    std::lock_guard lock(m_mutex);
    return m_outputs;
}

std::unique_ptr<SoundDevice> FakeSoundBackend::Open(const std::string& name) {
    std::lock_guard lock(m_mutex);
    ++m_nOpens;
    if (m_outputs.empty()) return nullptr;
    const bool listed = std::find(m_outputs.begin(), m_outputs.end(), name) != m_outputs.end();
    auto device = std::make_unique<FakeSoundDevice>();
    if (m_pace.count() > 0) device->StartPacing(m_pace);
    m_pLast = device.get();
    m_lastName = listed ? name : m_outputs.front();
    return device;
}

bool FakeSoundBackend::OutputAppeared() {
    std::lock_guard lock(m_mutex);
    return !m_outputs.empty();
}

void FakeSoundBackend::SetOutputs(std::vector<std::string> outputs) {
    std::lock_guard lock(m_mutex);
    m_outputs = std::move(outputs);
}

FakeSoundDevice* FakeSoundBackend::LastOpened() const {
    std::lock_guard lock(m_mutex);
    return m_pLast;
}

std::string FakeSoundBackend::LastOpenedName() const {
    std::lock_guard lock(m_mutex);
    return m_lastName;
}

int FakeSoundBackend::Opens() const {
    std::lock_guard lock(m_mutex);
    return m_nOpens;
}

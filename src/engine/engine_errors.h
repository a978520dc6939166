#pragma once
// Exceptions of the sound engine: a failing sound device and a failing file sink.

#include <cstdint>
#include <stdexcept>

// A sound device operation failed; `code` is the device's 32-bit result code (below zero).
struct DeviceError : std::runtime_error {
    explicit DeviceError(int32_t resultCode);
    int32_t code;
};

// Writing samples to a file failed or was short; `err` is the errno value (EIO if none was set).
struct SinkWriteError : std::runtime_error {
    explicit SinkWriteError(int errorNumber);
    int err;
};

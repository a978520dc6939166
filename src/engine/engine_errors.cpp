#include "engine/engine_errors.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string DescribeDeviceError(int32_t code) {
    char text[48];
    std::snprintf(text, sizeof text, "sound device error 0x%08X", static_cast<uint32_t>(code));
    return text;
}

}  // namespace

DeviceError::DeviceError(int32_t resultCode)
    : std::runtime_error(DescribeDeviceError(resultCode)), code(resultCode) {}

SinkWriteError::SinkWriteError(int errorNumber)
    : std::runtime_error(std::string("writing the audio file failed: ") +
                         std::strerror(errorNumber)),
      err(errorNumber) {}

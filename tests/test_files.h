#pragma once
// Whole files for the tests: read back as bytes or as text, written from text; little-endian
// fields of the bytes read; a write under a file size limit.

#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::vector<uint8_t> ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteText(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

inline uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// Runs write (returning an errno value) with the process's file size limit at limitBytes, the
// signal that would end the process ignored, so a write beyond it fails with EFBIG. Returns -1
// when the limit cannot be set.
template <typename Write>
int WithFileSizeLimit(rlim_t limitBytes, Write write) {
    rlimit saved{};
    if (getrlimit(RLIMIT_FSIZE, &saved) != 0) return -1;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = limitBytes;
    const int result = setrlimit(RLIMIT_FSIZE, &limited) == 0 ? write() : -1;
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    return result;
}

#include "settings/profile_snapshot.h"

#include <charconv>

int ProfileSnapshot::ReadInt(const std::string& section, const std::string& key, int def) {
    const auto it = m_values.find({section, key});
    if (it == m_values.end()) return def;
    const std::string& text = it->second;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : def;
}

void ProfileSnapshot::WriteInt(const std::string& section, const std::string& key, int value) {
    m_values[{section, key}] = std::to_string(value);
}

std::string ProfileSnapshot::ReadString(const std::string& section, const std::string& key,
                                        const std::string& def) {
    const auto it = m_values.find({section, key});
    return it == m_values.end() ? def : it->second;
}

void ProfileSnapshot::WriteString(const std::string& section, const std::string& key,
                                  const std::string& value) {
    m_values[{section, key}] = value;
}

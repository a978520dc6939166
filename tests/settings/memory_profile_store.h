#pragma once
// A profile store in memory for the exchange tests. Like a text file store it keeps every value
// as text, so an integer read of a stored non-number falls back to the default. It records the
// order in which keys are read and written.

#include <algorithm>
#include <charconv>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/profile_store.h"

class MemoryProfileStore : public ProfileStore {
public:
    using Key = std::pair<std::string, std::string>;  // section, key

    int ReadInt(const std::string& section, const std::string& key, int def) override {
        m_accessed.push_back(key);
        auto it = m_values.find({section, key});
        if (it == m_values.end()) return def;
        // Like the file store: a number beyond int reads as the nearest int.
        long long value = 0;
        const std::string& text = it->second;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size()) return def;
        return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                      std::numeric_limits<int>::max()));
    }
    void WriteInt(const std::string& section, const std::string& key, int value) override {
        m_accessed.push_back(key);
        m_values[{section, key}] = std::to_string(value);
    }
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) override {
        m_accessed.push_back(key);
        auto it = m_values.find({section, key});
        return it == m_values.end() ? def : it->second;
    }
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        m_accessed.push_back(key);
        m_values[{section, key}] = value;
    }

    void Set(const std::string& key, const std::string& value) {
        m_values[{"Settings", key}] = value;
    }
    void Set(const std::string& key, int value) { Set(key, std::to_string(value)); }
    const std::string& Get(const std::string& key) const { return m_values.at({"Settings", key}); }

    std::map<Key, std::string> m_values;
    std::vector<std::string> m_accessed;
};

#pragma once
// A profile store in memory that keeps every value as text. Writing the whole profile into one
// and comparing it with the one last saved tells whether anything changed since.

#include <map>
#include <string>
#include <utility>

#include "settings/profile_store.h"

class ProfileSnapshot : public ProfileStore {
public:
    int ReadInt(const std::string& section, const std::string& key, int def) override;
    void WriteInt(const std::string& section, const std::string& key, int value) override;
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) override;
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;

    bool operator==(const ProfileSnapshot& other) const { return m_values == other.m_values; }

private:
    std::map<std::pair<std::string, std::string>, std::string> m_values;  // (section, key)
};

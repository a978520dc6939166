#pragma once
// The per-user profile store as the settings see it: integers and strings under a key within a
// named section. Strings are UTF-8. Failures are never reported: a read that fails returns the
// given default and a write that fails is lost. A stored whole number beyond the range of int
// reads as the nearest int, so that the settings' range checks still see that it was large.

#include <string>

class ProfileStore {
public:
    virtual ~ProfileStore() = default;

    virtual int ReadInt(const std::string& section, const std::string& key, int def) = 0;
    virtual void WriteInt(const std::string& section, const std::string& key, int value) = 0;
    virtual std::string ReadString(const std::string& section, const std::string& key,
                                   const std::string& def) = 0;
    virtual void WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
};

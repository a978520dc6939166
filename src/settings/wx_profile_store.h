#pragma once
// The profile store on wxConfig: vendor "Korvanel", application "Veltrane". On Linux that is
// the text file $XDG_CONFIG_HOME/Veltrane.conf (~/.config/Veltrane.conf when the variable is
// unset); on Windows the registry under HKCU\Software\Korvanel\Veltrane.
//
// wxWidgets must be initialised (an application object or a wxInitializer) before one is
// constructed. Nothing is ever reported: unreadable values read as the given default, failed
// writes are lost, and a damaged file yields defaults for what cannot be read.

#include <memory>
#include <string>

#include "settings/profile_store.h"

class wxConfigBase;

class WxProfileStore : public ProfileStore {
public:
    WxProfileStore();
    // Writes pending changes.
    ~WxProfileStore() override;
    WxProfileStore(const WxProfileStore&) = delete;
    WxProfileStore& operator=(const WxProfileStore&) = delete;

    int ReadInt(const std::string& section, const std::string& key, int def) override;
    void WriteInt(const std::string& section, const std::string& key, int value) override;
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) override;
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;

    // Writes pending changes to the file now.
    void Flush();

private:
    std::unique_ptr<wxConfigBase> m_config;
    // Folder of the profile file (UTF-8), created on demand; empty for the Windows registry.
    std::string m_strFileFolder;
};

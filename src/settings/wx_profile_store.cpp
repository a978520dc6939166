#include "settings/wx_profile_store.h"

#include <wx/config.h>
#include <wx/file.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/stdpaths.h>

#include <algorithm>
#include <limits>
#include <string>

#include "content/codepage.h"

namespace {

const wxString kAppName = wxS("Veltrane");
const wxString kVendorName = wxS("Korvanel");

wxString EntryPath(const std::string& section, const std::string& key) {
    return wxS("/") + wxString::FromUTF8(section) + wxS("/") + wxString::FromUTF8(key);
}

// A profile damaged by another program may hold bytes that are not UTF-8. The file store would
// read the whole file as Latin-1, turning every valid non-Latin-1 value (a Chinese font face or
// path) into mojibake, and write it back as Latin-1, where such a value makes the write fail.
// Only the damaged bytes are repaired, each taken as the Windows-1252 character the program's
// own texts use; every well-formed byte stays as it is. Files with a UTF-16 byte order mark are
// left to the store, which reads them.
void RepairProfileEncoding(const wxString& path) {
    if (!wxFileName::FileExists(path)) return;
    wxFile in(path);
    const wxFileOffset length = in.IsOpened() ? in.Length() : wxInvalidOffset;
    if (length <= 0) return;
    std::string bytes(static_cast<size_t>(length), '\0');
    if (in.Read(bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) return;
    in.Close();
    if (bytes.size() >= 2 &&
        ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        return;
    if (codepage::IsValidUtf8(bytes)) return;
    const std::string repaired = codepage::RepairUtf8(bytes);
    // Through a temporary file, so that a failed write leaves the old profile in place.
    wxTempFile out(path);
    if (out.IsOpened() && out.Write(repaired.data(), repaired.size())) out.Commit();
}

}  // namespace

WxProfileStore::WxProfileStore() {
    // The store never reports anything: wx would log parse errors of a damaged file.
    wxLogNull noLog;
    // Must precede the first config object so that the file follows the XDG layout.
    wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
    RepairProfileEncoding(wxFileConfig::GetLocalFileName(kAppName));
    m_config = std::make_unique<wxConfig>(kAppName, kVendorName);
    // A file store only writes into an existing folder; ~/.config may not exist yet.
    if (dynamic_cast<wxFileConfig*>(m_config.get()) != nullptr)
        m_strFileFolder = wxFileConfig::GetLocalFile(kAppName).GetPath().utf8_string();
    // Values are returned as stored: a path or character list holding "$" or "%" is not an
    // environment variable reference.
    m_config->SetExpandEnvVars(false);
}

WxProfileStore::~WxProfileStore() {
    Flush();
    // Destroyed here, not after this body, so that a failing final write is not logged either.
    wxLogNull noLog;
    m_config.reset();
}

int WxProfileStore::ReadInt(const std::string& section, const std::string& key, int def) {
    wxLogNull noLog;
    long value = 0;
    // Read fails on a missing entry and on one that is not a whole number (or has more digits
    // than any integer holds).
    if (!m_config->Read(EntryPath(section, key), &value)) return def;
    return static_cast<int>(
        std::clamp<long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

void WxProfileStore::WriteInt(const std::string& section, const std::string& key, int value) {
    wxLogNull noLog;
    m_config->Write(EntryPath(section, key), static_cast<long>(value));
}

std::string WxProfileStore::ReadString(const std::string& section, const std::string& key,
                                       const std::string& def) {
    wxLogNull noLog;
    wxString value;
    if (!m_config->Read(EntryPath(section, key), &value)) return def;
    return value.utf8_string();
}

void WxProfileStore::WriteString(const std::string& section, const std::string& key,
                                 const std::string& value) {
    wxLogNull noLog;
    m_config->Write(EntryPath(section, key), wxString::FromUTF8(value));
}

void WxProfileStore::Flush() {
    wxLogNull noLog;
    const wxString folder = wxString::FromUTF8(m_strFileFolder);
    if (!folder.empty() && !wxFileName::DirExists(folder))
        wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    m_config->Flush();
}

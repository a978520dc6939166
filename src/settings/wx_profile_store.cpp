#include "settings/wx_profile_store.h"

#include <wx/config.h>
#include <wx/file.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/stdpaths.h>

#include <limits>

namespace {

const wxString kAppName = wxS("Veltrane");
const wxString kVendorName = wxS("Korvanel");

wxString EntryPath(const std::string& section, const std::string& key) {
    return wxS("/") + wxString::FromUTF8(section) + wxS("/") + wxString::FromUTF8(key);
}

// A profile damaged by another program may hold bytes that are not UTF-8. The file store reads
// such a file as Latin-1 and then writes it back as Latin-1 too, where any value outside Latin-1
// (a Chinese path or font name) makes the whole write fail: the settings could never be saved
// again. Rewriting the file as UTF-8 first reads the same values and keeps every later write
// UTF-8. Files with a UTF-16 byte order mark are left to the store, which reads them.
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
    if (wxConvUTF8.ToWChar(nullptr, 0, bytes.data(), bytes.size()) != wxCONV_FAILED) return;
    const wxString text(bytes.data(), wxConvISO8859_1, bytes.size());
    const wxScopedCharBuffer utf8 = text.utf8_str();
    wxFile out(path, wxFile::write);
    if (out.IsOpened()) out.Write(utf8.data(), utf8.length());
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
    // Read fails on a missing entry and on one that is not a whole number.
    if (!m_config->Read(EntryPath(section, key), &value)) return def;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return def;
    return static_cast<int>(value);
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

#include "content/text_sources.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "content/codepage.h"
#include "content/text_prep.h"
#include "engine/audio_flags.h"
#include "settings/settings.h"

std::vector<std::string> g_textLines;

namespace {

// Paths stay UTF-8 end to end; char8_t makes the conversion exact on every platform.
std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

}  // namespace

int SplitLines(const std::string& text) {
    g_textLines.clear();
    const TextFilter filter = TextFilter::ForLiveSettings();
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = text.find_first_not_of("\r\n", pos);
        if (start == std::string::npos) break;
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        filter.Apply(line);
        if (!line.empty()) g_textLines.push_back(std::move(line));
        pos = end;
    }
    return static_cast<int>(g_textLines.size());
}

ReadResult ReadTextFile(const std::string& pathUtf8, std::string& cp1252Out) {
    const std::filesystem::path path = PathFromUtf8(pathUtf8);
    std::error_code error;
    // Only regular files: a directory cannot be read, and opening a pipe or device could block.
    if (!std::filesystem::is_regular_file(path, error)) return ReadResult::Unreadable;
    const auto size = std::filesystem::file_size(path, error);
    if (!error && size > kMaxTextFileBytes) return ReadResult::TooLarge;

    std::ifstream in(path, std::ios::binary);
    if (!in) return ReadResult::Unreadable;
    // Read in chunks up to the limit: the size reported beforehand may be wrong (a file that is
    // growing, or a system file that reports 0).
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    std::string bytes;
    if (!error) bytes.reserve(static_cast<std::size_t>(size) + kChunk);
    while (in) {
        const std::size_t old = bytes.size();
        if (old > kMaxTextFileBytes) return ReadResult::TooLarge;
        bytes.resize(old + kChunk);
        in.read(bytes.data() + old, static_cast<std::streamsize>(kChunk));
        bytes.resize(old + static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) return ReadResult::Unreadable;
    if (bytes.size() > kMaxTextFileBytes) return ReadResult::TooLarge;
    if (std::memchr(bytes.data(), '\0', bytes.size()) != nullptr) return ReadResult::NotText;

    std::string decoded = codepage::DecodeTextFile(bytes);
    if (decoded.empty()) return ReadResult::Empty;
    cp1252Out = std::move(decoded);
    return ReadResult::Ok;
}

namespace {

// Why a file that could not be read refuses the session.
PrepareResult RefusalOf(ReadResult read) {
    switch (read) {
        case ReadResult::TooLarge:
            return PrepareResult::TooLarge;
        case ReadResult::NotText:
            return PrepareResult::NotText;
        case ReadResult::Empty:
            return PrepareResult::Empty;
        default:
            return PrepareResult::Unreadable;
    }
}

}  // namespace

PreparedText PrepareSessionText(TextSourceHost& host, std::string& sessionText) {
    if (g_nActiveStreams != 0) host.StopSessionAndWait();
    sessionText.clear();
    const int source = g_settings.m_nSource;
    PreparedText prepared;

    if (source & SOURCE_TYPED_TEXT) {
        std::string typed;
        if (!host.AskTypedText(typed)) return {PrepareResult::Cancelled, {}};
        PrepareText(typed);
        sessionText = std::move(typed);
        if (sessionText.empty()) prepared.result = PrepareResult::Empty;
        return prepared;
    }

    if (!host.AskTextFile(g_settings.m_strLastTextFile, prepared.chosenPathUtf8))
        return {PrepareResult::Cancelled, {}};
    std::string text;
    const ReadResult read = ReadTextFile(prepared.chosenPathUtf8, text);
    if (read != ReadResult::Ok) {
        prepared.result = RefusalOf(read);
        return prepared;
    }

    if (source & SOURCE_LINE_FILE) {
        // The lines live in g_textLines; the session text stays empty so that the generator
        // draws lines instead of sending the file through.
        if (SplitLines(text) == 0) prepared.result = PrepareResult::Empty;
    } else {
        PrepareText(text);
        if (text.empty())
            prepared.result = PrepareResult::Empty;
        else
            sessionText = std::move(text);
    }
    if (prepared.result == PrepareResult::Ready)
        g_settings.m_strLastTextFile = prepared.chosenPathUtf8;
    return prepared;
}

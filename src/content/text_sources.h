#pragma once
// The practice sources whose material comes from the learner: a text file sent from start to
// end, a line file from which random lines are drawn, and typed text. The dialogs and the Stop
// command live in the user interface, behind TextSourceHost.

#include <cstddef>
#include <string>
#include <vector>

// The prepared, non-empty lines of the last line file; the generator draws one per item.
extern std::vector<std::string> g_textLines;

// Rebuilds g_textLines from the text: splits it at every run of CR and LF, prepares each line on
// its own and keeps the non-empty ones. Returns the number of lines stored.
int SplitLines(const std::string& text);

// What PrepareSessionText needs from the user interface.
class TextSourceHost {
public:
    virtual ~TextSourceHost() = default;
    // Issues Stop and pumps messages until the active stream count is 0.
    virtual void StopSessionAndWait() = 0;
    // Shows the input-text dialog; returns false when it is cancelled.
    virtual bool AskTypedText(std::string& cp1252Text) = 0;
    // Shows the file-open dialog seeded with the given path; returns false when it is cancelled.
    virtual bool AskTextFile(const std::string& initialPathUtf8, std::string& chosenPathUtf8) = 0;
};

// Larger files are refused: 16 MiB of text is months of sending at any speed, and refusing keeps
// the preparation (a few copies of the text) bounded in memory and well under a second.
constexpr std::size_t kMaxTextFileBytes = std::size_t{16} << 20;

enum class ReadResult {
    Ok,
    Unreadable,  // missing, not a regular file (a directory, a device), or a read error
    TooLarge,    // more than kMaxTextFileBytes
    NotText,     // holds a NUL byte: a binary file (or UTF-16), not practice text
    Empty,       // nothing left once decoded (an empty file, or only a byte order mark)
};

// Reads a whole practice file and decodes it to Windows-1252 (valid UTF-8, with or without a
// byte order mark, is converted; anything else is taken as Windows-1252 already). The output is
// only written when the result is Ok.
ReadResult ReadTextFile(const std::string& pathUtf8, std::string& cp1252Out);

// Whether a session may start on the prepared material, and if not, why.
enum class PrepareResult {
    Ready,
    Cancelled,   // the learner closed the text or file dialog
    Unreadable,  // the file: see ReadResult
    TooLarge,
    NotText,
    Empty,  // nothing sendable: an empty file, or text of which nothing is in the set
};

struct PreparedText {
    PrepareResult result = PrepareResult::Ready;
    // The file the learner chose, whether it could be used or not; empty for typed text and a
    // cancelled dialog.
    std::string chosenPathUtf8;
};

// Asks for and prepares the material of the fixed-text sources before a session or a recording:
// stops a playing session, then for typed text asks the host for it, otherwise asks for a file
// (a line file fills g_textLines and leaves the session text empty), reading it once. The session
// text is empty unless the result is Ready. When a file is ready its path becomes "Last text
// file used".
PreparedText PrepareSessionText(TextSourceHost& host, std::string& sessionText);

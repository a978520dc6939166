#include "engine/recording_names.h"

#include <cstdio>

#include "content/practice_source.h"
#include "engine/wav_file.h"

std::string DefaultRecordingName(int source, const std::string& textFilePathUtf8,
                                 int charactersUsed, int wordSpeedCpm, int charSpeedCpm,
                                 bool wpmUnit) {
    if ((source & SOURCE_TEXT_FILE) != 0 && !textFilePathUtf8.empty())
        return ReplaceFileExtension(textFilePathUtf8, ".wav");

    // WPM is CPM / 5 (the five characters of "PARIS"), in integer division as the control bar.
    const int divisor = wpmUnit ? 5 : 1;
    char name[64];
    if ((source & SOURCE_KOCH) != 0)
        std::snprintf(name, sizeof name, "Morse code %02d %02d %02d.wav", charactersUsed,
                      wordSpeedCpm / divisor, charSpeedCpm / divisor);
    else
        std::snprintf(name, sizeof name, "Morse code %02d %02d.wav", wordSpeedCpm / divisor,
                      charSpeedCpm / divisor);
    return name;
}

std::string ReplaceFileExtension(const std::string& pathUtf8, const std::string& newExtension) {
    // The extension is looked for in the file name only: "C:\v1.2\lesson" must not lose its
    // folder. A file name that is only a leading dot (".notes") keeps it, as it has no extension.
    std::filesystem::path path = MakeUtf8Path(pathUtf8);
    path.replace_extension(MakeUtf8Path(newExtension));
    return Utf8PathString(path);
}

std::string BreakIntoLines(const std::string& text, size_t width) {
    if (width == 0 || text.size() <= width) return text;
    std::string out;
    out.reserve(text.size() + 2 * (text.size() / width + 1));
    size_t lineStart = 0;
    while (text.size() - lineStart > width) {
        const size_t limit = lineStart + width;
        // The break goes at the last space that leaves the line at most `width` characters; the
        // search stays inside the line (a space at its very start would leave it empty).
        size_t space = limit;
        while (space > lineStart && text[space] != ' ') --space;
        if (space > lineStart) {
            out.append(text, lineStart, space - lineStart).append("\r\n");
            lineStart = space + 1;  // the space became the CR LF
        } else {
            // No space in the line: cut after `width` characters, dropping nothing.
            out.append(text, lineStart, width).append("\r\n");
            lineStart = limit;
        }
    }
    return out.append(text, lineStart, std::string::npos);
}

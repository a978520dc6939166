#include "history/session_table.h"

#include <charconv>
#include <cstdio>

#include "content/codepage.h"
#include "content/text_prep.h"

namespace {

// Day, month and year of a count of days since 1970-01-01 (proleptic Gregorian).
void CivilFromDays(int64_t days, int64_t& year, int& month, int& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

std::string FixedText(double value, int decimals) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

// Whole words per minute without decimals, otherwise one decimal (92 CPM is 18.4 WPM).
std::string SpeedText(int32_t cpm, bool wpm) {
    if (!wpm || cpm % 5 == 0) return std::to_string(wpm ? cpm / 5 : cpm);
    return FixedText(cpm / 5.0, 1);
}

std::string LessonDisplayText(const std::string& lesson) {
    std::string text;
    for (char c : lesson) text += ProsignDisplayText(static_cast<unsigned char>(c));
    return codepage::ToUtf8(text);
}

std::string CsvField(const std::string& cell, bool isText) {
    std::string field = cell;
    if (isText && !field.empty() &&
        (field[0] == '=' || field[0] == '+' || field[0] == '-' || field[0] == '@'))
        field.insert(0, 1, '\'');
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

bool IsTextColumn(int column) {
    return column == kColumnSource || column == kColumnLessonCharacters;
}

void WriteCsvLine(std::ostream& out, const std::vector<std::string>& cells, bool header) {
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) out << ',';
        out << CsvField(cells[i], header || IsTextColumn(static_cast<int>(i)));
    }
    out << "\r\n";
}

}  // namespace

std::string LocalDateTimeText(int64_t utcSeconds, int32_t utcOffsetMinutes) {
    const int64_t local = utcSeconds + int64_t{utcOffsetMinutes} * 60;
    int64_t days = local / 86400;
    int64_t seconds = local % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    int64_t year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days, year, month, day);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d", static_cast<long long>(year),
                  month, day, static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60));
    return text;
}

std::vector<std::string> SessionCells(const SessionRecord& s, const SessionTableTexts& texts) {
    std::vector<std::string> cells(kSessionColumnCount);
    cells[kColumnDate] = LocalDateTimeText(s.startUtcSeconds, s.utcOffsetMinutes);
    cells[kColumnSource] = texts.sourceName ? texts.sourceName(s.source) : std::to_string(s.source);
    cells[kColumnLesson] = s.lessonSize > 0 ? std::to_string(s.lessonSize) : std::string();
    cells[kColumnLessonCharacters] = LessonDisplayText(s.lessonCharacters);
    cells[kColumnWordSpeed] = SpeedText(s.wordSpeedCpm, texts.wpm);
    cells[kColumnCharSpeed] = SpeedText(s.charSpeedCpm, texts.wpm);
    cells[kColumnDuration] = std::to_string(s.durationSeconds);
    cells[kColumnCorrect] = std::to_string(s.correctTotal);
    cells[kColumnWrong] = std::to_string(s.wrongTotal);
    cells[kColumnAccuracy] = FixedText(s.accuracyPercent, 1);
    return cells;
}

bool WriteSessionsCsv(std::ostream& out, const std::vector<SessionRecord>& sessions,
                      const SessionTableTexts& texts) {
    out << "\xEF\xBB\xBF";
    std::vector<std::string> header = texts.headers;
    header.resize(kSessionColumnCount);
    WriteCsvLine(out, header, true);
    for (const SessionRecord& s : sessions) WriteCsvLine(out, SessionCells(s, texts), false);
    out.flush();
    return static_cast<bool>(out);
}

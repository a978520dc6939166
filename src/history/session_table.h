#pragma once
// The sessions as table rows (the progress window's list) and as a CSV file for a spreadsheet.
// Both show the same cells: plain values whose units the column headers carry, so that a
// spreadsheet reads the numbers as numbers and the dates as dates.

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "history/session_record.h"

enum SessionColumn : int {
    kColumnDate,              // local start time, "2024-05-01 14:03"
    kColumnSource,            // the source's name
    kColumnLesson,            // Koch lesson size; empty for other sources
    kColumnLessonCharacters,  // the lesson or the selected list, display texts
    kColumnWordSpeed,         // WPM or CPM, as the learner shows speeds
    kColumnCharSpeed,
    kColumnDuration,  // seconds
    kColumnCorrect,
    kColumnWrong,
    kColumnAccuracy,  // percent, one decimal
    kSessionColumnCount
};

// What the interface supplies: the texts are its own (translated), UTF-8.
struct SessionTableTexts {
    std::vector<std::string> headers;                // kSessionColumnCount entries
    std::function<std::string(int32_t)> sourceName;  // from the "Source" bits
    bool wpm = true;                                 // speeds in words (true) or characters per minute
};

// "YYYY-MM-DD HH:MM" of the start in the local time it was recorded in.
std::string LocalDateTimeText(int64_t utcSeconds, int32_t utcOffsetMinutes);

// The cells of one session, UTF-8, in column order.
std::vector<std::string> SessionCells(const SessionRecord& session, const SessionTableTexts& texts);

// Writes the header and one line per session as a spreadsheet expects a CSV file: UTF-8 with a
// byte order mark, commas, CRLF line ends, fields quoted where they hold a comma, a quote or a
// line break, and text that a spreadsheet would take for a formula (=, +, -, @) led by an
// apostrophe. Returns whether the stream took everything.
bool WriteSessionsCsv(std::ostream& out, const std::vector<SessionRecord>& sessions,
                      const SessionTableTexts& texts);

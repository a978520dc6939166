#pragma once
// Deterministic, realistic session records for the store tests, the CSV check and the history
// benchmark: a Koch session of about five minutes with a copy that has a few errors.

#include <cstdint>

#include "history/session_record.h"

// Session number index (0, 1, ...): its lesson grows through the course, its start is a few
// hours after the previous one's.
SessionRecord GeneratedSession(int index);

#pragma once
// What the learner is told when the history file could not be used as it was: a plain message,
// naming where a damaged or unwritable file was moved. Empty when there is nothing to tell.

#include <wx/string.h>

#include "history/history_store.h"

wxString HistoryNoticeText(const HistoryNotice& notice);

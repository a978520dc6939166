#pragma once
// A second, deliberately plain implementation of the copy comparison, used as the oracle of
// the comparison's tests and as the "before" of its benchmark: it normalises both pane texts
// whole at every call and aligns the windows by exhaustive recursion.

#include <string>

#include "scoring/score_tally.h"

bool OracleCompareCopy(ScoreTally& tally, const std::string& copyText, const std::string& sentText,
                       bool final);

#pragma once
// Per-session tally of the copy comparison: per-character counts of correct and wrong copy,
// the two totals, and how far each pane's text has been scored. The interface thread writes it
// (the comparison) while the session thread reads the per-character counts (the generator
// weights weak characters), hence every field is a relaxed atomic.

#include <cstdint>

#include "engine/relaxed_atomic.h"

struct ScoreTally {
    RelaxedAtomic<int32_t> correct[256];  // per (upper-cased) byte: copied correctly
    RelaxedAtomic<int32_t> wrong[256];    // per byte: sent but missed or copied wrongly
    RelaxedAtomic<int32_t> correctTotal;  // always the sum of correct[]
    RelaxedAtomic<int32_t> wrongTotal;    // wrong[] plus extra copy characters (no entry)
    RelaxedAtomic<int32_t> copyOffset;    // leading bytes of the copy-pane text already scored
    RelaxedAtomic<int32_t> sentOffset;    // leading bytes of the output-pane text already scored

    // Zeroes every count and both offsets (start of a new session).
    void Clear();
};

#include "view/selection.h"

Selection g_selection;

bool selection_empty() { return g_selection.end <= g_selection.first; }

void selection_set(int first, int end) {
    if (end < first) {
        const int t = first;
        first = end;
        end = t;
    }
    g_selection.first = first < 0 ? 0 : first;
    g_selection.end = end;
}

void selection_clear() {
    g_selection.first = g_selection.end = 0;
    g_selection.anchor = -1;
}

void selection_follow(uint64_t discarded, int write_index) {
    if (discarded != g_selection.discarded_seen) {
        const bool newer = discarded > g_selection.discarded_seen;
        const uint64_t delta = newer ? discarded - g_selection.discarded_seen : 0;
        g_selection.discarded_seen = discarded;
        if (!newer || delta > static_cast<uint64_t>(g_selection.first)) { // a new block, or its bytes are gone
            selection_clear();
            return;
        }
        const int d = static_cast<int>(delta);
        g_selection.first -= d;
        g_selection.end -= d;
        g_selection.anchor = g_selection.anchor >= d ? g_selection.anchor - d : -1;
    }
    // The buffer was cleared or replaced below the selection's end: its records are not there.
    if (g_selection.end > write_index) selection_clear();
}

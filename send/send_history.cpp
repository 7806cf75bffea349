#include "send/send_history.h"

#include <cstring>

SendHistory g_history;

void clear_send_history() {
    for (Entry& e : g_history.places) entry_empty(&e);
}

bool file_in_history(const EntryUnit* chars, int count) {
    Entry sent;
    entry_assign(&sent, chars, count);
    for (const Entry& e : g_history.places)
        if (e.length >= 1 && e.length == sent.length && std::memcmp(e.chars, sent.chars, sizeof e.chars) == 0) return false;
    for (int k = kHistoryPlaces - 1; k > 0; --k) g_history.places[k] = g_history.places[k - 1];
    g_history.places[0] = sent;
    return true;
}

void delete_history_place(int place) {
    if (place < 0 || place >= kHistoryPlaces) return;
    for (int k = place; k < kHistoryPlaces - 1; ++k) g_history.places[k] = g_history.places[k + 1];
    entry_empty(&g_history.places[kHistoryPlaces - 1]);
}

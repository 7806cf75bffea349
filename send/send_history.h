// The send history: the last 20 different strings sent from the send dialogs, place 0 the
// most recent. It lives for the whole run and is never saved by itself.
#pragma once
#include "send/entry_text.h"

constexpr int kHistoryPlaces = 20;

struct SendHistory {
    Entry places[kHistoryPlaces];
};

extern SendHistory g_history;

// Empties all 20 places (at start-up and on the user's request).
void clear_send_history();
// Files a string that was sent: one already in the history (the same characters, the same
// length) stays where it is; otherwise every entry moves down one place, the last one
// falls out and the string takes place 0. Returns false when it was already there.
bool file_in_history(const EntryUnit* chars, int count);
// Removes place k: the places below it move up one and place 19 becomes empty.
void delete_history_place(int place);

// Text files of entries (the send history, preset lists): choosing a file and writing a list.
// The file is UTF-16LE with a byte-order mark, one entry a line in two hexadecimal digits per
// character, each line ended by CR LF.
#pragma once
#include <windows.h>

#include "send/entry_text.h"

// The common save (or open) dialog for text files, starting in the start directory with the
// name already in `path` (or "temp.txt"). 0 with the chosen full path in `path`
// (kPathChars characters), 1 when the user cancels (`path` untouched).
int choose_text_file(HWND owner, wchar_t* path, bool save);
// Writes the entries of `list` from place 0 up to the first empty one, under `path` with the
// text file name rule. Failures are shown in boxes owned by `owner`; returns true when the
// file was written whole.
bool save_entries_as_text(HWND owner, const wchar_t* path, const Entry* list, int places);

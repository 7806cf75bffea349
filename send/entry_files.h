// Text files of entries (the send history, preset lists): choosing a file, writing a list and
// reading one back. The file is UTF-16LE with a byte-order mark, one entry a line, each line
// ended by CR LF. The writer puts two hexadecimal digits per character; the reader also
// takes the quoted text of hand-written preset files.
#pragma once
#include <windows.h>

#include "send/entry_text.h"

// The common save (or open) dialog for text files, starting in the start directory with the
// name already in `path` (or "temp.txt"). 0 with the chosen full path in `path`
// (kPathChars characters), 1 when the user cancels (`path` untouched).
int choose_text_file(HWND owner, wchar_t* path, bool save);
// Writes the entries of `list` from place 0 up to the last filled one, under `path` with the
// text file name rule; an empty place among them is an empty line, so that reading the file
// gives every entry back in its place. Failures are shown in boxes owned by `owner`; returns
// true when the file was written whole.
bool save_entries_as_text(HWND owner, const wchar_t* path, const Entry* list, int places);
// Reads a preset file into the 200 places of `list` (the file is created empty when it does
// not exist). A file that cannot be opened or does not start with the byte-order mark is
// reported in a box owned by `owner` and leaves the list as it was; returns true when the
// list was read.
bool load_entry_file(HWND owner, const wchar_t* path, Entry* list);

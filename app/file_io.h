// Small file operations shared by the modules that read and write their own files.
#pragma once
#include <windows.h>

// Creates `path` holding only the UTF-16LE byte-order mark when it does not exist; an
// existing file is left as it is. The profile functions keep the encoding of a file that
// exists, and a new one would be ANSI, where text in another script turns into question
// marks. False when the file is not there and could not be made.
bool create_unicode_file_if_missing(const wchar_t* path);

// Reads from the file's position until `size` bytes, the end or an error; returns the count.
DWORD read_up_to(HANDLE file, void* data, DWORD size);

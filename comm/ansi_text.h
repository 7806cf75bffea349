// Narrow texts from Winsock (descriptions, host names, numeric addresses) made wide for
// the user interface.
#pragma once
#include <windows.h>

#include <cstddef>

// Converts `text` from `code_page` into out (out_chars including the terminator), cutting
// a text that does not fit after the last whole character. False (and out empty) when the
// text cannot be converted.
bool ansi_to_wide(const char* text, UINT code_page, wchar_t* out, size_t out_chars);

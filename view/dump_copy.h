// Copying the dump's selection to the clipboard as text: hexadecimal pairs, text in the
// ANSI code page with control bytes named as the dump names them, or preset lines that
// the preset files and the input send dialog read back as the same bytes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// "48 65 6C 6C 6F"
std::wstring hex_pairs_text(const uint8_t* bytes, int count);
// "Hello<CR><LF>": bytes 0-31 and 127 by their names in angle brackets, the rest in the
// ANSI code page (a space stays a space).
std::wstring dump_text(const uint8_t* bytes, int count);
// "\"Hello\"0D0A": printable ASCII in double quotes, every other byte (quotes included) as
// a pair. A line holds at most 256 bytes in 512 units, as a preset does; more bytes go on
// further lines, separated by CR LF.
std::wstring preset_lines_text(const uint8_t* bytes, int count);

// The selected data bytes, copied in the form of the command (IDM_COPY_HEX, IDM_COPY_TEXT
// or IDM_COPY_PRESET) as CF_UNICODETEXT. False with no selection or when the clipboard
// cannot be had.
bool copy_selection(HWND window, int command);
// The data bytes of the selection, in record order.
std::basic_string<uint8_t> selection_bytes();

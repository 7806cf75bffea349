// Exporting the traffic buffer as a pcapng file for packet analysers.
#pragma once
#include <windows.h>

// The export command: asks for the file (*.pcapng) and writes every packet the buffer
// holds. Reports an empty buffer (entry 12), a file that cannot be made (13) and a write
// error (165).
void export_pcapng(HWND owner);
// Writes the file without asking; false on an error (already reported).
bool export_pcapng_to(HWND owner, const wchar_t* path);

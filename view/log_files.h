// Saving the traffic buffer to a log file and loading it back, the file chooser shared by
// the log commands and the macro runner, and the scratch text file "temp.txt".
#pragma once
#include <windows.h>

enum ChooseFileMode {
    kChooseOpenLog = 0,
    kChooseSaveLog = 1,
    kChooseOpenText = 2,
};

// `name` (kPathChars) holds a proposed name in and the chosen full path out. Returns true
// when a file was chosen; on cancel the buffer holds the proposed name.
bool choose_file(wchar_t* name, int mode, HWND owner);
void save_log(HWND owner);
// Writes the whole buffer to `path` (replacing it), without asking; false when the file
// cannot be created. An empty buffer gives a file of the header alone.
bool write_log_file(const wchar_t* path);
void load_log(HWND owner);
void ensure_scratch_file(HWND owner);

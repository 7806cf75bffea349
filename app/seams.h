// The program's doors to the user and the outside: every message box, common file
// dialog, shell start, tick count and the host's own name goes through one of these
// functions. The hooks hold the real calls; a test may replace them to watch and answer
// (a test names the host "localhost", so looking it up never leaves the machine).
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <cstdint>

struct Seams {
    int (*message_box)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
    BOOL (*file_dialog)(OPENFILENAMEW* ofn, bool save);
    INT_PTR (*shell_execute)(HWND owner, const wchar_t* verb, const wchar_t* file,
                             const wchar_t* params, const wchar_t* dir, int show);
    uint32_t (*tick_count)();
    int (*host_name)(char* buffer, int size); // gethostname: 0 on success
    // GetAdaptersAddresses (reserved argument left out); buffer is an IP_ADAPTER_ADDRESSES
    // chain. A test answers it with crafted adapters.
    ULONG (*adapter_addresses)(ULONG family, ULONG flags, void* buffer, ULONG* size);
    BOOL (*colour_chooser)(CHOOSECOLORW* cc); // the system colour dialog
};

extern Seams g_seams;
extern const Seams kRealSeams;

int show_message_box(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
// Runs the common open (save = false) or save dialog.
BOOL show_file_dialog(OPENFILENAMEW* ofn, bool save);
// The same, filled in the way every file dialog of the program uses it: `file` holds the
// initial name in and the chosen path out (file_chars characters).
BOOL choose_path(HWND owner, const wchar_t* filter, const wchar_t* title, DWORD flags, wchar_t* file,
                 DWORD file_chars, bool save);
// ShellExecuteW; the result is the shell's instance value (above 32 on success).
int get_host_name(char* buffer, int size);
INT_PTR shell_start(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* params,
                    const wchar_t* dir, int show);
ULONG get_adapter_addresses(ULONG family, ULONG flags, void* buffer, ULONG* size);
// The system colour dialog, owned by `owner`, starting from *colour. On confirmation the
// chosen colour replaces *colour and the result is true; a cancel leaves it and gives false.
// Its custom colours start afresh every time.
bool choose_colour(HWND owner, COLORREF* colour);

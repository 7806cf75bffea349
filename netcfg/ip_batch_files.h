// The files behind the IP address change: the batch files in the "ipaddress" folder of the
// start directory, and "quorrel.ini", the settings file of the ID/password typing tool that
// may start beside an elevated batch file.
#pragma once
#include <windows.h>

#include "netcfg/ip_batch.h"

constexpr int kTypingToolChars = 256; // ID and password: 255 characters and the terminator

// The typing tool's settings as the IP Address Setting dialog shows them.
struct TypingTool {
    int id_time = 5000; // ID to password, milliseconds
    int pw_time = 5000; // password to end, milliseconds
    wchar_t id_wcs[kTypingToolChars] = L"ID";
    wchar_t pw_wcs[kTypingToolChars] = L"PW";
};

extern TypingTool g_typing_tool;

// Reads "quorrel.ini" (section "Setting"); what is missing keeps its default.
void load_typing_tool_file();
// Writes "quorrel.ini" for the typing tool, with the place it should work from. A missing
// file is made UTF-16 first, so an ID or password outside the ANSI code page survives.
void save_typing_tool_file(int moto_x, int moto_y);

// Refills list_box with the names of the batch files, in the order the file system gives
// them. A missing folder gives an empty list.
void list_batch_files(HWND list_box);
// Writes the batch file for the adapter into the folder (made when missing), replacing a
// file of the same name. Either the whole file is there afterwards or nothing changed;
// every failure has been shown to the user. Returns true when the file was written.
bool write_batch_file(HWND owner, const wchar_t* adapter, const BatchAddress& batch);
// Deletes the named batch file from the folder, without asking.
bool delete_batch_file(const wchar_t* name);
// Starts the named batch file with administrator rights (and the typing tool before it when
// pw_mode is 1), then reads the file back: a fixed-address file makes its address the local
// bind address, whether or not the start succeeded.
void run_batch_file(HWND dialog, const wchar_t* name);

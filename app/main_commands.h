// The main window's commands: every menu command and its toolbar twin.
#pragma once
#include <windows.h>

struct CommandInfo {
    int menu_id;
    int toolbar_id;    // 0: a menu command without a toolbar button
    int tooltip_entry; // text table entry of the toolbar button's tooltip (also the menu text)
    void (*run)(HWND window);
};

constexpr int kCommandCount = 37;
extern const CommandInfo kCommands[kCommandCount];

// The menu id of a menu or toolbar command id; 0 when the id is not a command.
int menu_command_of(int id);
// The tooltip entry of a toolbar button id; -1 when the id is not a toolbar button.
int tooltip_entry_of(int toolbar_id);
// Runs a command; false when the id is not one of the program's commands.
bool run_command(HWND window, int id);
// The TCP client's peer has closed the connection: it ends here as the close command ends
// it, without a question or a box, so that an unattended run goes on.
void end_after_peer_close(HWND window);

// The host name message: address, CR LF and host name within 63 characters; a name that
// does not fit is cut at a character boundary.
void format_host_message(const wchar_t* address, const wchar_t* name, wchar_t out[64]);

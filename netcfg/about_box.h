// The About box: the program's icon, name and version, and a way to the download page.
#pragma once
#include <windows.h>

// Where a newer version is offered; opened by the About box's "NewVersion" button.
extern const wchar_t kDownloadPage[];

// Runs the About box modally (template 120). Returns 1041 after "OK", 1 after the close box.
INT_PTR run_about_box(HWND owner);

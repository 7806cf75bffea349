// The language dialog: picks moji_type by the language's English name.
#pragma once
#include <windows.h>

INT_PTR run_language_dialog(HWND owner);

// The look every dialog shares: a title bar that follows the dark flag, control colours
// from the colour slots, and owner-drawn push buttons (face, frame, centred text). Each
// dialog procedure hands its messages to dialog_theme_message first.
#pragma once
#include <windows.h>

struct DialogTheme {
    int edit_back_slot;   // background behind edit text: window background, or dialog background
    bool themes_list_box; // dialogs with a list box colour it like an edit field
};

constexpr DialogTheme kStandardTheme = {1, false};

// Desktop window manager attribute 20: a dark title bar when `dark` is set.
void set_dark_title_bar(HWND window, bool dark);
// On WM_INITDIALOG: the title bar follows the dark flag.
void apply_dialog_theme(HWND dialog);
// Answers WM_CTLCOLOR* and the WM_DRAWITEM of owner-drawn push buttons. Returns true when
// the message was answered; *result is then what the dialog procedure must return.
bool dialog_theme_message(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam, const DialogTheme& theme,
                          INT_PTR* result);
// Face of slot 20, a one-pixel frame and centred text in slot 0, whatever the button's state.
void draw_owner_button(const DRAWITEMSTRUCT* item);
// An owner-drawn push button reports the second of two quick clicks as BN_DOUBLECLICKED
// instead of BN_CLICKED; both are presses of the button, or a quick second "send" or
// "next page" would be lost.
inline bool button_pressed(WPARAM wparam) {
    return HIWORD(wparam) == BN_CLICKED || HIWORD(wparam) == BN_DOUBLECLICKED;
}

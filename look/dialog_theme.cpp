#include "look/dialog_theme.h"

#include "look/colours.h"
#include "look/dark_mode.h"
#include "view/view_metrics.h"

#include <dwmapi.h>

namespace {

constexpr DWORD kImmersiveDarkMode = 20;

INT_PTR dialog_brush() { return reinterpret_cast<INT_PTR>(g_draw.brush[kSlotDialogBack]); }

INT_PTR colour_control(HDC dc, int back_slot, int mode) {
    SetTextColor(dc, slot_colour(kSlotText));
    SetBkColor(dc, slot_colour(back_slot));
    SetBkMode(dc, mode);
    return dialog_brush();
}

} // namespace

void set_dark_title_bar(HWND window, bool dark) {
    BOOL value = dark ? TRUE : FALSE;
    DwmSetWindowAttribute(window, kImmersiveDarkMode, &value, sizeof value);
}

void apply_dialog_theme(HWND dialog) { set_dark_title_bar(dialog, g_dark_mode.dark != 0); }

void draw_owner_button(const DRAWITEMSTRUCT* item) {
    HBRUSH face = CreateSolidBrush(slot_colour(kSlotButtonFace));
    HBRUSH frame = CreateSolidBrush(slot_colour(kSlotText));
    RECT rc = item->rcItem;
    FillRect(item->hDC, &rc, face);
    FrameRect(item->hDC, &rc, frame);
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, slot_colour(kSlotText));
    wchar_t text[64] = {};
    GetWindowTextW(item->hwndItem, text, 64);
    DrawTextW(item->hDC, text, -1, &rc, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    DeleteObject(face);
    DeleteObject(frame);
}

bool dialog_theme_message(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam, const DialogTheme& theme,
                          INT_PTR* result) {
    (void)dialog;
    if (!g_draw.brush[kSlotDialogBack]) return false; // no drawing objects: system colours
    HDC dc = reinterpret_cast<HDC>(wparam);
    switch (message) {
    case WM_CTLCOLOREDIT:
        *result = colour_control(dc, theme.edit_back_slot, OPAQUE);
        return true;
    case WM_CTLCOLORLISTBOX:
        if (!theme.themes_list_box) return false;
        *result = colour_control(dc, kSlotWindowBack, TRANSPARENT);
        return true;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        *result = colour_control(dc, kSlotDialogBack, OPAQUE);
        return true;
    case WM_CTLCOLORDLG:
        *result = dialog_brush();
        return true;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
        if (item->CtlType != ODT_BUTTON) return false;
        draw_owner_button(item);
        *result = TRUE;
        return true;
    }
    }
    return false;
}

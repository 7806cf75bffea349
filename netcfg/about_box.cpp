#include "netcfg/about_box.h"

#include "app/app_state.h"
#include "app/seams.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "look/dialog_theme.h"
#include "res/resource.h"
#include "tarvik_version.h"

#include <cwchar>

const wchar_t kDownloadPage[] = L"https://brenlow.example/tarvik/download/";

namespace {

constexpr int kIconLeft = 3;
constexpr int kIconTop = 22;
constexpr int kIconSize = 64;

void draw_icon(HDC dc) {
    HICON icon = static_cast<HICON>(
        LoadImageW(app_instance(), MAKEINTRESOURCEW(IDI_TARVIK), IMAGE_ICON, kIconSize, kIconSize, LR_DEFAULTCOLOR));
    if (!icon) return;
    DrawIconEx(dc, kIconLeft, kIconTop, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
}

void init_dialog(HWND dialog) {
    set_text_from_table(dialog, 0, kTextAboutCaption);
    wchar_t version[32];
    swprintf(version, 32, L"Version %d.%02d", TARVIK_VERSION_MAJOR, TARVIK_VERSION_MINOR);
    SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, version);
    apply_dialog_theme(dialog);
}

INT_PTR CALLBACK about_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR themed = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kStandardTheme, &themed)) return themed;
    switch (message) {
    case WM_INITDIALOG:
        init_dialog(dialog);
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(dialog, &ps);
        draw_icon(dc);
        EndPaint(dialog, &ps);
        return TRUE;
    }
    case WM_PRINTCLIENT:
        draw_icon(reinterpret_cast<HDC>(wparam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_ABOUT_OK:
            EndDialog(dialog, IDC_ABOUT_OK);
            return TRUE;
        case IDC_ABOUT_NEW_VERSION: // the box stays open
            shell_start(dialog, L"open", kDownloadPage, nullptr, nullptr, SW_SHOWNORMAL);
            return TRUE;
        case IDCANCEL: // the close box and Escape
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR run_about_box(HWND owner) {
    return DialogBoxParamW(app_instance(), MAKEINTRESOURCEW(IDD_ABOUT), owner, about_proc, 0);
}

#include "app/main_window.h"

#include "app/app_state.h"
#include "app/dpi.h"
#include "app/main_commands.h"
#include "app/menu_bar.h"
#include "app/settings.h"
#include "app/status_bar.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "app/toolbar.h"
#include "comm/capture.h"
#include "comm/connection.h"
#include "comm/host_lookup.h"
#include "comm/tls_settings.h"
#include "comm/traffic_buffer.h"
#include "look/colours.h"
#include "look/dark_mode.h"
#include "look/dialog_theme.h"
#include "res/resource.h"
#include "send/input_send_dialog.h"
#include "view/dump_mouse.h"
#include "view/find_dialog.h"
#include "send/responder.h"
#include "send/responder_dialog.h"
#include "view/status_line.h"
#include "view/traffic_view.h"
#include "view/view_metrics.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {

constexpr int kToolbarHeight = 24;
constexpr int kStatusBarHeight = 20;
constexpr int kNameChars = 100;

wchar_t g_class_name[kNameChars] = L"Tarvik";
wchar_t g_title[kNameChars] = L"Tarvik";
wchar_t g_tooltip[kTextChars]; // tooltips point here while they show
HACCEL g_main_keys = nullptr;   // accelerator tables from the resources (never destroyed)
HACCEL g_find_keys = nullptr;

bool run_creation_sequence(HWND window) {
    take_start_directory();
    load_settings();
    load_text_table();
    if (!traffic_allocate()) {
        text_info_box(kTextBufferNoMemory, window, L"CreateFile");
        return false;
    }
    load_capture_settings();
    load_tls_settings();
    measure_view_fonts(window);
    load_colours();
    make_drawing_objects();
    if (g_dark_mode.dark) set_dark_title_bar(window, true);
    if (!g_dark_mode.no_menu_bar) build_menu(window);
    create_toolbar(window);
    create_status_bar(window);
    query_host();
    traffic_reset();
    reset_view();
    clear_send_history();
    g_view.follow_end = 1;
    capture_resume(window);
    responder_resume(window);
    if (capture_running() || responder_is_on()) toolbar_unconnected();
    return true;
}

void run_destruction_sequence(HWND window) {
    KillTimer(window, IDT_REFRESH);
    save_settings();
    if (connection_is_open()) close_connection(window);
    responder_end();
    capture_stop();
    release_drawing_objects();
    traffic_free();
    if (!g_dark_mode.no_menu_bar) destroy_menu();
    g_toolbar = nullptr;
    g_status_bar = nullptr;
    g_app.main_window = nullptr;
    PostQuitMessage(0);
}

void on_timer(HWND window) {
    capture_flush(window);
    if (!connection_is_open()) return;
    traffic_refresh_gap();
    if (traffic_state().write_index != g_view.last_drawn) {
        append_to_view();
        // The status texts show the buffer's fill: keep them with the traffic.
        if (g_status_bar) InvalidateRect(g_status_bar, nullptr, TRUE);
    } else {
        refresh_running_gap(0);
    }
}

void on_paint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    draw_view(dc);
    if (!connection_is_open()) g_view.follow_end = 0;
    refresh_status_colour();
    EndPaint(window, &ps);
}

void on_erase_background(HWND window, HDC dc) {
    RECT rc;
    GetClientRect(window, &rc);
    FillRect(dc, &rc, g_draw.brush[kSlotWindowBack] ? g_draw.brush[kSlotWindowBack]
                                                     : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

LRESULT on_notify(HWND window, const NMHDR* header) {
    if (header->code != TTN_GETDISPINFOW) return 0;
    int entry = tooltip_entry_of(static_cast<int>(header->idFrom));
    if (entry < 0) return 0;
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(header));
    text_table_lookup(entry, g_tooltip);
    info->hinst = g_app.instance;
    info->lpszText = g_tooltip;
    (void)window;
    return 0;
}

// The window moved to a screen of another DPI (or the user changed the scale): fonts,
// cell geometry, images and status parts are made again for it, and the window takes
// the place Windows suggests.
void on_dpi_changed(HWND window, const RECT* suggested) {
    measure_view_fonts(window);
    toolbar_use_dpi(g_metrics.dpi);
    status_bar_use_dpi(g_metrics.dpi);
    if (g_menu_bar.bar) build_menu(window);
    if (suggested)
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (g_status_bar) SendMessageW(g_status_bar, WM_SIZE, 0, 0);
    InvalidateRect(window, nullptr, TRUE);
}

} // namespace

bool register_main_window_class(HINSTANCE instance) {
    LoadStringW(instance, IDS_WINDOW_CLASS, g_class_name, kNameChars);
    LoadStringW(instance, IDS_WINDOW_TITLE, g_title, kNameChars);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = main_window_proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TARVIK));
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = g_class_name;
    if (RegisterClassExW(&wc)) return true;
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND create_main_window(HINSTANCE instance) {
    g_app.instance = instance;
    // Children are clipped so that the dump, whose last band reaches under the status bar,
    // never paints over the toolbar or the status bar.
    return CreateWindowExW(0, g_class_name, g_title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
}

void repaint_dump_area(HWND window) {
    RECT rc;
    GetClientRect(window, &rc);
    rc.top += view_px(kToolbarHeight);
    rc.bottom -= view_px(kStatusBarHeight);
    if (rc.bottom > rc.top) InvalidateRect(window, &rc, TRUE);
}

void repaint_whole_window(HWND window) { InvalidateRect(window, nullptr, TRUE); }

bool translate_main_window_message(MSG* msg) {
    HWND window = g_app.main_window;
    if (!window) return false;
    if (!g_main_keys) {
        g_main_keys = LoadAcceleratorsW(app_instance(), MAKEINTRESOURCEW(IDA_MAIN_KEYS));
        g_find_keys = LoadAcceleratorsW(app_instance(), MAKEINTRESOURCEW(IDA_FIND_KEYS));
    }
    // In the find dialog only F3 and Shift+F3 are the window's; the rest (Ctrl+C, Ctrl+A in
    // the pattern field, Tab, Enter, Escape) belong to the dialog.
    if (g_find.dialog && (msg->hwnd == g_find.dialog || IsChild(g_find.dialog, msg->hwnd))) {
        if (g_find_keys && TranslateAcceleratorW(window, g_find_keys, msg)) return true;
        return find_dialog_message(msg);
    }
    return g_main_keys && TranslateAcceleratorW(window, g_main_keys, msg);
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        g_app.main_window = window;
        if (!run_creation_sequence(window)) return -1;
        SetTimer(window, IDT_REFRESH, static_cast<UINT>(g_settings.pl_time), nullptr);
        if (g_status_bar) SendMessageW(g_status_bar, WM_SIZE, 0, 0);
        return 0;
    case WM_SIZE:
        if (g_status_bar) SendMessageW(g_status_bar, WM_SIZE, wparam, lparam);
        // The toolbar follows the window's width too, so its edge line spans the window.
        if (g_toolbar) SendMessageW(g_toolbar, TB_AUTOSIZE, 0, 0);
        return 0;
    case WM_PAINT:
        on_paint(window);
        return 0;
    case WM_ERASEBKGND:
        on_erase_background(window, reinterpret_cast<HDC>(wparam));
        return 1;
    case WM_DRAWITEM:
        return draw_status_part(reinterpret_cast<const DRAWITEMSTRUCT*>(lparam)) ? TRUE : 0;
    case WM_NOTIFY:
        return on_notify(window, reinterpret_cast<const NMHDR*>(lparam));
    case WM_LBUTTONDOWN:
        dump_mouse_press(window, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam), (wparam & MK_SHIFT) != 0);
        return 0;
    case WM_MOUSEMOVE:
        dump_mouse_move(window, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
        return 0;
    case WM_LBUTTONUP:
        dump_mouse_release(window, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
        return 0;
    case WM_KEYDOWN:
        if (wparam == VK_PRIOR) run_command(window, IDM_SCROLL_END);
        if (wparam == VK_NEXT) run_command(window, IDM_SCROLL_START);
        return 0;
    case WM_COMMAND:
        if (run_command(window, LOWORD(wparam))) return 0;
        break;
    case WM_TIMER:
        if (wparam == IDT_REFRESH) on_timer(window);
        return 0;
    case kPeerClosedMessage:
        end_after_peer_close(window);
        return 0;
    case WM_INITMENUPOPUP: {
        bool open = connection_is_open();
        apply_menu_enabling(reinterpret_cast<HMENU>(wparam), open);
        if (open)
            toolbar_connected();
        else
            toolbar_unconnected();
        return 0;
    }
    case WM_DPICHANGED:
        on_dpi_changed(window, reinterpret_cast<const RECT*>(lparam));
        return 0;
    case WM_DESTROY:
        run_destruction_sequence(window);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

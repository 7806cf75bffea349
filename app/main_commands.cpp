#include "app/main_commands.h"

#include "app/app_state.h"
#include "app/language_dialog.h"
#include "app/main_window.h"
#include "app/menu_bar.h"
#include "app/seams.h"
#include "app/settings.h"
#include "app/status_bar.h"
#include "app/text_table.h"
#include "app/toolbar.h"
#include "comm/capture.h"
#include "comm/connection.h"
#include "comm/host_lookup.h"
#include "comm/traffic_buffer.h"
#include "look/colour_dialog.h"
#include "look/dark_mode.h"
#include "look/environment_dialog.h"
#include "netcfg/about_box.h"
#include "netcfg/connection_settings_dialog.h"
#include "res/resource.h"
#include "send/input_send_dialog.h"
#include "send/macro_dialog.h"
#include "send/preset_edit_dialog.h"
#include "send/preset_send_dialog.h"
#include "view/log_files.h"
#include "view/pcapng_files.h"
#include "view/scrolling.h"
#include "view/traffic_view.h"

#include <cwchar>

const CommandInfo kCommands[kCommandCount] = {
    {IDM_SAVE_LOG, IDT_SAVE_LOG, 210},
    {IDM_LOAD_LOG, IDT_LOAD_LOG, 211},
    {IDM_EXPORT_PCAPNG, IDT_EXPORT_PCAPNG, 160},
    {IDM_CAPTURE, IDT_CAPTURE, 161},
    {IDM_EXIT, IDT_EXIT, 212},
    {IDM_REPAINT, IDT_REPAINT, 220},
    {IDM_CLEAR, IDT_CLEAR, 221},
    {IDM_SCROLL_END, IDT_SCROLL_END, 222},
    {IDM_SCROLL_START, IDT_SCROLL_START, 223},
    {IDM_LAST_LINE, IDT_LAST_LINE, 224},
    {IDM_FIRST_LINE, IDT_FIRST_LINE, 225},
    {IDM_INPUT_SEND, IDT_INPUT_SEND, 230},
    {IDM_PRESET_SEND, IDT_PRESET_SEND, 231},
    {IDM_MACRO, IDT_MACRO, 232},
    {IDM_PRESET_EDIT, IDT_PRESET_EDIT, 240},
    {IDM_SCRATCH_TEXT, IDT_SCRATCH_TEXT, 241},
    {IDM_EDIT_MACRO, IDT_EDIT_MACRO, 242},
    {IDM_CONNECTION_SETTINGS, IDT_CONNECTION_SETTINGS, 250},
    {IDM_OPEN, IDT_OPEN, 251},
    {IDM_CLOSE, IDT_CLOSE, 252},
    {IDM_HOST_NAME, IDT_HOST_NAME, 253},
    {IDM_ENVIRONMENT, IDT_ENVIRONMENT, 260},
    {IDM_DARK_MODE, IDT_DARK_MODE, 261},
    {IDM_LANGUAGE, IDT_LANGUAGE, 262},
    {IDM_COLOURS, IDT_COLOURS, 263},
    {IDM_ABOUT, IDT_ABOUT, 270},
    {IDM_MANUAL, IDT_MANUAL, 271},
    {IDM_HOME_PAGE, IDT_HOME_PAGE, 272},
};

namespace {

const wchar_t kHomePage[] = L"https://brenlow.example/tarvik/";
constexpr int kMacroPickChars = 260;

void scroll(HWND window, bool toward_end) {
    if (!g_view.follow_end) {
        int write_index = traffic_state().write_index;
        g_view.view_top = toward_end ? scroll_toward_end(g_view.view_top, write_index, g_view.records_per_line,
                                                         g_settings.scrol_pitch)
                                     : scroll_toward_start(g_view.view_top, g_view.records_per_line,
                                                           g_settings.scrol_pitch);
    }
    repaint_dump_area(window);
}

void clear_buffer(HWND window) {
    if (text_message_box(5, window, 1, L"Tarvik") != IDYES) return;
    traffic_reset();
    reset_view();
    repaint_whole_window(window);
}

void open_scratch_text(HWND window) {
    enter_start_directory();
    ensure_scratch_file(window);
    shell_start(window, L"open", L"notepad.exe", L"temp.txt", nullptr, SW_SHOWNORMAL);
}

// Every file chosen is opened in its own program. With several chosen, the dialog gives
// the folder and then the names, each ended by a zero.
void edit_macro_file(HWND window) {
    enter_start_directory();
    wchar_t file[kMacroPickChars] = {};
    if (!start_dir_path(L"*.txt", file, kMacroPickChars)) wcscpy(file, L"*.txt");
    if (!choose_path(window, L"Text(*.txt)\0*.txt\0", L"MACROファイル編集", OFN_EXPLORER | OFN_ALLOWMULTISELECT,
                     file, kMacroPickChars, false))
        return;

    const wchar_t* first = file;
    const wchar_t* next = first + wcslen(first) + 1;
    if (*next == 0) {
        shell_start(window, L"open", first, nullptr, nullptr, SW_SHOWNORMAL);
        return;
    }
    for (; *next && next < file + kMacroPickChars; next += wcslen(next) + 1) {
        wchar_t path[kMacroPickChars * 2];
        swprintf(path, kMacroPickChars * 2, L"%ls\\%ls", first, next);
        shell_start(window, L"open", path, nullptr, nullptr, SW_SHOWNORMAL);
    }
}

void connection_settings(HWND window) {
    run_connection_settings_dialog(window);
    refresh_status_colour();
    if (g_status_bar) InvalidateRect(g_status_bar, nullptr, TRUE);
}

void open_connection(HWND window) {
    if (udp_mode())
        server_mode() ? open_udp_server(window) : open_udp_client(window);
    else
        server_mode() ? open_tip_server(window) : open_tip_client(window);
    if (server_mode()) query_host();
    if (connection_is_open()) g_view.follow_end = 1;
    repaint_whole_window(window);
    refresh_status_colour();
    if (connection_is_open()) toolbar_connected();
}

void close_connection_command(HWND window) {
    close_connection(window);
    capture_flush(window);
    repaint_whole_window(window);
    refresh_status_colour();
    if (!connection_is_open()) toolbar_unconnected();
}

void show_capture_state() {
    if (connection_is_open())
        toolbar_connected();
    else
        toolbar_unconnected();
}

void show_host_name(HWND window) {
    query_host();
    wchar_t text[64];
    format_host_message(g_host.address, g_host.name, text);
    show_message_box(window, text, L"HostName", MB_OK);
}

void dark_mode(HWND window) {
    g_app.restart_requested = 0;
    run_dark_mode_dialog(window);
    if (g_app.restart_requested != 1) return;
    int answer = show_message_box(window, L"YES=Reboot as administrator NO=Normal reboot", L"ReStart", MB_YESNO);
    // This instance ends first; the relaunch helper waits for it before starting the next.
    DestroyWindow(window);
    enter_start_directory();
    shell_start(nullptr, L"open", L"mivvet.exe", answer == IDYES ? L"TarvikA.exe" : L"Tarvik.exe", nullptr,
                SW_SHOWNORMAL);
}

void language(HWND window) {
    run_language_dialog(window);
    refresh_status_colour();
    if (!g_dark_mode.no_menu_bar) {
        destroy_menu();
        build_menu(window);
    }
}

void open_manual(HWND window) {
    if (shell_start(window, L"open", L"Tarvik_manual.pdf", nullptr, nullptr, SW_SHOWNORMAL) < 32) {
        wchar_t caption[kTextChars];
        text_table_lookup(0, caption);
        text_message_box(1, window, 0, caption);
    }
}

} // namespace

int menu_command_of(int id) {
    for (const CommandInfo& c : kCommands)
        if (c.menu_id == id || c.toolbar_id == id) return c.menu_id;
    return 0;
}

int tooltip_entry_of(int toolbar_id) {
    for (const CommandInfo& c : kCommands)
        if (c.toolbar_id == toolbar_id) return c.tooltip_entry;
    return -1;
}

bool run_command(HWND window, int id) {
    switch (menu_command_of(id)) {
    case IDM_SAVE_LOG:
        save_log(window);
        return true;
    case IDM_LOAD_LOG:
        load_log(window);
        g_view.follow_end = 1;
        repaint_whole_window(window);
        return true;
    case IDM_EXPORT_PCAPNG:
        export_pcapng(window);
        return true;
    case IDM_CAPTURE:
        capture_toggle(window);
        show_capture_state();
        return true;
    case IDM_EXIT:
        DestroyWindow(window);
        return true;
    case IDM_REPAINT:
        repaint_whole_window(window);
        return true;
    case IDM_CLEAR:
        clear_buffer(window);
        return true;
    case IDM_SCROLL_END:
        scroll(window, true);
        return true;
    case IDM_SCROLL_START:
        scroll(window, false);
        return true;
    case IDM_LAST_LINE:
        g_view.view_top = last_line_top(traffic_state().write_index, g_view.records_per_line);
        InvalidateRect(window, nullptr, TRUE);
        return true;
    case IDM_FIRST_LINE:
        g_view.view_top = 0;
        InvalidateRect(window, nullptr, TRUE);
        return true;
    case IDM_INPUT_SEND:
        if (!g_app.input_send_open) run_input_send_dialog(window);
        return true;
    case IDM_MACRO:
        if (!g_app.macro_open) run_macro_dialog(window);
        return true;
    case IDM_PRESET_SEND:
        if (!g_app.preset_send_open) run_preset_send_dialog(window);
        return true;
    case IDM_PRESET_EDIT:
        if (!g_app.preset_edit_open) run_preset_edit_dialog(window);
        return true;
    case IDM_SCRATCH_TEXT:
        open_scratch_text(window);
        return true;
    case IDM_EDIT_MACRO:
        edit_macro_file(window);
        return true;
    case IDM_CONNECTION_SETTINGS:
        connection_settings(window);
        return true;
    case IDM_OPEN:
        open_connection(window);
        return true;
    case IDM_CLOSE:
        close_connection_command(window);
        return true;
    case IDM_HOST_NAME:
        show_host_name(window);
        return true;
    case IDM_DARK_MODE:
        dark_mode(window);
        return true;
    case IDM_LANGUAGE:
        language(window);
        return true;
    case IDM_ENVIRONMENT:
        run_environment_dialog(window);
        return true;
    case IDM_COLOURS:
        run_colour_dialog(window);
        return true;
    case IDM_ABOUT:
        run_about_box(window);
        return true;
    case IDM_MANUAL:
        open_manual(window);
        return true;
    case IDM_HOME_PAGE:
        shell_start(window, L"open", kHomePage, nullptr, nullptr, SW_SHOWNORMAL);
        return true;
    }
    return false;
}

void format_host_message(const wchar_t* address, const wchar_t* name, wchar_t out[64]) {
    constexpr size_t kLimit = 63;
    size_t n = 0;
    auto put = [&](const wchar_t* text) {
        for (; *text && n < kLimit; ++text) {
            // A surrogate pair is kept whole or left out whole.
            if (*text >= 0xD800 && *text <= 0xDBFF) {
                if (n + 2 > kLimit || !text[1]) break;
                out[n++] = *text++;
            }
            out[n++] = *text;
        }
    };
    put(address);
    put(L"\r\n");
    put(name);
    out[n] = 0;
}

#include "app/main_commands.h"

#include "app/app_state.h"
#include "app/language_dialog.h"
#include "app/main_window.h"
#include "app/menu_bar.h"
#include "app/seams.h"
#include "app/settings.h"
#include "app/status_bar.h"
#include "app/text_ids.h"
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
#include "view/dump_copy.h"
#include "view/dump_mouse.h"
#include "view/find_dialog.h"
#include "send/responder_dialog.h"
#include "view/log_files.h"
#include "view/pcapng_files.h"
#include "view/scrolling.h"
#include "view/selection.h"
#include "view/status_line.h"
#include "view/status_text.h"
#include "view/traffic_view.h"

#include <cwchar>


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
    if (!text_question_box(kTextClearBufferQuestion, window, L"Tarvik")) return;
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
    set_status_note(nullptr);
    open_connection_of_mode(window);
    if (server_mode()) query_host();
    if (connection_is_open()) g_view.follow_end = 1;
    repaint_whole_window(window);
    refresh_status_colour();
    if (connection_is_open()) toolbar_connected();
}

// The window after a closing: the dump, the status bar and the toolbar show the state.
void show_closed(HWND window) {
    capture_flush(window);
    repaint_whole_window(window);
    refresh_status_colour();
    if (!connection_is_open()) toolbar_unconnected();
}

void close_connection_command(HWND window) {
    close_connection(window);
    show_closed(window);
}

// A step of a closing without boxes that failed: the status line says which.
void note_failed_step(const wchar_t* caption, const wchar_t* text) {
    wchar_t note[kStatusTextChars];
    swprintf(note, kStatusTextChars, L"%ls: %ls", caption, text);
    set_status_note(note);
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
        text_table_lookup(kTextManualCaption, caption);
        text_info_box(kTextManualMissing, window, caption);
    }
}


void scroll_toward_end_command(HWND window) { scroll(window, true); }

void scroll_toward_start_command(HWND window) { scroll(window, false); }

void go_to_last_line(HWND window) {
    g_view.view_top = last_line_top(traffic_state().write_index, g_view.records_per_line);
    InvalidateRect(window, nullptr, TRUE);
}

void go_to_first_line(HWND window) {
    g_view.view_top = 0;
    InvalidateRect(window, nullptr, TRUE);
}

void load_log_command(HWND window) {
    load_log(window);
    selection_clear(); // its records were replaced
    g_view.follow_end = 1;
    repaint_whole_window(window);
}

void find_command(HWND window) { open_find_dialog(window); }

void find_next(HWND window) { find_in_dump(window, true); }

void find_previous(HWND window) { find_in_dump(window, false); }

void copy_as_hex(HWND window) { copy_selection(window, IDM_COPY_HEX); }

void copy_as_text(HWND window) { copy_selection(window, IDM_COPY_TEXT); }

void copy_as_preset(HWND window) { copy_selection(window, IDM_COPY_PRESET); }

void capture_command(HWND window) {
    capture_toggle(window);
    show_capture_state();
}

void exit_program(HWND window) { DestroyWindow(window); }

// Each send tool runs once at a time under its own open guard.
void input_send(HWND window) {
    if (!g_app.input_send_open) run_input_send_dialog(window);
}

void preset_send(HWND window) {
    if (!g_app.preset_send_open) run_preset_send_dialog(window);
}

void macro(HWND window) { run_macro_dialog(window); }

void preset_edit(HWND window) {
    if (!g_app.preset_edit_open) run_preset_edit_dialog(window);
}

void environment(HWND window) { run_environment_dialog(window); }

void colours(HWND window) { run_colour_dialog(window); }

void about(HWND window) { run_about_box(window); }

void open_home_page(HWND window) { shell_start(window, L"open", kHomePage, nullptr, nullptr, SW_SHOWNORMAL); }

} // namespace

const CommandInfo kCommands[kCommandCount] = {
    {IDM_SAVE_LOG, IDT_SAVE_LOG, kTextMenuSaveLog, save_log},
    {IDM_LOAD_LOG, IDT_LOAD_LOG, kTextMenuLoadLog, load_log_command},
    {IDM_EXPORT_PCAPNG, IDT_EXPORT_PCAPNG, kTextMenuExportPcapng, export_pcapng},
    {IDM_CAPTURE, IDT_CAPTURE, kTextMenuCapture, capture_command},
    {IDM_EXIT, IDT_EXIT, kTextMenuExit, exit_program},
    {IDM_REPAINT, IDT_REPAINT, kTextMenuRepaint, repaint_whole_window},
    {IDM_CLEAR, IDT_CLEAR, kTextMenuClear, clear_buffer},
    {IDM_SCROLL_END, IDT_SCROLL_END, kTextMenuScrollEnd, scroll_toward_end_command},
    {IDM_SCROLL_START, IDT_SCROLL_START, kTextMenuScrollStart, scroll_toward_start_command},
    {IDM_LAST_LINE, IDT_LAST_LINE, kTextMenuLastLine, go_to_last_line},
    {IDM_FIRST_LINE, IDT_FIRST_LINE, kTextMenuFirstLine, go_to_first_line},
    {IDM_FIND, 0, kTextMenuFind, find_command},
    {IDM_FIND_NEXT, 0, kTextMenuFindNext, find_next},
    {IDM_FIND_PREVIOUS, 0, kTextMenuFindPrevious, find_previous},
    {IDM_INPUT_SEND, IDT_INPUT_SEND, kTextMenuInputSend, input_send},
    {IDM_PRESET_SEND, IDT_PRESET_SEND, kTextMenuPresetSend, preset_send},
    {IDM_MACRO, IDT_MACRO, kTextMenuMacro, macro},
    {IDM_RESPONDER, 0, kTextMenuResponder, open_responder_dialog}, // no button: the switch has one
    {IDM_RESPONDER_SWITCH, IDT_RESPONDER_SWITCH, kTextMenuResponderSwitch, switch_responder},
    {IDM_PRESET_EDIT, IDT_PRESET_EDIT, kTextMenuPresetEdit, preset_edit},
    {IDM_SCRATCH_TEXT, IDT_SCRATCH_TEXT, kTextMenuScratchText, open_scratch_text},
    {IDM_EDIT_MACRO, IDT_EDIT_MACRO, kTextMenuEditMacro, edit_macro_file},
    {IDM_COPY_HEX, 0, kTextMenuCopyHex, copy_as_hex},
    {IDM_COPY_TEXT, 0, kTextMenuCopyText, copy_as_text},
    {IDM_COPY_PRESET, 0, kTextMenuCopyPreset, copy_as_preset},
    {IDM_SELECT_ALL, 0, kTextMenuSelectAll, select_all_data},
    {IDM_CONNECTION_SETTINGS, IDT_CONNECTION_SETTINGS, kTextMenuConnectionSettings, connection_settings},
    {IDM_OPEN, IDT_OPEN, kTextMenuOpen, open_connection},
    {IDM_CLOSE, IDT_CLOSE, kTextMenuClose, close_connection_command},
    {IDM_HOST_NAME, IDT_HOST_NAME, kTextMenuHostName, show_host_name},
    {IDM_ENVIRONMENT, IDT_ENVIRONMENT, kTextMenuEnvironment, environment},
    {IDM_DARK_MODE, IDT_DARK_MODE, kTextMenuDarkMode, dark_mode},
    {IDM_LANGUAGE, IDT_LANGUAGE, kTextMenuLanguage, language},
    {IDM_COLOURS, IDT_COLOURS, kTextMenuColours, colours},
    {IDM_ABOUT, IDT_ABOUT, kTextMenuAbout, about},
    {IDM_MANUAL, IDT_MANUAL, kTextMenuManual, open_manual},
    {IDM_HOME_PAGE, IDT_HOME_PAGE, kTextMenuHomePage, open_home_page},
};

int menu_command_of(int id) {
    for (const CommandInfo& c : kCommands)
        if (c.menu_id == id || (c.toolbar_id != 0 && c.toolbar_id == id)) return c.menu_id;
    return 0;
}

int tooltip_entry_of(int toolbar_id) {
    for (const CommandInfo& c : kCommands)
        if (c.toolbar_id != 0 && c.toolbar_id == toolbar_id) return c.tooltip_entry;
    return -1;
}

void end_after_peer_close(HWND window) {
    if (!connection_is_open()) return; // closed meanwhile by the user
    set_status_note(text_entry(kTextPeerClosed));
    close_connection_quietly(note_failed_step);
    show_closed(window);
}

bool run_command(HWND window, int id) {
    const int menu_id = menu_command_of(id);
    for (const CommandInfo& c : kCommands) {
        if (c.menu_id != menu_id) continue;
        c.run(window);
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

#include "send/input_send_dialog.h"

#include "app/app_state.h"
#include "app/settings.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "comm/peers.h"
#include "comm/sending.h"
#include "comm/traffic_buffer.h"
#include "look/dialog_theme.h"
#include "res/resource.h"
#include "send/entry_editor.h"
#include "send/entry_files.h"
#include "app/scoped_win.h"
#include "view/view_metrics.h"

#include <cwchar>

InputSendDialog g_input_send;

namespace {

constexpr UINT_PTR kFocusTimer = 1;
constexpr UINT kFocusPeriod = 3000;
constexpr int kHistoryRows = 5;
constexpr int kLastPage = kHistoryPlaces - kHistoryRows;
constexpr int kShortHeight = 150;
constexpr int kShortHeightAtOpening = 158;
constexpr int kFullFormAbove = 200;
constexpr int kHistoryTop = 163;
constexpr int kHistoryNumbersTop = 152;

// Controls whose template text is replaced by a text table entry.
constexpr struct {
    int control;
    int entry;
} kControlTexts[] = {
    {0, kTextInputSendTitle},
    {IDC_ENTRY_MODE_LABEL, kTextInputMode},
    {IDC_IS_LABEL_TARGET, kTextSendTo},
    {IDC_IS_SEND, kTextSend},
    {IDC_IS_REFRESH_TARGETS, kTextRefreshTargets},
    {IDC_IS_PAGE_BACK, kTextPageBack},
    {IDC_IS_PAGE_FORWARD, kTextPageForward},
    {IDC_IS_CLOSE, kTextCloseSender},
};

int history_row_top(int row) { return view_px(kHistoryTop) + row * g_metrics.half_band; }

void repaint(HWND dialog) {
    InvalidateRect(dialog, nullptr, TRUE);
    UpdateWindow(dialog);
}

void resize(HWND dialog, int height) {
    SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, g_input_send.full_width, height, SWP_NOMOVE | SWP_SHOWWINDOW);
}

void end_dialog(HWND dialog, INT_PTR result) {
    KillTimer(dialog, kFocusTimer);
    g_app.input_send_open = 0;
    g_input_send.window = nullptr;
    EndDialog(dialog, result);
}

// The destination is the number that the target list's text starts with: "7-IP:..." is
// client slot 7; anything else is slot 0.
int chosen_destination(HWND dialog) {
    wchar_t first[2] = {};
    GetDlgItemTextW(dialog, IDC_IS_TARGET, first, 2);
    return first[0] >= L'0' && first[0] <= L'9' ? first[0] - L'0' : 0;
}

void add_target(HWND combo, int number, const sockaddr_in& address, bool first) {
    uint8_t o[4];
    address_octets(address, o);
    wchar_t line[64];
    swprintf(line, 64, L"%d-IP:%d,%d,%d,%d]", number, o[0], o[1], o[2], o[3]);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    if (first) SetWindowTextW(combo, line);
}

void init_dialog(HWND dialog) {
    g_input_send.window = dialog;
    for (const auto& t : kControlTexts) set_text_from_table(dialog, t.control, t.entry);
    entry_setup(dialog, kInputEditor);
    fill_target_list(dialog);
    SetTimer(dialog, kFocusTimer, kFocusPeriod, nullptr);
    g_input_send.page = 0;
    g_app.input_send_open = 1;
    apply_dialog_theme(dialog);
    RECT rc;
    GetWindowRect(dialog, &rc);
    g_input_send.full_width = rc.right - rc.left;
    g_input_send.full_height = rc.bottom - rc.top;
    if (g_settings.dlg4_short == 1) resize(dialog, view_px(kShortHeightAtOpening));
}

void paint(HWND dialog) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    int tops[kHistoryRows];
    for (int r = 0; r < kHistoryRows; ++r) tops[r] = history_row_top(r);
    draw_entry_grid(kInputEditor, dc, tops, kHistoryRows);
    draw_entry_list(dc, kTextSendHistory, &g_history.places[g_input_send.page], tops, kHistoryRows,
                    view_px(kHistoryNumbersTop));
    EndPaint(dialog, &ps);
    entry_take_focus(kInputEditor, false);
}

void turn_page(HWND dialog, int step) {
    g_input_send.page = turned_page(g_input_send.page, step, kLastPage);
    label_page_rows(dialog, IDC_IS_DELETE_ROW0, g_input_send.page, kHistoryRows);
}

void toggle_short_form(HWND dialog) {
    RECT rc;
    GetWindowRect(dialog, &rc);
    if (rc.bottom - rc.top > view_px(kFullFormAbove)) {
        resize(dialog, view_px(kShortHeight));
        g_settings.dlg4_short = 1;
    } else {
        resize(dialog, g_input_send.full_height);
        g_settings.dlg4_short = 0;
    }
}

void send_entry(HWND dialog) {
    if (!server_peer_ready(dialog)) return;
    const EntryEditor& ed = g_editors[kInputEditor];
    send_from_dialog(dialog, ed.entry, ed.length);
    repaint(dialog);
}

void save_history(HWND dialog) {
    wchar_t path[kPathChars] = {};
    if (choose_text_file(dialog, path, true) != 0) return;
    // The file holds the entries up to the first empty place; an empty string sent (an
    // empty place above the others) must not keep the rest of the history out of it.
    Entry kept[kHistoryPlaces];
    int n = 0;
    for (const Entry& e : g_history.places)
        if (e.length > 0) kept[n++] = e;
    save_entries_as_text(dialog, path, kept, n);
}

bool on_command(HWND dialog, int id) {
    if (id >= IDC_IS_SEND_ROW0 && id < IDC_IS_SEND_ROW0 + kHistoryRows) {
        const Entry& e = g_history.places[g_input_send.page + id - IDC_IS_SEND_ROW0];
        send_from_dialog(dialog, e.chars, e.length);
        repaint(dialog);
        return true;
    }
    if (entry_command(kInputEditor, id, IDC_IS_CLEAR, IDC_IS_BACKSPACE)) {
        repaint(dialog);
        return true;
    }
    if (id >= IDC_IS_DELETE_ROW0 && id < IDC_IS_DELETE_ROW0 + kHistoryRows) {
        if (text_question_box(kTextDeleteQuestion, dialog, L"Tarvik"))
            delete_history_place(g_input_send.page + id - IDC_IS_DELETE_ROW0);
        repaint(dialog);
        return true;
    }
    switch (id) {
    case IDC_IS_SEND:
        send_entry(dialog);
        return true;
    case IDC_IS_PAGE_BACK:
    case IDC_IS_PAGE_FORWARD:
        turn_page(dialog, id == IDC_IS_PAGE_BACK ? -kHistoryRows : kHistoryRows);
        repaint(dialog);
        return true;
    case IDC_IS_REFRESH_TARGETS:
        fill_target_list(dialog);
        return true;
    case IDC_IS_SHORT_FORM:
        toggle_short_form(dialog);
        return true;
    case IDC_IS_CLEAR_HISTORY:
        if (text_question_box(kTextDeleteQuestion, dialog, L"Tarvik")) {
            clear_send_history();
            repaint(dialog);
        }
        return true;
    case IDC_IS_SAVE_HISTORY:
        save_history(dialog);
        return true;
    case IDC_IS_CLOSE:
        end_dialog(dialog, IDC_IS_CLOSE);
        return true;
    }
    return false;
}

INT_PTR CALLBACK input_send_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR themed = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kStandardTheme, &themed)) return themed;
    switch (message) {
    case WM_INITDIALOG:
        init_dialog(dialog);
        return TRUE;
    case WM_PAINT:
        paint(dialog);
        return TRUE;
    case WM_TIMER:
        if (wparam == kFocusTimer) entry_take_focus(kInputEditor, true);
        return TRUE;
    case WM_COMMAND:
        // Buttons only: the target list and the capture field report edits here too.
        return button_pressed(wparam) && on_command(dialog, LOWORD(wparam));
    case WM_CLOSE:
        end_dialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR run_input_send_dialog(HWND owner) {
    if (g_app.input_send_open) return 0;
    HINSTANCE module = app_instance();
    INT_PTR result = DialogBoxParamW(module, MAKEINTRESOURCEW(IDD_INPUT_SEND), owner, input_send_proc, 0);
    // However the dialog ended (its owner destroyed, say), a later command must open it again.
    g_app.input_send_open = 0;
    g_input_send.window = nullptr;
    return result;
}

int send_from_dialog(HWND dialog, const wchar_t* chars, int count) {
    Entry sent;
    entry_assign(&sent, chars, count);
    count = sent.length;
    uint8_t bytes[kEntryChars];
    entry_to_bytes(sent.chars, count, bytes);
    const int destination = clamp_destination(chosen_destination(dialog));
    uint8_t to[4] = {};
    const bool addressed = server_mode() && send_to_address(destination, to);
    if (const int code = send_bytes(destination, bytes, count)) {
        // A failed attempt keeps its send-to records, as it always has; only the packet is
        // missing. A refused one (no connection, no client there) records nothing.
        if (addressed && code != kSendRefused) traffic_put_address(kToAddress, to, kCodeBaseTcp);
        return 0;
    }
    // The address group and the packet go in together: a packet that the receive thread
    // records meanwhile must not fall between them.
    const PacketFacts about = send_about(destination);
    if (addressed)
        traffic_record_packet(kToAddress, to, kCodeBaseTcp, kSentByte, bytes, count, &about);
    else
        traffic_append(kSentByte, bytes, count, &about);
    file_in_history(sent.chars, count);
    return 0;
}

bool server_peer_ready(HWND dialog) {
    if (!server_mode()) return true;
    const int needed = udp_mode() ? kUdpSenderHeard : kTipClientConnected;
    if (g_peers.peer_flag.load() == needed) return true;
    text_info_box(kTextNoClient, dialog, text_entry(kTextNoClientCaption));
    return false;
}

void fill_target_list(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_IS_TARGET);
    if (!server_mode()) {
        EnableWindow(combo, FALSE);
        return;
    }
    // The receive thread changes the peers: copy them first, fill the list after.
    static_assert(kClientSlots <= kSenderListSize, "one array holds either list");
    int numbers[kSenderListSize];
    sockaddr_in addresses[kSenderListSize];
    int count = 0;
    {
        std::lock_guard<std::mutex> guard(g_peers.lock);
        if (!udp_mode()) {
            for (int i = 0; i < kClientSlots; ++i) {
                if (!slot_in_use(g_peers.slots[i])) continue;
                numbers[count] = i;
                addresses[count++] = g_peers.slot_address[i];
            }
        } else if (g_peers.peer_flag.load() == kUdpSenderHeard) {
            for (int i = 0; i < g_peers.sender_count && i < kSenderListSize; ++i) {
                sockaddr_in& a = addresses[count];
                a = {};
                a.sin_family = AF_INET;
                a.sin_addr.s_addr = g_peers.senders[i];
                numbers[count++] = i;
            }
        }
    }
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (int k = 0; k < count; ++k) add_target(combo, numbers[k], addresses[k], k == 0);
}

#include "netcfg/connect_address_dialog.h"

#include "app/app_state.h"
#include "app/file_io.h"
#include "app/scoped_win.h"
#include "app/seams.h"
#include "app/settings.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "app/tick.h"
#include "look/dialog_theme.h"
#include "netcfg/adapter_query.h"
#include "netcfg/address_pick.h"
#include "netcfg/neighbour_log.h"
#include "res/resource.h"

#include <cwchar>
#include <memory>
#include <new>

namespace {

constexpr INT_PTR kClosedByBox = 1;
constexpr DialogTheme kListTheme = {1, true};
constexpr UINT_PTR kWaitTimer = 1;
constexpr UINT kWaitPollMs = 50; // how often the wait looks at the clock

const wchar_t kBatchFile[] = L"connect_ip.bat";
const wchar_t kLogFile[] = L"log.txt";

struct ConnectState {
    bool as_admin;
    uint32_t started; // tick at which the batch file was started
};

ConnectState* state_of(HWND dialog) { return reinterpret_cast<ConnectState*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

// A file of the start directory by its full path; the bare name when there is none.
void start_dir_file(const wchar_t* name, wchar_t (&path)[kPathChars + 32]) {
    if (!g_app.start_dir[0] || !start_dir_path(name, path, kPathChars + 32)) wcscpy(path, name);
}

// The batch file is started by its full path in the start directory, so a file dialog that
// moved the current directory cannot make another file of that name run.
void start_batch(HWND dialog, bool as_admin) {
    enter_start_directory();
    wchar_t path[kPathChars + 32];
    start_dir_file(kBatchFile, path);
    const wchar_t* dir = g_app.start_dir[0] ? g_app.start_dir : nullptr;
    INT_PTR result = shell_start(dialog, as_admin ? L"runas" : L"open", path, nullptr, dir, SW_SHOWNORMAL);
    if (as_admin && result <= 32) {
        wchar_t text[96];
        swprintf(text, sizeof text / sizeof text[0], L"%ls could not be started as administrator", kBatchFile);
        show_message_box(dialog, text, L"Error", MB_OK | MB_ICONERROR);
    }
}

// What log.txt holds now (created empty when missing); false after a message when it
// cannot be opened.
bool read_log(HWND dialog, NeighbourList* list) {
    list->count = 0;
    wchar_t path[kPathChars + 32];
    start_dir_file(kLogFile, path);
    // The batch file may still be writing: share both ways.
    ScopedFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        text_info_box(kTextFileNotOpened, dialog, L"File Error");
        return false;
    }
    std::unique_ptr<unsigned char[]> bytes(new (std::nothrow) unsigned char[kNeighbourReadBytes]);
    const size_t size = bytes ? read_up_to(file.get(), bytes.get(), static_cast<DWORD>(kNeighbourReadBytes)) : 0;
    if (!file.close()) show_message_box(dialog, L"CloseHandle-errer", kLogFile, MB_OK);
    if (bytes) read_neighbour_log(bytes.get(), size, list);
    return true;
}

void show_addresses(HWND dialog) {
    enter_start_directory();
    // Kept above the console window of the batch file that has just run.
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    HWND list = GetDlgItem(dialog, IDC_LIST_BOX);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    auto addresses = std::make_unique<NeighbourList>();
    if (!read_log(dialog, addresses.get())) return;
    for (int i = 0; i < addresses->count; ++i)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(addresses->entries[i]));
}

void on_wait_tick(HWND dialog) {
    ConnectState* state = state_of(dialog);
    if (!state || tick_now() - state->started < kConnectBatchWaitMs) return;
    KillTimer(dialog, kWaitTimer);
    show_addresses(dialog);
}

// The chosen entry into the peer address, only when it holds a whole IPv4 address: a
// number of four digits or more (log.txt may give one) would leave half an address.
void pick_address(HWND dialog) {
    int* const targets[4] = {&g_settings.ip_no1, &g_settings.ip_no2, &g_settings.ip_no3, &g_settings.ip_no4};
    pick_selected_address(dialog, connect_pick_octets, targets);
}

INT_PTR CALLBACK connect_address_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR themed = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kListTheme, &themed)) return themed;
    switch (message) {
    case WM_INITDIALOG: {
        apply_dialog_theme(dialog);
        auto* state = reinterpret_cast<ConnectState*>(lparam);
        SetWindowLongPtrW(dialog, DWLP_USER, lparam);
        start_batch(dialog, state->as_admin);
        // The batch file runs alongside; the dialog waits on a timer, not in a sleep, so
        // it is drawn and answers the user during the wait.
        state->started = tick_now();
        SetTimer(dialog, kWaitTimer, kWaitPollMs, nullptr);
        return TRUE;
    }
    case WM_TIMER:
        if (wparam == kWaitTimer) on_wait_tick(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_LIST_SET:
            pick_address(dialog);
            EndDialog(dialog, IDC_LIST_SET);
            return TRUE;
        case IDC_LIST_CLOSE:
            EndDialog(dialog, IDC_LIST_CLOSE);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, kClosedByBox);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, kClosedByBox);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR run_connect_address_dialog(HWND owner, bool as_admin) {
    ConnectState state = {as_admin, 0};
    return DialogBoxParamW(app_instance(), MAKEINTRESOURCEW(IDD_CONNECT_ADDRESS), owner, connect_address_proc,
                           reinterpret_cast<LPARAM>(&state));
}

#include "harness.h"

#include "app/main_window.h"
#include "app/seams.h"
#include "app/settings.h"

#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

namespace harness {

namespace {

std::mutex g_lock; // the receive thread may show boxes too
std::vector<ShownBox> g_boxes;
std::deque<int> g_box_answers;
std::deque<std::wstring> g_file_answers;
std::vector<FileDialogCall> g_file_calls;
std::vector<ShellCall> g_shell_calls;
std::deque<INT_PTR> g_shell_results;
uint32_t g_tick = 1000;
std::deque<long long> g_colour_answers; // -1: cancel
std::vector<ColourChooserCall> g_colour_calls;

int recording_box(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_boxes.push_back({owner, text ? text : L"", caption ? caption : L"", type});
    if (!g_box_answers.empty()) {
        int answer = g_box_answers.front();
        g_box_answers.pop_front();
        return answer;
    }
    return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
}

BOOL answering_file_dialog(OPENFILENAMEW* ofn, bool save) {
    std::wstring answer;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        g_file_calls.push_back({ofn->lpstrFile ? ofn->lpstrFile : L"", ofn->lpstrTitle ? ofn->lpstrTitle : L"",
                                save, ofn->Flags});
        if (g_file_answers.empty()) return FALSE;
        answer = g_file_answers.front();
        g_file_answers.pop_front();
    }
    if (answer.empty() || answer.size() + 1 > ofn->nMaxFile) return FALSE;
    // Several files come as the folder and the names, each ended by a zero ("\n" in the answer).
    for (size_t i = 0; i < answer.size(); ++i) ofn->lpstrFile[i] = answer[i] == L'\n' ? L'\0' : answer[i];
    ofn->lpstrFile[answer.size()] = 0;
    if (answer.size() + 2 <= ofn->nMaxFile) ofn->lpstrFile[answer.size() + 1] = 0;
    return TRUE;
}

INT_PTR recording_shell(HWND, const wchar_t* verb, const wchar_t* file, const wchar_t* params, const wchar_t*,
                        int) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_shell_calls.push_back({verb ? verb : L"", file ? file : L"", params ? params : L""});
    if (!g_shell_results.empty()) {
        INT_PTR result = g_shell_results.front();
        g_shell_results.pop_front();
        return result;
    }
    return 42;
}

BOOL answering_colour_chooser(CHOOSECOLORW* cc) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_colour_calls.push_back({cc->hwndOwner, cc->rgbResult, cc->Flags});
    if (g_colour_answers.empty()) return FALSE;
    long long answer = g_colour_answers.front();
    g_colour_answers.pop_front();
    if (answer < 0) return FALSE;
    cc->rgbResult = static_cast<COLORREF>(answer);
    return TRUE;
}

// Looking up "localhost" is answered from the machine's own hosts file: no name server is asked.
int local_host_name(char* buffer, int size) {
    if (size < 10) return -1;
    strcpy(buffer, "localhost");
    return 0;
}

uint32_t test_tick() {
    std::lock_guard<std::mutex> guard(g_lock);
    return g_tick;
}

// Modal dialog driving: a thread timer looks for the dialog inside its modal loop.
std::function<void(HWND)> g_drive;
bool g_driven = false;
DWORD g_drive_deadline = 0;

BOOL CALLBACK find_dialog(HWND window, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (wcscmp(cls, L"#32770") == 0 && IsWindowVisible(window) && IsWindowEnabled(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK drive_timer(HWND, UINT, UINT_PTR id, DWORD) {
    if (g_driven) return;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_dialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) {
        if (GetTickCount() > g_drive_deadline) KillTimer(nullptr, id);
        return;
    }
    g_driven = true;
    KillTimer(nullptr, id);
    auto drive = g_drive; // a drive may open a dialog of its own and drive that in turn
    drive(dialog);
}

std::wstring temp_root() {
    wchar_t buffer[MAX_PATH];
    GetTempPathW(MAX_PATH, buffer);
    return buffer;
}

void remove_tree(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = dir + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(full);
            else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
}

} // namespace

void install_seams() {
    {
        std::lock_guard<std::mutex> guard(g_lock);
        g_boxes.clear();
        g_box_answers.clear();
        g_file_answers.clear();
        g_file_calls.clear();
        g_shell_calls.clear();
        g_shell_results.clear();
        g_tick = 1000;
        g_colour_answers.clear();
        g_colour_calls.clear();
    }
    g_seams.message_box = recording_box;
    g_seams.file_dialog = answering_file_dialog;
    g_seams.shell_execute = recording_shell;
    g_seams.tick_count = test_tick;
    g_seams.host_name = local_host_name;
    g_seams.colour_chooser = answering_colour_chooser;
}

void restore_seams() { g_seams = kRealSeams; }

void use_local_host_name() { g_seams.host_name = local_host_name; }

std::vector<ShownBox> shown_boxes() {
    std::lock_guard<std::mutex> guard(g_lock);
    return g_boxes;
}

void clear_shown_boxes() {
    std::lock_guard<std::mutex> guard(g_lock);
    g_boxes.clear();
}

void queue_box_answer(int answer) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_box_answers.push_back(answer);
}

void queue_file_answer(const std::wstring& path) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_file_answers.push_back(path);
}

std::vector<FileDialogCall> file_dialog_calls() {
    std::lock_guard<std::mutex> guard(g_lock);
    return g_file_calls;
}

std::vector<ShellCall> shell_calls() {
    std::lock_guard<std::mutex> guard(g_lock);
    return g_shell_calls;
}

void queue_shell_result(INT_PTR result) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_shell_results.push_back(result);
}

void queue_colour_answer(COLORREF colour) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_colour_answers.push_back(colour);
}

void queue_colour_cancel() {
    std::lock_guard<std::mutex> guard(g_lock);
    g_colour_answers.push_back(-1);
}

std::vector<ColourChooserCall> colour_chooser_calls() {
    std::lock_guard<std::mutex> guard(g_lock);
    return g_colour_calls;
}

void set_tick(uint32_t tick) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_tick = tick;
}

void advance_tick(uint32_t ms) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_tick += ms;
}

TempStartDir::TempStartDir() {
    static int counter = 0;
    for (;;) {
        wchar_t name[64];
        swprintf(name, 64, L"tarvik_test_%lu_%d", GetCurrentProcessId(), ++counter);
        path_ = temp_root() + name;
        if (CreateDirectoryW(path_.c_str(), nullptr)) break;
    }
    SetCurrentDirectoryW(path_.c_str());
}

TempStartDir::~TempStartDir() {
    SetCurrentDirectoryW(temp_root().c_str());
    remove_tree(path_);
}

std::vector<uint8_t> read_file(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    uint8_t buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    CloseHandle(h);
    return bytes;
}

void write_file(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

void write_utf16_file(const std::wstring& path, const std::wstring& text) {
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    write_file(path, bytes);
}

bool file_exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring source_file(const std::string& relative) {
    const char* root = std::getenv("TARVIK_SOURCE_DIR");
    std::string unix_path = std::string(root ? root : ".") + "/" + relative;
    std::wstring path = unix_path[0] == '/' ? L"Z:" : L"";
    for (char c : unix_path) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

HWND start_with_main_window(const TempStartDir& dir) {
    install_seams();
    write_file(dir.file(L"Tarvik_char2.ini"), read_file(source_file("data/Tarvik_char2.ini")));
    HWND window = create_main_window();
    g_settings.moji_type = 1;
    return window;
}

HWND create_main_window() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!register_main_window_class(instance)) return nullptr;
    HWND window = ::create_main_window(instance);
    if (window) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
        pump_messages();
    }
    return window;
}

void destroy_main_window(HWND window) {
    if (IsWindow(window)) DestroyWindow(window);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void pump_messages(int rounds) {
    MSG msg;
    for (int i = 0; i < rounds; ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (i + 1 < rounds) Sleep(1);
    }
}

bool drive_modal(const std::function<void()>& open, const std::function<void(HWND dialog)>& drive, int timeout_ms) {
    // Nested drives (a dialog opened from a driven dialog) keep the outer one's state.
    auto outer_drive = g_drive;
    bool outer_driven = g_driven;
    DWORD outer_deadline = g_drive_deadline;
    g_drive = drive;
    g_driven = false;
    g_drive_deadline = GetTickCount() + static_cast<DWORD>(timeout_ms);
    UINT_PTR timer = SetTimer(nullptr, 0, 20, drive_timer);
    open();
    if (!g_driven) KillTimer(nullptr, timer);
    bool driven = g_driven;
    g_drive = outer_drive;
    g_driven = outer_driven;
    g_drive_deadline = outer_deadline;
    return driven;
}

void type_text(HWND dialog, int control_id, const std::wstring& text) {
    HWND control = GetDlgItem(dialog, control_id);
    wchar_t cls[32] = {};
    GetClassNameW(control, cls, 32);
    SetWindowTextW(control, text.c_str());
    WORD code = _wcsicmp(cls, L"ComboBox") == 0 ? CBN_EDITCHANGE : EN_CHANGE;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(control_id, code), reinterpret_cast<LPARAM>(control));
}

void click(HWND dialog, int control_id) {
    // As a mouse click: a disabled button does nothing, an automatic radio button or check
    // box changes its state before the dialog hears of it.
    SendMessageW(GetDlgItem(dialog, control_id), BM_CLICK, 0, 0);
}

void double_click(HWND dialog, int control_id) {
    HWND button = GetDlgItem(dialog, control_id);
    RECT rc;
    GetClientRect(button, &rc);
    const LPARAM at = MAKELPARAM(rc.right / 2, rc.bottom / 2);
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        SendMessageW(button, m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
}

std::wstring window_text(HWND window) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(window, buffer, 1024);
    return buffer;
}

} // namespace harness

#include <winsock2.h>

#include "app/seams.h"
#include "app/tick.h"

#include <iphlpapi.h>
#include <shellapi.h>

namespace {

int real_message_box(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    return MessageBoxW(owner, text, caption, type);
}

BOOL real_file_dialog(OPENFILENAMEW* ofn, bool save) {
    return save ? GetSaveFileNameW(ofn) : GetOpenFileNameW(ofn);
}

INT_PTR real_shell_execute(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* params,
                           const wchar_t* dir, int show) {
    return reinterpret_cast<INT_PTR>(ShellExecuteW(owner, verb, file, params, dir, show));
}

uint32_t real_tick_count() { return GetTickCount(); }

int real_host_name(char* buffer, int size) { return gethostname(buffer, size) == SOCKET_ERROR ? -1 : 0; }

ULONG real_adapter_addresses(ULONG family, ULONG flags, void* buffer, ULONG* size) {
    return GetAdaptersAddresses(family, flags, nullptr, static_cast<IP_ADAPTER_ADDRESSES*>(buffer), size);
}

BOOL real_colour_chooser(CHOOSECOLORW* cc) { return ChooseColorW(cc); }

} // namespace

const Seams kRealSeams = {real_message_box, real_file_dialog, real_shell_execute, real_tick_count,
                            real_host_name, real_adapter_addresses, real_colour_chooser};
Seams g_seams = kRealSeams;

int show_message_box(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    return g_seams.message_box(owner, text, caption, type);
}

BOOL show_file_dialog(OPENFILENAMEW* ofn, bool save) { return g_seams.file_dialog(ofn, save); }

BOOL choose_path(HWND owner, const wchar_t* filter, const wchar_t* title, DWORD flags, wchar_t* file,
                 DWORD file_chars, bool save) {
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = file_chars;
    ofn.lpstrTitle = title;
    ofn.Flags = flags;
    return show_file_dialog(&ofn, save);
}

INT_PTR shell_start(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* params,
                    const wchar_t* dir, int show) {
    return g_seams.shell_execute(owner, verb, file, params, dir, show);
}

uint32_t tick_now() { return g_seams.tick_count(); }

uint64_t utc_now_us() {
    // The precise clock where the system has it (Windows 8 on); the plain one moves in
    // steps of the scheduler's tick.
    using Clock = void(WINAPI*)(FILETIME*);
    static const Clock precise = reinterpret_cast<Clock>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME ft;
    if (precise)
        precise(&ft);
    else
        GetSystemTimeAsFileTime(&ft);
    uint64_t ticks = static_cast<uint64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
    return ticks < kFileTimeUnixEpoch ? 0 : (ticks - kFileTimeUnixEpoch) / 10;
}

int get_host_name(char* buffer, int size) { return g_seams.host_name(buffer, size); }

ULONG get_adapter_addresses(ULONG family, ULONG flags, void* buffer, ULONG* size) {
    return g_seams.adapter_addresses(family, flags, buffer, size);
}

bool choose_colour(HWND owner, COLORREF* colour) {
    COLORREF custom[16];
    for (COLORREF& c : custom) c = RGB(255, 255, 255);
    CHOOSECOLORW cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = *colour;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT;
    if (!g_seams.colour_chooser(&cc)) return false;
    *colour = cc.rgbResult;
    return true;
}

// mivvet: starts Tarvik again after it has ended. Tarvik calls it with the program to
// start ("Tarvik.exe", or "TarvikA.exe", which asks for administrator rights) and ends
// itself; mivvet waits for every running Tarvik to finish, then starts the program from
// its own folder.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cwchar>

namespace {

constexpr DWORD kWaitLimitMs = 15000;

bool is_tarvik(const wchar_t* exe) {
    return _wcsicmp(exe, L"Tarvik.exe") == 0 || _wcsicmp(exe, L"TarvikA.exe") == 0;
}

// Waits until no Tarvik process is left, or the time limit has passed.
void wait_for_tarvik_to_end() {
    DWORD start = GetTickCount();
    for (;;) {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return;
        HANDLE running = nullptr;
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more && !running;
             more = Process32NextW(snapshot, &entry)) {
            if (is_tarvik(entry.szExeFile)) running = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
        }
        CloseHandle(snapshot);
        if (!running) return;
        DWORD elapsed = GetTickCount() - start;
        DWORD result = elapsed < kWaitLimitMs ? WaitForSingleObject(running, kWaitLimitMs - elapsed) : WAIT_TIMEOUT;
        CloseHandle(running);
        if (result != WAIT_OBJECT_0) return;
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int show) {
    wchar_t program[MAX_PATH] = L"Tarvik.exe";
    if (command_line && *command_line) {
        const wchar_t* p = command_line;
        while (*p == L' ' || *p == L'"') ++p;
        size_t n = 0;
        while (p[n] && p[n] != L'"' && n + 1 < MAX_PATH) ++n;
        while (n > 0 && p[n - 1] == L' ') --n;
        wcsncpy(program, p, n);
        program[n] = 0;
    }
    wait_for_tarvik_to_end();

    // The program lives beside this helper; its start directory stays the current one.
    wchar_t path[MAX_PATH];
    DWORD len = GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t* slash = len ? wcsrchr(path, L'\\') : nullptr;
    if (!slash || static_cast<size_t>(slash - path) + 1 + wcslen(program) >= MAX_PATH) return 1;
    wcscpy(slash + 1, program);

    bool admin = _wcsicmp(program, L"TarvikA.exe") == 0;
    HINSTANCE result = ShellExecuteW(nullptr, admin ? L"runas" : L"open", path, nullptr, nullptr,
                                     show ? show : SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32 ? 0 : 1;
}

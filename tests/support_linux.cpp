#include "support_linux.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace linux_side {

namespace {

std::string read_text(const std::wstring& path) {
    std::string text;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return text;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
    fclose(f);
    return text;
}

} // namespace

std::string unix_path(const std::wstring& path) {
    using Convert = char*(CDECL*)(const wchar_t*);
    static Convert convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return {};
    char* unix = convert(path.c_str());
    if (!unix) return {};
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

bool start_shell(const std::string& script) {
    std::wstring command = L"/bin/sh -c \"";
    for (char c : script) command += static_cast<wchar_t>(c);
    command += L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    if (pi.hProcess) CloseHandle(pi.hProcess);
    if (pi.hThread) CloseHandle(pi.hThread);
    return true;
}

ShellResult run_shell(const std::string& script, const std::wstring& scratch, int timeout_ms, bool with_errors) {
    static int counter = 0;
    std::wstring stem = scratch + L"\\shell_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
    std::wstring out_path = stem + L".out", done_path = stem + L".done";
    std::string out = unix_path(out_path), done = unix_path(done_path);
    ShellResult result;
    // The shell leaves a second file behind, with the exit status, when the script has finished.
    if (out.empty() || done.empty() ||
        !start_shell("{ " + script + " ; } > '" + out + "' 2>" + (with_errors ? "&1" : "/dev/null") + "; echo $? > '" +
                     done + "'"))
        return result;
    for (int waited = 0; waited < timeout_ms; waited += 20) {
        std::string status = read_text(done_path);
        if (!status.empty()) {
            result.status = std::atoi(status.c_str());
            result.output = read_text(out_path);
            break;
        }
        Sleep(20);
    }
    DeleteFileW(out_path.c_str());
    DeleteFileW(done_path.c_str());
    return result;
}

} // namespace linux_side

#include "support_linux.h"

#include <windows.h>

namespace linux_side {

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

} // namespace linux_side

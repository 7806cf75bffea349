#include "support_console.h"

#include <cstdlib>

namespace console {

bool Process::start(const std::wstring& args, const std::wstring& dir, bool console, const std::wstring& program) {
    std::wstring command = L"\"";
    if (program.empty()) {
        const char* root = std::getenv("TARVIK_BINARY_DIR");
        command += L"Z:";
        for (char c : std::string(root ? root : "") + "/tarvikc.exe") command += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    } else {
        command += program;
    }
    command += L"\" " + args;
    // Pipes whose write ends only the child inherits.
    HANDLE writes[2];
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    for (int i = 0; i < 2; ++i) {
        if (!CreatePipe(&pipes_[i], &writes[i], &sa, 0)) return false;
        SetHandleInformation(pipes_[i], HANDLE_FLAG_INHERIT, 0);
    }
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writes[0];
    si.hStdError = writes[1];
    BOOL ok = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, console ? CREATE_NEW_CONSOLE : 0,
                             nullptr, dir.c_str(), &si, &info_);
    for (HANDLE w : writes) CloseHandle(w);
    for (int i = 0; i < 2; ++i) {
        readers_[i] = std::thread([this, i] {
            char buffer[4096];
            DWORD got = 0;
            while (ReadFile(pipes_[i], buffer, sizeof buffer, &got, nullptr) && got > 0) texts_[i].append(buffer, got);
        });
    }
    if (!ok) info_ = {};
    return ok;
}

bool Process::interrupt() {
    // Ctrl+C goes to every process on a console. It arrives later, on a thread of its own,
    // so the test keeps ignoring it.
    FreeConsole();
    if (!info_.hProcess || !AttachConsole(info_.dwProcessId)) return false;
    SetConsoleCtrlHandler(nullptr, TRUE);
    bool sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    Sleep(200);
    FreeConsole();
    return sent;
}

Result Process::wait(int timeout_ms) {
    Result r;
    if (info_.hProcess && WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0) {
        TerminateProcess(info_.hProcess, 0xDEAD);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    if (info_.hProcess) GetExitCodeProcess(info_.hProcess, &r.code);
    for (int i = 0; i < 2; ++i) {
        if (readers_[i].joinable()) readers_[i].join();
        if (pipes_[i]) CloseHandle(pipes_[i]);
        pipes_[i] = nullptr;
    }
    if (info_.hProcess) {
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    info_ = {};
    r.out = texts_[0];
    r.err = texts_[1];
    return r;
}

Result run_tarvikc(const std::wstring& args, const std::wstring& dir, const std::wstring& program) {
    Process p;
    p.start(args, dir, false, program);
    return p.wait();
}

} // namespace console

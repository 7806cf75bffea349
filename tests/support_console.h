// tarvikc.exe as a child process of a test, with its standard output and error caught.
#pragma once
#include <windows.h>

#include <string>
#include <thread>

namespace console {

struct Result {
    DWORD code = 0xFFFFFFFF;
    std::string out, err;
};

class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() { wait(0); }
    // Starts tarvikc of the build (TARVIK_BINARY_DIR), or the Windows path `program`, with
    // `args` in `dir`; with `console` on a console of its own, so that it can be interrupted.
    bool start(const std::wstring& args, const std::wstring& dir, bool console = false,
               const std::wstring& program = {});
    // Presses Ctrl+C on its console (the test joins that console for it, and ignores
    // Ctrl+C from then on).
    bool interrupt();
    // Waits up to timeout_ms; a process still running then is ended.
    Result wait(int timeout_ms = 20000);

private:
    PROCESS_INFORMATION info_{};
    HANDLE pipes_[2] = {};
    std::thread readers_[2];
    std::string texts_[2];
};

Result run_tarvikc(const std::wstring& args, const std::wstring& dir, const std::wstring& program = {});

} // namespace console

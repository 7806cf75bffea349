// Linux programs started from a Wine test process, and the Linux paths of Windows ones.
#pragma once
#include <string>

namespace linux_side {

// Where a Windows path lies on the Linux file system; empty when Wine cannot say.
std::string unix_path(const std::wstring& path);
// Starts `/bin/sh -c script` and returns at once (Wine gives no handle to wait on: a
// script that must be waited for leaves a file behind). The script may hold no double
// quote: Wine splits the command line by the Windows rules.
bool start_shell(const std::string& script);

struct ShellResult {
    int status = -1;    // the script's exit status; -1: it did not finish in time
    std::string output; // its standard output (and standard error with `with_errors`)
};
// Runs the script through start_shell and waits up to timeout_ms for it; its output goes
// through files in the Windows folder `scratch`.
ShellResult run_shell(const std::string& script, const std::wstring& scratch, int timeout_ms = 60000,
                      bool with_errors = false);

} // namespace linux_side

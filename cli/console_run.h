// tarvikc: opens one connection without a window, plays a macro on it with the engine
// and timing of the macro dialog, prints every step and packet, and ends with an exit
// status that a script can test.
#pragma once

enum ConsoleExit {
    kExitPassed = 0,      // the macro reached "PEND"
    kExitFailed = 1,      // "FAIL", or the macro ended without "PEND"
    kExitUsage = 2,       // bad arguments, or a macro file that cannot be read
    kExitNoConnection = 3,
    kExitTimeout = 4,
    kExitInterrupted = 130, // Ctrl+C or the console closed; the files are saved first
};

// The whole program; argv holds the arguments after the program name.
int run_console(int argc, const wchar_t* const* argv);

// tarvikc: Tarvik without a window, for scripts and automated tests.
#include "cli/console_run.h"

int wmain(int argc, wchar_t** argv) { return run_console(argc - 1, argv + 1); }

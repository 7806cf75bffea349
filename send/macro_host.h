// The macro engine's bindings to the open connection, without a window, shared by the
// macro dialog and the console runner: the real send, the receive thread's last block, the
// tick, the lower-case choice and the running gap. Each front end adds what is its own
// (messages, the step display, the end of a run, the failure text).
#pragma once
#include "send/macro_engine.h"

// A host whose connection calls are the real ones; message, show_step, fail and ended are
// null and are the caller's to set. Every call gets `context` back.
MacroHost connection_macro_host(void* context);

// The macro commands that put checksums into a register and the one that ends a macro as
// failed: "CRCM", "CRCC", "CR32", "SUM8" (aa bb: the checksum of aa goes to bb) and
// "FAIL text". Part of the engine's command table.
#pragma once
#include "send/macro_engine.h"

MacroOutcome macro_cmd_crcm(MacroState& state, const MacroHost& host, const MacroLine& line);
MacroOutcome macro_cmd_crcc(MacroState& state, const MacroHost& host, const MacroLine& line);
MacroOutcome macro_cmd_cr32(MacroState& state, const MacroHost& host, const MacroLine& line);
MacroOutcome macro_cmd_sum8(MacroState& state, const MacroHost& host, const MacroLine& line);
MacroOutcome macro_cmd_fail(MacroState& state, const MacroHost& host, const MacroLine& line);

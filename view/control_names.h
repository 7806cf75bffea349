// The two-letter names under which the dump and the entry editors show control codes:
// codes 0 to 32 and 127. Every other code is shown as its own character.
#pragma once
#include <cstdint>

// The name of `code` ("NL" for 0 up to "SP" for 32, "DL" for 127); nullptr for any other code.
const wchar_t* control_name(uint32_t code);

#include "send/macro_checksum_commands.h"

#include "send/checksums.h"

#include <cstring>

namespace {

// Registers aa (columns 0-1) and bb (3-4); false when either number is outside 00-99.
bool two_registers(MacroState& s, const MacroLine& line, MacroRegister*& a, MacroRegister*& b) {
    a = macro_register(s, line, 0);
    b = macro_register(s, line, 3);
    return a && b;
}

size_t used_bytes(const MacroRegister& r) {
    return r.length < 0 ? 0 : r.length > kMacroRegisterBytes ? kMacroRegisterBytes : static_cast<size_t>(r.length);
}

// bb gets `count` bytes of `value`, low byte first or high byte first. Computed before bb
// is written, so aa and bb may be the same register.
void put_value(MacroRegister& b, uint32_t value, int count, bool low_first) {
    for (int i = 0; i < count; ++i) {
        int shift = 8 * (low_first ? i : count - 1 - i);
        b.data[i] = static_cast<uint8_t>(value >> shift);
    }
    b.length = count;
}

} // namespace

MacroOutcome macro_cmd_crcm(MacroState& s, const MacroHost&, const MacroLine& line) {
    MacroRegister *a, *b;
    // Modbus RTU sends its CRC low byte first.
    if (two_registers(s, line, a, b)) put_value(*b, crc16_modbus(a->data, used_bytes(*a)), 2, true);
    return kOutcomeDone;
}

MacroOutcome macro_cmd_crcc(MacroState& s, const MacroHost&, const MacroLine& line) {
    MacroRegister *a, *b;
    if (two_registers(s, line, a, b)) put_value(*b, crc16_ccitt_false(a->data, used_bytes(*a)), 2, false);
    return kOutcomeDone;
}

MacroOutcome macro_cmd_cr32(MacroState& s, const MacroHost&, const MacroLine& line) {
    MacroRegister *a, *b;
    if (two_registers(s, line, a, b)) put_value(*b, crc32_iso_hdlc(a->data, used_bytes(*a)), 4, true);
    return kOutcomeDone;
}

MacroOutcome macro_cmd_sum8(MacroState& s, const MacroHost&, const MacroLine& line) {
    MacroRegister *a, *b;
    if (two_registers(s, line, a, b)) put_value(*b, sum8(a->data, used_bytes(*a)), 1, true);
    return kOutcomeDone;
}

MacroOutcome macro_cmd_fail(MacroState&, const MacroHost& host, const MacroLine& line) {
    if (host.fail) host.fail(host.context, line.args, line.args_length);
    macro_report_end(host, false);
    return kOutcomeEnd;
}

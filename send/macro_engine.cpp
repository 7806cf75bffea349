#include "send/macro_engine.h"

#include "app/text_ids.h"
#include "send/macro_checksum_commands.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char16_t kCR = 0x0D;
constexpr char16_t kLF = 0x0A;
constexpr int kLabelChars = 3;

// Where the line that starts at `start` ends: its CR, or the end of the text.
int line_end(const MacroState& s, int start) {
    int i = start;
    while (i < s.length && s.text[i] != kCR) ++i;
    return i;
}

// Past the CR at the position and one LF right after it.
void skip_line_break(MacroState& s) {
    if (s.position < s.length && s.text[s.position] == kCR) ++s.position;
    if (s.position < s.length && s.text[s.position] == kLF) ++s.position;
}

bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f'; }

int string_length(const uint8_t* block) {
    const void* zero = std::memchr(block, 0, kMacroBlockBytes);
    return zero ? static_cast<int>(static_cast<const uint8_t*>(zero) - block) : kMacroBlockBytes;
}

void label_of(const MacroLine& line, int column, char16_t label[kLabelChars]) {
    for (int k = 0; k < kLabelChars; ++k)
        label[k] = column + k < line.args_length ? line.args[column + k] : 0;
}

void jump(MacroState& s, const MacroLine& line, int column) {
    char16_t label[kLabelChars];
    label_of(line, column, label);
    s.position = macro_find_label(s, label);
}

void set_bytes(MacroRegister& r, const uint8_t* bytes, int n) {
    std::memmove(r.data, bytes, static_cast<size_t>(n));
    r.length = n;
}

int checksum(const MacroRegister& r) {
    int x = 0;
    for (int i = 0; i < r.length && i < kMacroRegisterBytes; ++i) x ^= r.data[i];
    return x;
}

// Registers with a length the increments accept.
bool incrementable(const MacroRegister& r) { return r.length >= 1 && r.length <= 255; }

// ---- waits ------------------------------------------------------------------------------

// True when the wait in progress is over (a "READ" has then filled its register).
bool wait_over(MacroState& s, const MacroHost& host) {
    MacroWait& w = s.wait;
    const uint32_t elapsed_ms = host.tick(host.context) - w.start;
    if (w.kind == kWaitTime) return elapsed_ms >= static_cast<uint32_t>(w.tenths) * 100u;

    uint8_t block[kMacroBlockBytes];
    host.read_received(host.context, block);
    int n = string_length(block);
    const bool over = (w.tenths != 0 && elapsed_ms / 100u >= static_cast<uint32_t>(w.tenths)) || n >= w.min_bytes;
    if (!over) return false;
    // A block longer than a register keeps its first kMacroRegisterBytes.
    if (n > kMacroRegisterBytes) n = kMacroRegisterBytes;
    MacroRegister& r = s.registers[w.reg];
    std::memset(r.data, 0, sizeof r.data);
    std::memcpy(r.data, block, static_cast<size_t>(n));
    r.length = n;
    // Taken: the next "READ" waits for a newer block.
    host.clear_received(host.context);
    return true;
}

MacroOutcome begin_wait(MacroState& s, const MacroHost& host, const MacroWait& wait) {
    s.wait = wait;
    if (!wait_over(s, host)) return kOutcomeWait;
    s.wait.kind = kWaitNone;
    return kOutcomeDone;
}

// ---- commands ---------------------------------------------------------------------------

// What arrives from now on is the reply for the next "READ".
void send_request(const MacroHost& host, int destination, const uint8_t* bytes, int n) {
    host.clear_received(host.context);
    host.send(host.context, destination, bytes, n);
}

MacroOutcome cmd_send(MacroState&, const MacroHost& host, const MacroLine& line) {
    uint8_t bytes[kMacroTextBytes];
    int n = 0;
    if (macro_text(host, line, 0, bytes, &n)) send_request(host, line.destination, bytes, n);
    return kOutcomeDone;
}

MacroOutcome cmd_msed(MacroState& s, const MacroHost& host, const MacroLine& line) {
    if (MacroRegister* r = macro_register(s, line, 0)) {
        int n = r->length < 0 ? 0 : r->length > kMacroRegisterBytes ? kMacroRegisterBytes : r->length;
        send_request(host, line.destination, r->data, n);
    }
    return kOutcomeDone;
}

MacroOutcome cmd_read(MacroState& s, const MacroHost& host, const MacroLine& line) {
    const int reg = macro_number(line, 0, 2);
    const int min_bytes = macro_number(line, 3, 3);
    const int tenths = macro_number(line, 7, 3);
    if (reg < 0 || reg >= kMacroRegisters || min_bytes < 0 || tenths < 0) return kOutcomeDone;
    return begin_wait(s, host, MacroWait{kWaitRead, host.tick(host.context), tenths, min_bytes, reg});
}

MacroOutcome cmd_time(MacroState& s, const MacroHost& host, const MacroLine& line) {
    const int tenths = macro_number(line, 0, 3);
    if (tenths < 0) return kOutcomeDone;
    return begin_wait(s, host, MacroWait{kWaitTime, host.tick(host.context), tenths, 0, 0});
}

MacroOutcome cmd_goto(MacroState& s, const MacroHost&, const MacroLine& line) {
    jump(s, line, 0);
    return kOutcomeDone;
}

MacroOutcome cmd_cmpm(MacroState& s, const MacroHost&, const MacroLine& line) {
    MacroRegister* a = macro_register(s, line, 0);
    MacroRegister* b = macro_register(s, line, 3);
    if (!a || !b || b->length < 0 || b->length > kMacroRegisterBytes) return kOutcomeDone;
    if (std::memcmp(a->data, b->data, static_cast<size_t>(b->length)) == 0) jump(s, line, 6);
    return kOutcomeDone;
}

MacroOutcome cmd_cmpl(MacroState& s, const MacroHost& host, const MacroLine& line) {
    MacroRegister* a = macro_register(s, line, 0);
    uint8_t bytes[kMacroTextBytes];
    int n = 0;
    if (!a || !macro_text(host, line, 7, bytes, &n)) return kOutcomeDone;
    if (std::memcmp(a->data, bytes, static_cast<size_t>(n)) == 0) jump(s, line, 3);
    return kOutcomeDone;
}

MacroOutcome cmd_move(MacroState& s, const MacroHost& host, const MacroLine& line) {
    MacroRegister* a = macro_register(s, line, 0);
    uint8_t bytes[kMacroTextBytes];
    int n = 0;
    if (a && macro_text(host, line, 3, bytes, &n)) set_bytes(*a, bytes, n);
    return kOutcomeDone;
}

MacroOutcome cmd_mclr(MacroState& s, const MacroHost&, const MacroLine& line) {
    if (MacroRegister* a = macro_register(s, line, 0)) {
        a->length = 0;
        std::memset(a->data, 0, sizeof a->data);
    }
    return kOutcomeDone;
}

MacroOutcome cmd_madd(MacroState& s, const MacroHost&, const MacroLine& line) {
    MacroRegister* a = macro_register(s, line, 0);
    MacroRegister* b = macro_register(s, line, 3);
    if (!a || !b || a->length < 0 || b->length < 0) return kOutcomeDone;
    // What would go past the register's end is cut.
    int room = kMacroRegisterBytes - a->length;
    int n = b->length < room ? b->length : room;
    if (n > 0) std::memmove(a->data + a->length, b->data, static_cast<size_t>(n));
    if (n > 0) a->length += n;
    return kOutcomeDone;
}

MacroOutcome cmd_mmid(MacroState& s, const MacroHost&, const MacroLine& line) {
    MacroRegister* a = macro_register(s, line, 0);
    const int offset = macro_number(line, 3, 2);
    const int count = macro_number(line, 6, 2);
    MacroRegister* b = macro_register(s, line, 9);
    if (!a || !b || offset < 0 || count < 0 || offset + count > kMacroRegisterBytes) return kOutcomeDone;
    set_bytes(*b, a->data + offset, count);
    return kOutcomeDone;
}

MacroOutcome cmd_minc(MacroState& s, const MacroHost&, const MacroLine& line) {
    MacroRegister* a = macro_register(s, line, 0);
    if (!a || !incrementable(*a)) return kOutcomeDone;
    // Bytes are compared as signed: 80-FF are never digits.
    auto digit = [](uint8_t b) { auto c = static_cast<int8_t>(b); return c >= '0' && c <= '9'; };
    int i = a->length - 1;
    ++a->data[i];
    while (!digit(a->data[i])) {
        a->data[i] = '0';
        if (--i < 0) break;
        ++a->data[i];
    }
    return kOutcomeDone;
}

MacroOutcome cmd_hinc(MacroState& s, const MacroHost&, const MacroLine& line) {
    MacroRegister* a = macro_register(s, line, 0);
    if (!a || !incrementable(*a)) return kOutcomeDone;
    auto in_range = [](uint8_t b) { auto c = static_cast<int8_t>(b); return c >= '0' && c <= 'F'; };
    auto bump = [](uint8_t& b) {
        ++b;
        if (b == ':') b = 'A';
    };
    int i = a->length - 1;
    bump(a->data[i]);
    while (!in_range(a->data[i])) {
        a->data[i] = '0';
        if (--i < 0) break;
        bump(a->data[i]);
    }
    return kOutcomeDone;
}

MacroOutcome cmd_chka(MacroState& s, const MacroHost& host, const MacroLine& line) {
    MacroRegister* a = macro_register(s, line, 0);
    MacroRegister* b = macro_register(s, line, 3);
    if (!a || !b) return kOutcomeDone;
    char hex[3];
    std::snprintf(hex, sizeof hex, host.lower_hex(host.context) ? "%02x" : "%02X", checksum(*a));
    set_bytes(*b, reinterpret_cast<const uint8_t*>(hex), 2);
    return kOutcomeDone;
}

MacroOutcome cmd_chkh(MacroState& s, const MacroHost&, const MacroLine& line) {
    MacroRegister* a = macro_register(s, line, 0);
    MacroRegister* b = macro_register(s, line, 3);
    if (!a || !b) return kOutcomeDone;
    const uint8_t x = static_cast<uint8_t>(checksum(*a));
    set_bytes(*b, &x, 1);
    return kOutcomeDone;
}

MacroOutcome cmd_pend(MacroState&, const MacroHost& host, const MacroLine&) {
    host.message(host.context, kTextMacroFinished, "Tarvik");
    macro_report_end(host, true);
    return kOutcomeEnd;
}

const MacroCommand* find_command(const char16_t* keyword) {
    for (int c = 0; c < kMacroCommandCount; ++c) {
        const char* k = kMacroCommands[c].keyword;
        if (keyword[0] == k[0] && keyword[1] == k[1] && keyword[2] == k[2] && keyword[3] == k[3])
            return &kMacroCommands[c];
    }
    return nullptr;
}

void show_step(const MacroState& s, const MacroHost& host, int start, int shown_end) {
    char narrow[32];
    int n = std::snprintf(narrow, sizeof narrow, "Step:%03d/%03d", start, s.length);
    char16_t step[32];
    for (int i = 0; i <= n; ++i) step[i] = static_cast<unsigned char>(narrow[i]);
    host.show_step(host.context, step, s.text + start, shown_end - start);
}

void end_run(MacroState& s) {
    s.running = false;
    s.wait.kind = kWaitNone;
}

} // namespace

const MacroCommand kMacroCommands[] = {
    {"SEND", kArgsAfterDestination, cmd_send},
    {"MSED", kArgsAfterDestination, cmd_msed},
    {"READ", kArgsAfterSpace, cmd_read},
    {"TIME", kArgsAfterSpace, cmd_time},
    {"GOTO", kArgsAfterSpace, cmd_goto},
    {"CMPM", kArgsAfterSpace, cmd_cmpm},
    {"CMPL", kArgsAfterSpace, cmd_cmpl},
    {"MOVE", kArgsAfterSpace, cmd_move},
    {"MCLR", kArgsAfterSpace, cmd_mclr},
    {"MADD", kArgsAfterSpace, cmd_madd},
    {"MMID", kArgsAfterSpace, cmd_mmid},
    {"MINC", kArgsAfterSpace, cmd_minc},
    {"HINC", kArgsAfterSpace, cmd_hinc},
    {"CHKA", kArgsAfterSpace, cmd_chka},
    {"CHKH", kArgsAfterSpace, cmd_chkh},
    {"PEND", kArgsNone, cmd_pend},
    {"CRCM", kArgsAfterSpace, macro_cmd_crcm},
    {"CRCC", kArgsAfterSpace, macro_cmd_crcc},
    {"CR32", kArgsAfterSpace, macro_cmd_cr32},
    {"SUM8", kArgsAfterSpace, macro_cmd_sum8},
    // A bare "FAIL" fails too: skipping it would let a broken check run on to "PEND".
    {"FAIL", kArgsOptional, macro_cmd_fail},
};
const int kMacroCommandCount = static_cast<int>(sizeof kMacroCommands / sizeof kMacroCommands[0]);

int macro_number(const MacroLine& line, int column, int width) {
    int i = column < 0 ? 0 : column;
    int end = column + width < line.args_length ? column + width : line.args_length;
    while (i < end && is_blank(line.args[i])) ++i;
    bool negative = false;
    if (i < end && (line.args[i] == u'-' || line.args[i] == u'+')) negative = line.args[i++] == u'-';
    int value = 0;
    for (; i < end && line.args[i] >= u'0' && line.args[i] <= u'9'; ++i) value = value * 10 + (line.args[i] - u'0');
    return negative ? -value : value;
}

MacroRegister* macro_register(MacroState& state, const MacroLine& line, int column) {
    const int n = macro_number(line, column, 2);
    return n >= 0 && n < kMacroRegisters ? &state.registers[n] : nullptr;
}

bool macro_text(const MacroHost& host, const MacroLine& line, int column, uint8_t out[kMacroTextBytes], int* count) {
    const int from = column < line.args_length ? column : line.args_length;
    int n = 0;
    if (host.text_to_bytes(host.context, line.args + from, line.args_length - from, out, kMacroTextBytes, &n) != 0)
        return false;
    *count = n < 0 ? 0 : n > kMacroTextBytes ? kMacroTextBytes : n;
    return true;
}

int macro_find_label(const MacroState& state, const char16_t label[3]) {
    // The search starts at the mark, so the mark and the first line count as one line.
    int i = 0;
    while (i < state.length && i < kMacroLabelSearchEnd) {
        if (state.text[i] == u':' && i + kLabelChars < state.length && state.text[i + 1] == label[0] &&
            state.text[i + 2] == label[1] && state.text[i + 3] == label[2])
            return i;
        i = line_end(state, i);
        if (i < state.length) ++i;
        if (i < state.length && state.text[i] == kLF) ++i;
    }
    return state.length;
}

void macro_init(MacroState& state) { std::memset(&state, 0, sizeof state); }

int macro_start(MacroState& state, const uint8_t* bytes, int count, const MacroHost& host) {
    if (count < 0) count = 0;
    if (count > kMacroFileBytes) count = kMacroFileBytes;
    // A failed start leaves nothing running, as a stopped run would.
    end_run(state);
    if (count == 0) {
        host.message(host.context, kTextFileEmpty, "FileError");
        return kTextFileEmpty;
    }
    // Units are read little-endian on every host; a single byte cannot hold the mark.
    const int units = count / 2;
    if (units < 1 || (bytes[0] | bytes[1] << 8) != kMacroMark) {
        host.message(host.context, kTextNoByteOrderMark, "FileError");
        return kTextNoByteOrderMark;
    }
    for (int i = 0; i < units; ++i) state.text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    // The rest of the text is never read; cleared all the same so that no old file shows through.
    std::memset(state.text + units, 0, sizeof(char16_t) * static_cast<size_t>(kMacroTextUnits - units));
    state.length = units;
    state.position = 1;
    state.running = true;
    host.clear_received(host.context);
    return 0;
}

MacroStatus macro_step(MacroState& s, const MacroHost& host) {
    if (!s.running) return kMacroIdle;
    if (s.wait.kind != kWaitNone) {
        if (!wait_over(s, host)) return kMacroWaiting;
        s.wait.kind = kWaitNone;
        skip_line_break(s);
        return kMacroNext;
    }
    if (s.position >= s.length) {
        end_run(s);
        host.message(host.context, kTextMacroRanOut, "Tarvik");
        macro_report_end(host, false);
        return kMacroEnded;
    }
    if (host.refresh) host.refresh(host.context);

    const int start = s.position;
    const int end = line_end(s, start);
    // A line counts up to kMacroLineChars characters; a longer one is cut there.
    const int limit = end - start > kMacroLineChars ? start + kMacroLineChars : end;
    const MacroCommand* command = limit - start >= 4 ? find_command(s.text + start) : nullptr;

    MacroLine line{nullptr, 0, 0};
    int args = -1;
    if (command) {
        const int after = start + 4;
        switch (command->rule) {
        case kArgsNone:
            args = after;
            break;
        case kArgsAfterSpace:
            if (after < limit && s.text[after] == u' ') args = after + 1;
            break;
        case kArgsOptional:
            if (after >= limit) args = limit;
            else if (s.text[after] == u' ') args = after + 1;
            break;
        case kArgsAfterDestination:
            if (after >= limit || s.text[after] == u' ') {
                args = after < limit ? after + 1 : limit;
            } else {
                // A digit names the destination; the character after it is skipped.
                line.destination = s.text[after] & 15;
                args = after + 2 < limit ? after + 2 : limit;
            }
            break;
        }
    }

    s.position = end;
    if (args < 0) {
        skip_line_break(s);
        return kMacroNext;
    }
    line.args = s.text + args;
    line.args_length = limit - args;
    // "PEND" shows the rest of the text; the label shows its first line.
    show_step(s, host, start, command->rule == kArgsNone ? s.length : limit);

    switch (command->run(s, host, line)) {
    case kOutcomeWait:
        return kMacroWaiting;
    case kOutcomeEnd:
        end_run(s);
        return kMacroEnded;
    case kOutcomeDone:
        break;
    }
    skip_line_break(s);
    return kMacroNext;
}

void macro_abort(MacroState& state, const MacroHost& host) {
    const bool was_running = state.running;
    end_run(state);
    host.message(host.context, kTextMacroStopped, "Tarvik");
    if (was_running) macro_report_end(host, false);
}

void macro_report_end(const MacroHost& host, bool passed) {
    if (host.ended) host.ended(host.context, passed);
}

void macro_stop(MacroState& state) { end_run(state); }

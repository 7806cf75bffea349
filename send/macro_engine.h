// The macro language: a macro text of one command per line, run one line per call against
// a state value (the text, the position, the 100 registers and the wait in progress).
// The module has no window and no Windows header: it reaches sending, the last-received
// block, the tick count, messages and the step display through MacroHost, which the
// macro dialog fills with the real calls and a console runner or a test with its own.
//
// Waits never block: a "TIME" or "READ" that is not satisfied yet returns kMacroWaiting
// and is looked at again by the next call; macro_abort ends it at once.
//
// Replies: the received block is cleared when a macro starts, just before every "SEND" and
// "MSED", and right after a "READ" has taken it. A "READ" thus takes the newest block
// received since the last send or the last "READ", so a peer that answers within the tick
// between a send and the "READ" after it is not missed.
#pragma once
#include <cstdint>

constexpr int kMacroFileBytes = 51208;      // the most of a macro file that is read
constexpr int kMacroTextUnits = kMacroFileBytes / 2;
constexpr int kMacroLabelSearchEnd = 25600; // a label search gives up at this index
constexpr int kMacroLineChars = 255;        // characters of a line that count; the rest is ignored
constexpr int kMacroRegisters = 100;
constexpr int kMacroRegisterBytes = 264;
constexpr int kMacroTextBytes = 256;        // room for the bytes of a converted text field
constexpr int kMacroBlockBytes = 1024;      // the last-received block
constexpr int kMacroTickMs = 100;           // one line per tick of this period
constexpr int kMacroWaitPollMs = 10;        // how often a host looks at a wait in progress
constexpr char16_t kMacroMark = 0xFEFF;

struct MacroRegister {
    int32_t length;
    uint8_t data[kMacroRegisterBytes];
};

enum MacroWaitKind { kWaitNone = 0, kWaitTime, kWaitRead };

struct MacroWait {
    MacroWaitKind kind;
    uint32_t start;   // tick count when the wait began
    int tenths;       // time limit in tenths of a second (READ: 0 = none)
    int min_bytes;    // READ: the block's string length that ends the wait
    int reg;          // READ: the register that gets the block
};

struct MacroState {
    char16_t text[kMacroTextUnits]; // text[0] is the byte-order mark
    int length;                     // code units in text
    int position;                   // where the next line starts
    bool running;
    MacroWait wait;
    MacroRegister registers[kMacroRegisters]; // kept across runs
};

// What the engine needs from its surroundings. Every call gets `context` back.
struct MacroHost {
    void* context;
    // Sends one packet and records it; 0 on success (a failure has been reported).
    int (*send)(void* context, int destination, const uint8_t* bytes, int length);
    // Text to bytes as "SEND" takes it: 0 and *count set, or 1 when it does not convert.
    int (*text_to_bytes)(void* context, const char16_t* text, int length, uint8_t* out, int room, int* count);
    // The last-received block: zero it, and copy it (kMacroBlockBytes) out.
    void (*clear_received)(void* context);
    void (*read_received)(void* context, uint8_t* out);
    uint32_t (*tick)(void* context);
    // Text table entry `entry` under `caption`.
    void (*message)(void* context, int entry, const char* caption);
    // The step display: "Step:nnn/nnn" and the line's text (not terminated).
    void (*show_step)(void* context, const char16_t* step, const char16_t* line, int line_length);
    // Lower-case hexadecimal for "CHKA" (the setting hexasc_komoji).
    bool (*lower_hex)(void* context);
    // Called before each line: keep the running gap of the traffic display going. May be null.
    void (*refresh)(void* context);
    // "FAIL": the macro ends as failed with this text (not terminated). May be null.
    void (*fail)(void* context, const char16_t* text, int length);
    // A run has ended, after its message: passed at "PEND"; failed at the end of the text, a
    // missing label, "FAIL" or the stop button. May be null.
    void (*ended)(void* context, bool passed);
};

enum MacroStatus {
    kMacroIdle,    // nothing running
    kMacroNext,    // a line was done; the next one at the next tick
    kMacroWaiting, // a wait goes on; call again soon
    kMacroEnded,   // ended at this call ("PEND", end of text, missing label); message shown
};

// Registers zero, no text, nothing running.
void macro_init(MacroState& state);
// Takes a file's bytes (at most kMacroFileBytes are used) and starts at the first line;
// a run in progress starts again from the top, registers are kept. Returns 0, or the text
// table entry of the failure after showing it: kTextFileEmpty (no bytes) or
// kTextNoByteOrderMark.
int macro_start(MacroState& state, const uint8_t* bytes, int count, const MacroHost& host);
// One tick: finish the wait in progress, or run the line at the position.
MacroStatus macro_step(MacroState& state, const MacroHost& host);
// The abort button: stops the run and any wait and shows entry 17, running or not.
void macro_abort(MacroState& state, const MacroHost& host);
// Stops without a message (the dialog ends).
void macro_stop(MacroState& state);

// ---- for command handlers ----------------------------------------------------------------

// One command line as its handler sees it: the arguments (at most up to kMacroLineChars
// of the line) and the destination digit of "SEND"/"MSED".
struct MacroLine {
    const char16_t* args;
    int args_length;
    int destination;
};

enum MacroOutcome { kOutcomeDone, kOutcomeWait, kOutcomeEnd };
using MacroHandler = MacroOutcome (*)(MacroState& state, const MacroHost& host, const MacroLine& line);

enum MacroArgRule {
    kArgsAfterSpace,       // keyword, one space, arguments; no space: the line is skipped
    kArgsAfterDestination, // keyword, space (destination 0) or a digit and one more character
    kArgsNone,             // the keyword alone is enough
    kArgsOptional,         // the keyword alone, or keyword, one space, arguments
};

struct MacroCommand {
    char keyword[5];
    MacroArgRule rule;
    MacroHandler run;
};

extern const MacroCommand kMacroCommands[];
extern const int kMacroCommandCount;

// A numeric field of `width` columns from `column`: leading blanks, an optional sign, then
// digits up to the first non-digit; nothing gives 0. Columns past the line are empty.
int macro_number(const MacroLine& line, int column, int width);
// A register field (2 columns): the register, or null for a number outside 00-99.
MacroRegister* macro_register(MacroState& state, const MacroLine& line, int column);
// The text field from `column` to the end of the line converted to bytes: false (nothing
// to do) when it does not convert.
bool macro_text(const MacroHost& host, const MacroLine& line, int column, uint8_t out[kMacroTextBytes], int* count);
// Tells the host that the run ends now, passed or not.
void macro_report_end(const MacroHost& host, bool passed);
// The position of the ":" of label `label` (3 characters), or state.length when there is none.
int macro_find_label(const MacroState& state, const char16_t label[3]);

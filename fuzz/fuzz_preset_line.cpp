// Preset lines on any input: at most 256 characters and nothing written past them, every
// unit read once (no more characters than units), and a line in the writer's form (two
// digits per character) gives its characters back.
#include "send/entry_text.h"
#include "send/preset_text.h"
#include "support/fuzz_check.h"

#include <vector>

namespace {

constexpr EntryUnit kGuard = 0x5A5A;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly the units of the input: a read past them is caught.
    std::vector<EntryUnit> line(size / 2);
    for (size_t i = 0; i < line.size(); ++i) line[i] = static_cast<EntryUnit>(data[2 * i] | data[2 * i + 1] << 8);
    const int length = static_cast<int>(line.size());

    EntryUnit out[kEntryChars + 8];
    for (EntryUnit& c : out) c = kGuard;
    const int count = parse_preset_line(line.data(), length, out);
    FUZZ_CHECK(count >= 0 && count <= kEntryChars && count <= length);
    for (int i = kEntryChars; i < kEntryChars + 8; ++i) FUZZ_CHECK(out[i] == kGuard);

    // What the writer makes of these characters (their low bytes) reads back the same.
    std::vector<EntryUnit> written(2 * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) byte_digits(static_cast<uint8_t>(out[i] & 0xFF), &written[2 * i]);
    EntryUnit again[kEntryChars];
    FUZZ_CHECK(parse_preset_line(written.data(), 2 * count, again) == count);
    for (int i = 0; i < count; ++i) FUZZ_CHECK(again[i] == (out[i] & 0xFF));
    return 0;
}

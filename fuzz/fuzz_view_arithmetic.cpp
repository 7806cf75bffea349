// The dump's index arithmetic on any grid and any position the view can hold: scrolling
// keeps the top on a line start inside the records and comes back the way it went, and the
// cursor's advance stays on the grid and adds up (two steps land where their sum lands).
#include "support/fuzz_check.h"
#include "view/band_geometry.h"
#include "view/scrolling.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <climits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    // Grids from the narrowest to far wider than any screen; indices as the buffer has them.
    const int per_line = in.ConsumeIntegralInRange<int>(-1, 4096);
    const int lines = in.ConsumeIntegralInRange<int>(1, 2048);
    const int write_index = in.ConsumeIntegralInRange<int>(0, 131200);
    const int pitch = in.ConsumeBool() ? in.ConsumeIntegral<int>() : in.ConsumeIntegralInRange<int>(-1, 10);
    int top = in.ConsumeIntegralInRange<int>(0, 131200);

    if (per_line <= 0) {
        FUZZ_CHECK(scroll_toward_end(top, write_index, per_line, pitch) == top);
        FUZZ_CHECK(scroll_toward_start(top, per_line, pitch) == top);
        FUZZ_CHECK(last_line_top(write_index, per_line) == 0);
        return 0;
    }
    const int last = last_line_top(write_index, per_line);
    FUZZ_CHECK(last % per_line == 0 && last <= write_index && write_index - last < per_line);

    top = top / per_line * per_line;
    if (top > last) top = last;
    const int down = scroll_toward_end(top, write_index, per_line, pitch);
    FUZZ_CHECK(down % per_line == 0 && down >= top && down <= last);
    const int up = scroll_toward_start(down, per_line, pitch);
    FUZZ_CHECK(up % per_line == 0 && up >= 0 && up <= down);
    // Unless a limit stopped one of the two moves, they cancel out.
    const long long step = static_cast<long long>(pitch < 1 ? 1 : pitch) * per_line;
    if (top + step <= write_index - 1 && top + step <= INT_MAX) FUZZ_CHECK(down == top + step && up == top);

    CellPlace from;
    from.column = in.ConsumeIntegralInRange<int>(0, per_line - 1);
    from.line = in.ConsumeIntegralInRange<int>(0, lines - 1);
    const long long a = in.ConsumeIntegralInRange<long long>(0, 1LL << 40);
    const long long b = in.ConsumeIntegralInRange<long long>(0, 1LL << 40);
    const CellPlace one = advance_cell(from, a, per_line, lines);
    FUZZ_CHECK(one.column >= 0 && one.column < per_line && one.line >= 0 && one.line < lines);
    const CellPlace two = advance_cell(one, b, per_line, lines);
    const CellPlace sum = advance_cell(from, a + b, per_line, lines);
    FUZZ_CHECK(two.column == sum.column && two.line == sum.line);
    if (a < per_line - from.column) FUZZ_CHECK(one.line == from.line && one.column == from.column + a);
    return 0;
}

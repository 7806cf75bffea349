// The connect pick over any entry text, and over every entry the log reader can make: those
// always give back their own four numbers.
#include "netcfg/address_pick.h"
#include "netcfg/neighbour_log.h"
#include "support/pick_entry.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto entry = entry_from_bytes(data, size);
    constexpr int kUntouched = 0x5A5A5A5A;
    int octets[4] = {kUntouched, kUntouched, kUntouched, kUntouched};
    int read = connect_pick_octets(entry.get(), octets);
    FUZZ_CHECK(pick_kept_its_promises(read, octets, kUntouched));
    if (entry_holds_ipv4(entry.get())) FUZZ_CHECK(whole_address_read_back(entry.get(), read, octets));

    // The same bytes as a log line: an entry of numbers of at most three digits reads back whole.
    auto list = std::make_unique<NeighbourList>();
    read_neighbour_log(data, size, list.get());
    for (int i = 0; i < list->count; ++i) {
        int back[4] = {kUntouched, kUntouched, kUntouched, kUntouched};
        int got = connect_pick_octets(list->entries[i], back);
        FUZZ_CHECK(pick_kept_its_promises(got, back, kUntouched));
        int expected[4] = {};
        bool small = true;
        const wchar_t* p = list->entries[i] + 3;
        for (int g = 0; g < 4; ++g) {
            int digits = 0;
            for (; *p >= L'0' && *p <= L'9'; ++p, ++digits)
                if (digits < 3) expected[g] = expected[g] * 10 + (*p - L'0');
            if (digits > 3) small = false;
            if (*p) ++p; // the dot
        }
        FUZZ_CHECK(!small || got == 4);
        FUZZ_CHECK(entry_holds_ipv4(list->entries[i]) == small); // the dialog takes exactly these
        for (int g = 0; small && g < 4; ++g)
            FUZZ_CHECK(back[g] == expected[g]);
    }
    return 0;
}

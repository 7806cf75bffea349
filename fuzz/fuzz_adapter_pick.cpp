// The adapter pick over any entry text (UTF-16 code units from the input).
#include "netcfg/address_pick.h"
#include "support/pick_entry.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto entry = entry_from_bytes(data, size);
    constexpr int kUntouched = 0x5A5A5A5A;
    int octets[4] = {kUntouched, kUntouched, kUntouched, kUntouched};
    int read = adapter_pick_octets(entry.get(), octets);
    FUZZ_CHECK(pick_kept_its_promises(read, octets, kUntouched));
    // (An adapter group does not end at the end of the text: entries always go on with a name.)
    if (entry_holds_ipv4(entry.get()) && read == 4) FUZZ_CHECK(whole_address_read_back(entry.get(), read, octets));
    return 0;
}

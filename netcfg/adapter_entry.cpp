#include "netcfg/adapter_entry.h"

namespace {

wchar_t ascii_lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Case-insensitive "text begins with prefix" (the prefixes are plain ASCII).
bool begins_with(const wchar_t* text, const wchar_t* prefix) {
    for (; *prefix; ++text, ++prefix)
        if (ascii_lower(*text) != ascii_lower(*prefix)) return false;
    return true;
}

// Appends to out up to its capacity, always leaving it terminated.
struct EntryWriter {
    wchar_t* out;
    int used = 0;
    void add(const wchar_t* text) {
        for (; text && *text && used < kAdapterEntryChars - 1; ++text) out[used++] = *text;
        out[used] = 0;
    }
};

} // namespace

bool format_adapter_entry(AdapterForm form, const wchar_t* description, const wchar_t* friendly_name,
                          const wchar_t* address, wchar_t (&out)[kAdapterEntryChars]) {
    if (!description) description = L"";
    if (!address) address = L"";
    const wchar_t* name = friendly_name && *friendly_name ? friendly_name : description;
    out[0] = 0;
    EntryWriter writer{out};
    if (form == AdapterForm::name) {
        // Neither the loopback adapter nor a Wi-Fi Direct virtual adapter takes a fixed address.
        if (begins_with(description, L"Microsoft Wi-Fi Direct") || begins_with(address, L"127.0.0.1")) return false;
        writer.add(name);
        return true;
    }
    writer.add(L"IP=");
    writer.add(address);
    writer.add(L" :Name=");
    writer.add(name);
    writer.add(L" (");
    writer.add(description);
    writer.add(L")");
    return true;
}

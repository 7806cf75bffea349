// The texts of the adapter list: one list entry per adapter, in the detail form of the
// adapter dialog or the name form of the IP address change. No Windows header here, so the
// formatting is tested and fuzzed on its own.
#pragma once

// A list entry holds at most 255 characters and its terminator; longer ones are cut.
constexpr int kAdapterEntryChars = 256;
// What is kept of an adapter's description and friendly name.
constexpr int kAdapterNameChars = 512;

enum class AdapterForm {
    detail, // "IP=<address> :Name=<friendly name> (<description>)"
    name,   // the friendly name alone; loopback and Wi-Fi Direct adapters left out
};

// Forms the entry of one adapter into out. The address is the text of its last IPv4 or
// IPv6 unicast address (empty when it has none). An adapter without a friendly name goes
// by its description. Returns false when the name form leaves the adapter out (out is then
// empty).
bool format_adapter_entry(AdapterForm form, const wchar_t* description, const wchar_t* friendly_name,
                          const wchar_t* address, wchar_t (&out)[kAdapterEntryChars]);

// Crafted adapter lists for the adapter seam: the tests decide which adapters the system
// reports, with which unicast addresses, or make the system's answer fail.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace adapters {

struct Adapter {
    std::wstring description;
    std::wstring friendly_name;
    // Unicast addresses in chain order: IPv4 or IPv6 text, or "other" for an address of
    // another family (which the list skips).
    std::vector<std::string> unicast;
};

// From now on the adapter seam reports these adapters in this order (an empty list: the
// system has none). harness::restore_seams() brings the real call back.
void feed(const std::vector<Adapter>& list);

enum class Failure {
    size_question, // the first call answers something other than "buffer too small"
    answer,        // the second call fails
};
void fail(Failure where);

// The texts of list box 1231 of a dialog, in list order.
std::vector<std::wstring> list_texts(HWND dialog);

} // namespace adapters

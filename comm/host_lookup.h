// The computer's own host name and IPv4 address, for the user to tell a peer where to connect.
#pragma once

constexpr int kHostTextChars = 64;

struct HostInfo {
    wchar_t address[kHostTextChars] = L"不明"; // dotted decimal
    wchar_t name[kHostTextChars] = L"不明";
};

extern HostInfo g_host;

// Fills both texts; false when the lookup did not go through (the texts then say "不明").
bool query_host();

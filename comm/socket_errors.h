// What a failed socket call means, told to the user as the Winsock error code and a
// sentence in Japanese (moji_type 0) or English (every other language).
#pragma once
#include <windows.h>

#include <cstddef>

constexpr int kSocketTextChars = 128; // caption, sentence and message each fit in this

// The sentence for a Winsock error code; codes without one give "Other errors". Address
// in use (10048) carries a hint to wait when the address was the user's own choice.
const wchar_t* winsock_error_sentence(int code, bool japanese, bool address_hint);
// The sentence for a failed shutdown, from its own shorter list.
const wchar_t* shutdown_error_sentence(int code, bool japanese);

// The sentence for a code in the current language; the hint for 10048 is given when
// bind_mode is 1 and the failed operation was not "connect".
void winsock_error_text(int code, const wchar_t* operation, wchar_t* out, size_t out_chars);

// The caption "<operation>_Error" and the message "No.<code> :<sentence>" of a failed call.
void socket_error_texts(int code, const wchar_t* operation, wchar_t caption[kSocketTextChars],
                        wchar_t message[kSocketTextChars]);
// A socket call named `operation` has just failed: its message under its caption, owned by
// `owner` (none from the receive thread).
void report_socket_error(const wchar_t* operation, HWND owner);

enum ShutdownSide {
    kShutdownClient = 1, // the TCP client closing its connection
    kShutdownPeer = 2,   // the TCP server closing a client's socket
};
// A shutdown has just failed; shown with no owner window.
void report_shutdown_error(int side);

// Capture to disk: while it is on, every packet the traffic buffer records with facts is
// written to a pcapng file as it is recorded, from the same locked step that appends it,
// into one of two memory buffers. The main window's timer hands the full buffer to the
// disk on every tick, and the closing and the window's end do the same, so a crash loses
// at most one tick and a flood loses nothing that the buffer's slide drops. A write
// error stops the capture (the connection goes on) and is reported on the next tick.
// The on/off choice and the folder live in "capture.ini", section "Capture".
//
// Locks: the traffic buffer's lock is always taken before the capture's disk lock, never
// the other way round (the appending thread holds the traffic lock when a full buffer
// spills to the disk; the flush takes the disk lock, then lets the traffic lock go while it
// writes).
#pragma once
#include <windows.h>

#include <cstdint>

constexpr wchar_t kCaptureFileName[] = L"capture.ini";

struct CaptureSettings {
    int capture_on = 0;          // 1: capture whenever a connection is open
    wchar_t capture_dir[260] = {}; // folder of the capture files; empty: the start directory
};

extern CaptureSettings g_capture_settings;

void load_capture_settings();
void save_capture_settings();
// The default file name for a capture started now: capture-YYYYMMDD-HHMMSS.pcapng.
void default_capture_name(wchar_t* name, size_t chars);

// Starts writing to `path` (replacing it). False, with a message box, when it cannot.
bool capture_start(HWND owner, const wchar_t* path);
// Writes out what is buffered and closes the file.
void capture_stop();
bool capture_running();
// The file being written (empty when none).
const wchar_t* capture_path();
// Hands the filled buffer to the disk. On a write error the capture stops and the
// error is shown (owned by `owner`). Called by the timer, the closing and tests.
void capture_flush(HWND owner);
// At start-up: with capture on, starts a capture under a fresh default name.
void capture_resume(HWND owner);
// The toggle command: on asks for the file (proposing the default name in the folder last
// used) and starts; off stops. The choice is kept in the settings file.
void capture_toggle(HWND owner);

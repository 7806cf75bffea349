// Lines on standard output and standard error for the console runner: UTF-8 into a pipe
// or file, wide text into a console. Safe to call from any thread; each line is written
// whole.
#pragma once
#include <string>

void out_line(const std::string& utf8);
void out_line(const std::wstring& text);
void err_line(const std::wstring& text);
void err_line(const std::string& utf8);
// Standard output and error go to the disk or pipe now, so a line printed before an
// interruption is not lost with the process.
void flush_console();

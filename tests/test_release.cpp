// The release: the version every program carries, and the zip a user unpacks and runs.
#include "harness.h"
#include "res/resource.h"
#include "support_console.h"
#include "support_loopback.h"
#include "support_linux.h"
#include "tarvik_version.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::wstring kVersion = L"" TARVIK_VERSION_TEXT;

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::wstring windows_path(const std::string& unix_path) {
    std::wstring path = L"Z:";
    for (char c : unix_path) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

std::wstring version_string(const std::vector<uint8_t>& info, const wchar_t* name) {
    wchar_t query[96];
    swprintf(query, 96, L"\\StringFileInfo\\040904B0\\%ls", name);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), query, &value, &length) || !value) return L"<none>";
    return static_cast<const wchar_t*>(value);
}

std::string manifest_of(const std::wstring& exe) {
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return {};
    std::string text;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)); // RT_MANIFEST
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    if (loaded) text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

TEST(Release, EveryProgramCarriesTheVersionOfTheBuild) {
    const struct {
        const wchar_t* exe;
        const char* identity; // the manifest's assembly name; none for the console programs
    } programs[] = {{L"Tarvik.exe", "Tarvik"}, {L"TarvikA.exe", "TarvikA"}, {L"tarvikc.exe", nullptr}, {L"mivvet.exe", nullptr}};
    for (const auto& p : programs) {
        SCOPED_TRACE(testing::Message() << std::string(p.exe, p.exe + wcslen(p.exe)));
        std::wstring path = windows_path(env("TARVIK_BINARY_DIR")) + L"\\" + p.exe;
        DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
        ASSERT_GT(size, 0u);
        std::vector<uint8_t> info(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(TARVIK_VERSION_MINOR, TARVIK_VERSION_MAJOR)));
        EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, TARVIK_VERSION_PATCH)));
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
        EXPECT_EQ(version_string(info, L"ProductName"), L"Tarvik");
        EXPECT_EQ(version_string(info, L"ProductVersion"), kVersion);
        EXPECT_EQ(version_string(info, L"FileVersion"), kVersion);
        EXPECT_EQ(version_string(info, L"OriginalFilename"), p.exe);
        EXPECT_EQ(version_string(info, L"FileDescription").rfind(L"Tarvik ", 0), 0u);
        EXPECT_EQ(version_string(info, L"LegalCopyright").rfind(L"Copyright (C) ", 0), 0u);
        if (p.identity) {
            std::string manifest = manifest_of(path);
            std::string identity = std::string("name=\"") + p.identity + "\" version=\"" TARVIK_VERSION_TEXT ".0\"";
            EXPECT_NE(manifest.find(identity), std::string::npos) << manifest;
        }
    }
}

// Every file under `folder` (a Windows path), as relative names with forward slashes.
void list_files(const std::wstring& folder, const std::string& prefix, std::vector<std::string>& names) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        std::string narrow(name.begin(), name.end());
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            list_files(folder + L"\\" + name, prefix + narrow + "/", names);
        else
            names.push_back(prefix + narrow);
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

struct FoundWindow {
    DWORD pid;
    const wchar_t* class_name;
    HWND window;
};

// A visible top-level window of class `class_name` of process `pid`, within timeout_ms.
HWND find_window_of(DWORD pid, const wchar_t* class_name, int timeout_ms = 15000) {
    FoundWindow found{pid, class_name, nullptr};
    loopback::wait_until(
        [&] {
            EnumWindows(
                [](HWND w, LPARAM l) -> BOOL {
                    auto* f = reinterpret_cast<FoundWindow*>(l);
                    DWORD owner = 0;
                    GetWindowThreadProcessId(w, &owner);
                    wchar_t name[64] = {};
                    GetClassNameW(w, name, 64);
                    if (owner != f->pid || !IsWindowVisible(w) || wcscmp(name, f->class_name) != 0) return TRUE;
                    f->window = w;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&found));
            return found.window != nullptr;
        },
        timeout_ms);
    return found.window;
}

TEST(Release, TheZipUnpackedIntoAnEmptyFolderRuns) {
    harness::TempStartDir dir;
    const std::string scratch = linux_side::unix_path(dir.path());
    ASSERT_FALSE(scratch.empty());
    const std::string folder = "Tarvik-" TARVIK_VERSION_TEXT;
    const std::string zip = scratch + "/out/" + folder + "-win64.zip";

    // The package exactly as `cmake --build build --target package` makes it.
    linux_side::ShellResult made = linux_side::run_shell("cd '" + scratch + "' && '" + env("TARVIK_CPACK") + "' --config '" +
                                                  env("TARVIK_BINARY_DIR") + "/CPackConfig.cmake' -B '" + scratch +
                                                  "/out'",
                                              dir.path(), 180000, true);
    ASSERT_EQ(made.status, 0) << made.output;

    // One folder with the programs, the text table and every sample of data/, the guide
    // and the macro reference: nothing else.
    linux_side::ShellResult listed = linux_side::run_shell(
        "python3 -c 'import sys, zipfile; print(chr(10).join(zipfile.ZipFile(sys.argv[1]).namelist()))' '" + zip + "'",
        dir.path());
    ASSERT_EQ(listed.status, 0) << listed.output;
    std::vector<std::string> in_zip;
    std::istringstream lines(listed.output);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line.back() != '/') in_zip.push_back(line);
    std::vector<std::string> expected = {"Tarvik.exe", "TarvikA.exe", "tarvikc.exe", "mivvet.exe", "README.txt", "macro.md"};
    list_files(harness::source_file("data"), "", expected); // the text table among them
    for (std::string& name : expected) name = folder + "/" + name;
    std::sort(in_zip.begin(), in_zip.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(in_zip, expected);
    EXPECT_NE(std::find(expected.begin(), expected.end(), folder + "/Tarvik_char2.ini"), expected.end());

    linux_side::ShellResult unpacked =
        linux_side::run_shell("mkdir '" + scratch + "/unpacked' && python3 -m zipfile -e '" + zip + "' '" + scratch +
                            "/unpacked'",
                        dir.path(), 60000, true);
    ASSERT_EQ(unpacked.status, 0) << unpacked.output;
    const std::wstring home = dir.path() + L"\\unpacked\\" + std::wstring(folder.begin(), folder.end());

    // tarvikc from there: its version, and a sample macro against an echo peer.
    console::Result version = console::run_tarvikc(L"--version", home, home + L"\\tarvikc.exe");
    EXPECT_EQ(version.code, 0u);
    EXPECT_EQ(version.out, "tarvikc " TARVIK_VERSION_TEXT "\r\n");
    {
        loopback::Winsock winsock;
        const int port = loopback::free_port(SOCK_STREAM);
        loopback::Socket listener = loopback::tcp_listener("127.0.0.1", port);
        std::thread echo([&] {
            loopback::Socket peer = loopback::tcp_accept(listener.s, 10000);
            for (int i = 0; i < 50 && peer.valid(); ++i) {
                std::string got = loopback::receive(peer.s, 200);
                if (got == "<closed>" || got == "<error>") break;
                if (got != "<timeout>") loopback::send_text(peer.s, got);
            }
        });
        console::Result played =
            console::run_tarvikc(L"--tcp-client 127.0.0.1:" + std::to_wstring(port) +
                                     L" --macro macros\\request_response.txt --timeout 8",
                                 home, home + L"\\tarvikc.exe");
        echo.join();
        EXPECT_EQ(played.code, 0u) << played.out << played.err;
        EXPECT_NE(played.out.find("answer ok"), std::string::npos) << played.out;
    }

    // Tarvik.exe from there, in English: the window comes up, the texts come from the table
    // beside it, and the About box shows the version.
    harness::write_file(home + L"\\Tarvik.ini", {'[', 'T', 'a', 'r', 'v', 'i', 'k', ']', '\r', '\n', 'm', 'o', 'j',
                                                 'i', '_', 't', 'y', 'p', 'e', '=', '1', '\r', '\n'});
    std::wstring command = L"\"" + home + L"\\Tarvik.exe\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, home.c_str(), &si, &pi));
    HWND main = find_window_of(pi.dwProcessId, L"Tarvik");
    EXPECT_NE(main, nullptr);
    if (main) {
        PostMessageW(main, WM_COMMAND, IDM_ABOUT, 0);
        HWND about = find_window_of(pi.dwProcessId, L"#32770", 10000);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(harness::window_text(about), L"About Tarvik");
        wchar_t shown[64] = {};
        GetWindowTextW(GetDlgItem(about, IDC_ABOUT_VERSION), shown, 64);
        wchar_t expected_version[64];
        swprintf(expected_version, 64, L"Version %d.%02d", TARVIK_VERSION_MAJOR, TARVIK_VERSION_MINOR);
        EXPECT_STREQ(shown, expected_version);
        PostMessageW(about, WM_COMMAND, IDC_ABOUT_OK, 0);
        PostMessageW(main, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "Tarvik.exe did not end";
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

} // namespace

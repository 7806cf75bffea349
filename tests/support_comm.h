// A fixture for the communication tests: a temporary start directory with the text table,
// recording seams, the real main window, Winsock for the test's peers, and default
// settings that point every address at the loopback network.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "harness.h"
#include "support_loopback.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class CommTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Mode and loopback addresses: peer 127.0.0.1:peer_port, own 127.0.0.1:own_port.
    void use_mode(bool udp, bool server, int peer_port, int own_port);
    void open();  // command 232 of the main window
    void close(); // command 233
    // The boxes shown so far as "caption|text", and forgets them.
    std::vector<std::wstring> take_boxes();
    // Opens with the settings as they are, expects the opening to fail after the Winsock
    // box and returns the box that told why.
    std::wstring failed_opening_box();
    // A TCP client connected to a peer of the test; returns the peer's end.
    loopback::Socket open_tip_client();
    // A server of the mode on a free port of 127.0.0.1; returns the port.
    int open_server(bool udp);
    // A client of the TCP server, from `from_ip`, once the server has recorded its arrival.
    loopback::Socket join_server(const char* from_ip, int port);

    loopback::Socket listener_; // the peer of open_tip_client

    harness::TempStartDir dir_;
    loopback::Winsock winsock_;
    HWND window_ = nullptr;
};

std::wstring widen(const char* text);
// Waits until the traffic buffer holds at least `count` records.
bool records_reach(int count);

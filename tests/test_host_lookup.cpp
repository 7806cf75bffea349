// The host's own name and address, and the host name command.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "support_comm.h"

#include "app/seams.h"
#include "comm/ansi_text.h"
#include "comm/connection.h"
#include "comm/host_lookup.h"
#include "res/resource.h"

using loopback::Socket;

TEST_F(CommTest, HostLookupFindsTheFirstAddressOfTheHostName) {
    ASSERT_TRUE(query_host());
    char name[256];
    ASSERT_EQ(get_host_name(name, sizeof name), 0);
    EXPECT_STREQ(name, "localhost"); // tests never ask a name server
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    ASSERT_EQ(getaddrinfo(name, nullptr, &hints, &found), 0);
    char numeric[64];
    getnameinfo(found->ai_addr, static_cast<socklen_t>(found->ai_addrlen), numeric, sizeof numeric, nullptr, 0,
                NI_NUMERICHOST);
    freeaddrinfo(found);
    EXPECT_EQ(std::wstring(g_host.address), widen(numeric));
    EXPECT_STRNE(g_host.name, L"");
}

TEST_F(CommTest, HostNameCommandShowsAddressAndName) {
    SendMessageW(window_, WM_COMMAND, IDM_HOST_NAME, 0);
    std::vector<harness::ShownBox> boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"HostName");
    EXPECT_EQ(boxes[0].owner, window_);
    EXPECT_EQ(boxes[0].text, std::wstring(g_host.address) + L"\r\n" + g_host.name);
}

TEST_F(CommTest, HostLookupLeavesAnOpenConnectionWorking) {
    Socket peer = open_tip_client();
    ASSERT_TRUE(query_host());
    ASSERT_TRUE(loopback::send_text(peer.s, "ok"));
    ASSERT_TRUE(records_reach(5));
    close();
    // Winsock is still counted right: the closing's cleanup goes through.
    EXPECT_EQ(take_boxes(), std::vector<std::wstring>{L"LAN disconnect|Success！"});
}

TEST(AnsiText, LongTextsAreCutAfterTheLastWholeCharacter) {
    wchar_t out[8];
    ASSERT_TRUE(ansi_to_wide("abcdefghij", CP_ACP, out, 8));
    EXPECT_STREQ(out, L"abcdefg");
    // Four-byte UTF-8 characters become surrogate pairs: a pair is never split.
    ASSERT_TRUE(ansi_to_wide("abcd\xF0\x9F\x98\x80\xF0\x9F\x98\x80", CP_UTF8, out, 8));
    EXPECT_STREQ(out, L"abcd\xD83D\xDE00");
    ASSERT_TRUE(ansi_to_wide("", CP_ACP, out, 8));
    EXPECT_STREQ(out, L"");
}

// The Winsock error sentences and the two reports built on them.
#include <winsock2.h>

#include "app/settings.h"
#include "comm/socket_errors.h"
#include "harness.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class SocketErrors : public ::testing::Test {
protected:
    void SetUp() override {
        harness::install_seams();
        g_settings = Settings{};
    }
    void TearDown() override { harness::restore_seams(); }

    harness::ShownBox report(const wchar_t* operation, int code) {
        harness::clear_shown_boxes();
        WSASetLastError(code);
        report_socket_error(operation, reinterpret_cast<HWND>(0x1234));
        return harness::shown_boxes().at(0);
    }
};

bool is_other(const wchar_t* text) {
    return std::wstring(text) == L"Other errors" || std::wstring(text) == L"その他エラー";
}

} // namespace

TEST_F(SocketErrors, SixtyFourCodesHaveTheirOwnSentenceInBothLanguages) {
    int english = 0, japanese = 0;
    for (int code = 0; code < 12000; ++code) {
        english += !is_other(winsock_error_sentence(code, false, false));
        japanese += !is_other(winsock_error_sentence(code, true, false));
    }
    EXPECT_EQ(english, 64);
    EXPECT_EQ(japanese, 64);
    EXPECT_STREQ(winsock_error_sentence(10000, false, false), L"Other errors");
    EXPECT_STREQ(winsock_error_sentence(10000, true, false), L"その他エラー");
}

TEST_F(SocketErrors, SentencesAreShownAsTheyStand) {
    EXPECT_STREQ(winsock_error_sentence(8, false, false), L"nsufficient memory available.");
    EXPECT_STREQ(winsock_error_sentence(8, true, false), L"使⽤可能なメモリが不⾜しています。");
    EXPECT_STREQ(winsock_error_sentence(10061, true, false), L"接続が拒否されました。");
    EXPECT_STREQ(winsock_error_sentence(10067, true, false), L"プロセスが多すぎます。");
    EXPECT_FALSE(is_other(winsock_error_sentence(10067, false, false)));
    // Two pairs of codes share their sentences.
    EXPECT_STREQ(winsock_error_sentence(10102, false, false), winsock_error_sentence(10110, false, false));
    EXPECT_STREQ(winsock_error_sentence(10103, true, false), winsock_error_sentence(10111, true, false));
    // The hint to wait belongs to 10048 alone.
    EXPECT_STREQ(winsock_error_sentence(10048, false, true),
                 L"Address is already in use.\r\n Please try again in about 2 minutes");
    EXPECT_STREQ(winsock_error_sentence(10048, true, false), L"IPアドレス＋ポート番号は既に使用されています。");
    EXPECT_STREQ(winsock_error_sentence(10049, false, true), winsock_error_sentence(10049, false, false));
}

TEST_F(SocketErrors, ShutdownSentencesKeepTheirBlanksAndTab) {
    EXPECT_STREQ(shutdown_error_sentence(10022, false),
                 L"\tThe how parameter is not valid, or is not consistent with the socket type. ");
    EXPECT_STREQ(shutdown_error_sentence(10057, false), L"The socket is not connected. ");
    EXPECT_STREQ(shutdown_error_sentence(10038, true), L"ソケットではありません。");
    EXPECT_STREQ(shutdown_error_sentence(10061, false), L"Other errors");
    // A code the shutdown list lacks is not looked up in the long list.
    EXPECT_STREQ(shutdown_error_sentence(10048, true), L"その他エラー");
}

TEST_F(SocketErrors, ReportNamesTheOperationAndTheCode) {
    harness::ShownBox box = report(L"connect", 10061);
    EXPECT_EQ(box.caption, L"connect_Error");
    EXPECT_EQ(box.text, L"No.10061 :接続が拒否されました。");
    EXPECT_EQ(box.owner, reinterpret_cast<HWND>(0x1234));
    EXPECT_EQ(box.type & 0xF, static_cast<UINT>(MB_OK));

    for (int language : {1, 2, 3}) {
        g_settings.moji_type = language;
        EXPECT_EQ(report(L"connect", 10061).text, L"No.10061 :Connection refused.");
    }
    EXPECT_EQ(report(L"closesocket(CS)", 10000).caption, L"closesocket(CS)_Error");
    EXPECT_EQ(report(L"socket", 10000).text, L"No.10000 :Other errors");
}

TEST_F(SocketErrors, AddressInUseHintsOnlyAtTheUsersOwnAddress) {
    g_settings.moji_type = 1;
    g_settings.bind_mode = 1;
    EXPECT_EQ(report(L"bind", 10048).text, L"No.10048 :Address is already in use.\r\n Please try again in about 2 minutes");
    EXPECT_EQ(report(L"connect", 10048).text, L"No.10048 :Address is already in use.");
    g_settings.bind_mode = 0;
    EXPECT_EQ(report(L"bind", 10048).text, L"No.10048 :Address is already in use.");
}

TEST_F(SocketErrors, ShutdownReportHasNoOwnerAndFitsItsLongestText) {
    g_settings.moji_type = 1;
    WSASetLastError(10036);
    report_shutdown_error(kShutdownClient);
    WSASetLastError(10054);
    report_shutdown_error(kShutdownPeer);
    std::vector<harness::ShownBox> boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, L"Shutdown(c)");
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[0].text, std::wstring(L"No.10036 :") + shutdown_error_sentence(10036, false));
    EXPECT_EQ(boxes[0].text.size(), 126u);
    EXPECT_EQ(boxes[1].caption, L"Shutdown(p)");
    EXPECT_EQ(boxes[1].text,
              L"No.10054 :The virtual circuit was reset by the remote side executing a hard or abortive close. ");
}

#include <winsock2.h>

#include "comm/socket_errors.h"

#include "app/seams.h"
#include "app/settings.h"

#include <cwchar>

namespace {

struct ErrorText {
    int code;
    const wchar_t* english;
    const wchar_t* japanese;
};

// Codes below 10000 are the Windows error codes that Winsock 2 also returns.
const ErrorText kWinsockTexts[] = {
    {6, L"The specified event object handle is invalid.", L"指定されたイベント オブジェクト ハンドルが無効です。"},
    {8, L"nsufficient memory available.", L"使⽤可能なメモリが不⾜しています。"},
    {87, L"One or more parameters are invalid.", L"1 つ以上のパラメーターが無効です。"},
    {995, L"Duplicate operation was aborted.", L"重複する操作が中⽌されました。"},
    {996, L"Duplicate I/O event object that is not signaled.", L"シグナル状態ではない重複した I/O イベント オブジェクト。"},
    {997, L"Duplicate operations will be completed later.", L"重複する操作は後で完了します。"},
    {10004, L"Interrupted function call.", L"中断された関数呼び出し。"},
    {10009, L"File handle is invalid.", L"ファイル ハンドルが無効です。"},
    {10013, L"Permission denied.", L"アクセス許可が拒否されました。"},
    {10014, L"Invalid address.", L"アドレスが正しくありません。"},
    {10022, L"Invalid argument.", L"引数が無効です。"},
    {10024, L"Too many files open.", L"開いているファイルが多すぎます。"},
    {10035, L"Resource is temporarily unavailable.", L"リソースは⼀時的に使⽤できません。"},
    {10036, L"Operation in progress.", L"操作が進⾏中です。"},
    {10037, L"Operation already in progress.", L"操作は既に進⾏中です。"},
    {10038, L"Socket operations on non-sockets.", L"⾮ソケットに対するソケット操作。"},
    {10039, L"Destination address required.", L"宛先アドレスが必要です。"},
    {10040, L"Message is too long.", L"メッセージが長すぎます。"},
    {10041, L"Wrong socket protocol type.", L"ソケットのプロトコルの型が間違っています。"},
    {10042, L"Invalid protocol option.", L"プロトコル オプションが正しくありません。"},
    {10043, L"Protocol not supported.", L"プロトコルはサポートされていません。"},
    {10044, L"Socket type is not supported.", L"ソケットの種類はサポートされていません。"},
    {10045, L"Operation is not supported.", L"操作はサポートされていません。"},
    {10046, L"Protocol family is not supported.", L"プロトコル ファミリはサポートされていません。"},
    {10047, L"Address family not supported by protocol family.", L"プロトコル ファミリでサポートされていないアドレス ファミリ。"},
    {10049, L"Unable to allocate requested address.", L"要求されたアドレスを割り当てることができません。"},
    {10050, L"Network is down.", L"ネットワークがダウンしています。"},
    {10051, L"Network unreachable.", L"ネットワークに到達できません。"},
    {10052, L"Connection was lost during network reset.", L"ネットワークのリセット時に接続が切断されました。"},
    {10053, L"Software caused a connection abort.", L"ソフトウェアによって接続の中止が発生しました。"},
    {10054, L"Connection reset by peer.", L"ピアによる接続のリセット。"},
    {10055, L"No buffer space available.", L"使用できるバッファー領域はありません。"},
    {10056, L"Socket is already connected.", L"ソケットは既に接続されています。"},
    {10057, L"Socket not connected.", L"ソケットが接続されていません。"},
    {10058, L"Unable to send after socket shutdown.", L"ソケットのシャットダウン後に送信できません。"},
    {10059, L"Too many references.", L"参照が多すぎます。"},
    {10060, L"Connection timed out.", L"接続がタイムアウトしました。"},
    {10061, L"Connection refused.", L"接続が拒否されました。"},
    {10062, L"Unable to translate name.", L"名前を翻訳できません。"},
    {10063, L"Name is too long.", L"名前が⻑すぎます。"},
    {10064, L"Host is down.", L"ホストがダウンしています。"},
    {10065, L"There are no routes to host.", L"ホストするルートはありません。"},
    {10066, L"Directory is not empty.", L"ディレクトリは空ではありません。"},
    {10067, L"Too many processes.", L"プロセスが多すぎます。"},
    {10068, L"User quota exceeded.", L"ユーザー クォータを超えました。"},
    {10069, L"Disk quota exceeded.", L"ディスク クォータを超えました。"},
    {10070, L"Old file handle reference.", L"古いファイル ハンドル参照。"},
    {10071, L"Item is remote.", L"項目がリモートです。"},
    {10091, L"Network subsystem is unavailable.", L"ネットワーク サブシステムは使用できません。"},
    {10092, L"Winsock.dll version is out of range.", L"Winsock.dllバージョンが範囲外です。"},
    {10093, L"WSAStartup is not running correctly.", L"WSAStartup が正常に実行されていません。"},
    {10101, L"Graceful shutdown is in progress.", L"正常なシャットダウンが進行中です。"},
    {10102, L"There are no better results.", L"これ以上の結果はありません。"},
    {10103, L"Call canceled.", L"呼び出しが取り消されました。"},
    {10104, L"Procedure call table is invalid.", L"プロシージャ呼び出しテーブルが無効です。"},
    {10105, L"Service provider is invalid.", L"サービス プロバイダーが無効です。"},
    {10106, L"Service provider initialization failed.", L"サービス プロバイダーの初期化に失敗しました。"},
    {10107, L"System call error.", L"システム呼び出しエラー。"},
    {10108, L"Service not found.", L"サービスが見つかりません。"},
    {10109, L"Class type not found.", L"クラス型が見つかりません。"},
    {10110, L"There are no better results.", L"これ以上の結果はありません。"},
    {10111, L"Call canceled.", L"呼び出しが取り消されました。"},
    {10112, L"Database query rejected.", L"データベース クエリが拒否されました。"},
};

// Some English sentences end in a blank and one starts with a tab; they are shown so.
const ErrorText kShutdownTexts[] = {
    {10053, L"The virtual circuit was terminated due to a time-out or other failure. ", L"仮想回線はタイムアウトまたはその他の障害のために切断されました。"},
    {10054, L"The virtual circuit was reset by the remote side executing a hard or abortive close. ", L"強制終了または中止になる閉じる操作を実行するリモート側によって仮想回線がリセットされました。"},
    {10036, L"A blocking Windows Sockets 1.1 call is in progress, or the service provider is still processing a callback function.", L"ブロックしている Windows ソケット 1.1 呼び出しが進行中であるか、サービス プロバイダーがコールバック関数を処理しています。"},
    {10022, L"\tThe how parameter is not valid, or is not consistent with the socket type. ", L"パラメーターが無効であるか、ソケットの種類と一致していません。"},
    {10050, L"The network subsystem has failed.", L"ネットワーク サブシステムが失敗しました。"},
    {10057, L"The socket is not connected. ", L"ソケットは接続されていません。"},
    {10038, L"The descriptor is not a socket.", L"ソケットではありません。"},
};

constexpr int kAddressInUse = 10048;

const wchar_t* find_text(const ErrorText* table, size_t count, int code, bool japanese) {
    for (size_t i = 0; i < count; ++i)
        if (table[i].code == code) return japanese ? table[i].japanese : table[i].english;
    return japanese ? L"その他エラー" : L"Other errors";
}

bool japanese_texts() { return g_settings.moji_type == 0; }

} // namespace

const wchar_t* winsock_error_sentence(int code, bool japanese, bool address_hint) {
    if (code == kAddressInUse) {
        if (address_hint)
            return japanese ? L"IPアドレス＋ポート番号は既に使用されています。\r\n 約２分後に再度試してみて下さい"
                            : L"Address is already in use.\r\n Please try again in about 2 minutes";
        return japanese ? L"IPアドレス＋ポート番号は既に使用されています。" : L"Address is already in use.";
    }
    return find_text(kWinsockTexts, sizeof kWinsockTexts / sizeof kWinsockTexts[0], code, japanese);
}

const wchar_t* shutdown_error_sentence(int code, bool japanese) {
    return find_text(kShutdownTexts, sizeof kShutdownTexts / sizeof kShutdownTexts[0], code, japanese);
}

void winsock_error_text(int code, const wchar_t* operation, wchar_t* out, size_t out_chars) {
    // A busy address the user chose may free itself when the old connection has timed out;
    // for a connect the address in use is not the user's choice, so no hint.
    bool hint = g_settings.bind_mode == 1 && wcscmp(operation, L"connect") != 0;
    swprintf(out, out_chars, L"%ls", winsock_error_sentence(code, japanese_texts(), hint));
}

void socket_error_texts(int code, const wchar_t* operation, wchar_t caption[kSocketTextChars],
                        wchar_t message[kSocketTextChars]) {
    wchar_t sentence[kSocketTextChars];
    swprintf(caption, kSocketTextChars, L"%ls_Error", operation);
    winsock_error_text(code, operation, sentence, kSocketTextChars);
    swprintf(message, kSocketTextChars, L"No.%d :%ls", code, sentence);
}

void report_socket_error(const wchar_t* operation, HWND owner) {
    wchar_t caption[kSocketTextChars];
    wchar_t message[kSocketTextChars];
    socket_error_texts(WSAGetLastError(), operation, caption, message);
    show_message_box(owner, message, caption, MB_OK);
}

void report_shutdown_error(int side) {
    int code = WSAGetLastError();
    wchar_t message[kSocketTextChars];
    swprintf(message, kSocketTextChars, L"No.%d :%ls", code, shutdown_error_sentence(code, japanese_texts()));
    show_message_box(nullptr, message, side == kShutdownClient ? L"Shutdown(c)" : L"Shutdown(p)", MB_OK);
}

#include "comm/tls_client.h"

#include "app/seams.h"
#include "app/settings.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "app/tick.h"
#include "comm/connection.h"
#include "comm/tls_records.h"
#include "comm/tls_settings.h"
#include "comm/tls_trust.h"

#define SECURITY_WIN32
#define SCHANNEL_USE_BLACKLISTS
#include <subauth.h>
#include <bcrypt.h>
#include <schannel.h>
#include <security.h>
#include <sspi.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <string>

namespace {

constexpr wchar_t kCaption[] = L"TLS";
constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                ISC_REQ_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                ISC_REQ_MANUAL_CRED_VALIDATION;
constexpr int kWaitSliceMs = 20;      // the window's messages are looked at this often
constexpr int kSummaryChars = 128;
constexpr BYTE kAlertRecord = 21;     // the record type of alerts, close_notify among them
constexpr DWORD kOldProtocols = SP_PROT_SSL2_CLIENT | SP_PROT_SSL3_CLIENT | SP_PROT_TLS1_0_CLIENT |
                                SP_PROT_TLS1_1_CLIENT;

struct Session {
    std::mutex lock;         // the context: sealing, opening and the close
    bool has_credentials = false;
    CredHandle credentials{};
    bool has_context = false;
    CtxtHandle context{};
    bool active = false;     // established and trusted
    SOCKET socket = INVALID_SOCKET;
    TlsStreamSizes sizes{};
    TlsInbox inbox{};        // the handshake's bytes too
    uint8_t seal[kTlsSealBytes];
    wchar_t target[kServerNameChars] = {};
    wchar_t summary[kSummaryChars] = {};
};

Session g_tls;

// ---- waiting without freezing the window -------------------------------------------

// Dispatches what has come for this thread's windows; a quit is left for the message loop.
bool pump_messages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

enum class Wait { kReadable, kTimeUp, kQuit };

Wait wait_readable(SOCKET s, uint32_t deadline) {
    for (;;) {
        if (!pump_messages()) return Wait::kQuit;
        const int32_t left = static_cast<int32_t>(deadline - tick_now());
        if (left <= 0) return Wait::kTimeUp;
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval slice{0, (left < kWaitSliceMs ? left : kWaitSliceMs) * 1000};
        if (select(0, &set, nullptr, nullptr, &slice) != 0) return Wait::kReadable; // an error shows in the receive
    }
}

bool send_all(SOCKET s, const uint8_t* bytes, size_t count) {
    while (count > 0) {
        int n = send(s, reinterpret_cast<const char*>(bytes), static_cast<int>(count), 0);
        if (n == SOCKET_ERROR || n == 0) return false;
        bytes += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

bool send_sink(void* context, const uint8_t* bytes, size_t count) {
    return send_all(*static_cast<SOCKET*>(context), bytes, count);
}

// Sends a token the system made and frees it.
bool send_token(SOCKET s, SecBuffer& token) {
    bool ok = true;
    if (token.pvBuffer && token.cbBuffer > 0) ok = send_all(s, static_cast<uint8_t*>(token.pvBuffer), token.cbBuffer);
    if (token.pvBuffer) FreeContextBuffer(token.pvBuffer);
    token.pvBuffer = nullptr;
    token.cbBuffer = 0;
    return ok;
}

// ---- handshake ---------------------------------------------------------------------

SECURITY_STATUS acquire_credentials() {
    // The system's own protocols (TLS 1.3 where it has it); the certificate is checked here.
    const DWORD flags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
    SCH_CREDENTIALS modern{};
    modern.dwVersion = SCH_CREDENTIALS_VERSION;
    modern.dwFlags = flags;
    TimeStamp expiry;
    SECURITY_STATUS status = AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W),
                                                       SECPKG_CRED_OUTBOUND, nullptr, &modern, nullptr, nullptr,
                                                       &g_tls.credentials, &expiry);
    if (status != SEC_E_OK) {
        // Systems before the newer structure know only the older one.
        SCHANNEL_CRED older{};
        older.dwVersion = SCHANNEL_CRED_VERSION;
        older.dwFlags = flags;
        status = AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND, nullptr,
                                           &older, nullptr, nullptr, &g_tls.credentials, &expiry);
    }
    g_tls.has_credentials = status == SEC_E_OK;
    return status;
}

// One call of the handshake's step function with `input` bytes (none on the first call).
// Leaves what the system did not use at the front of the inbox.
SECURITY_STATUS handshake_step(SOCKET s, bool first) {
    TlsInbox& in = g_tls.inbox;
    SecBuffer input[2] = {{static_cast<unsigned long>(in.used), SECBUFFER_TOKEN, in.bytes},
                          {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc input_desc{SECBUFFER_VERSION, 2, input};
    SecBuffer output[1] = {{0, SECBUFFER_TOKEN, nullptr}};
    SecBufferDesc output_desc{SECBUFFER_VERSION, 1, output};
    unsigned long attributes = 0;
    SECURITY_STATUS status = InitializeSecurityContextW(
        &g_tls.credentials, first ? nullptr : &g_tls.context, g_tls.target, kContextFlags, 0, 0,
        first ? nullptr : &input_desc, 0, first ? &g_tls.context : nullptr, &output_desc, &attributes, nullptr);
    if (first && (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED)) g_tls.has_context = true;
    // Keep everything: read more, or (asked for a certificate we do not have) call again.
    if (status == SEC_E_INCOMPLETE_MESSAGE || status == SEC_I_INCOMPLETE_CREDENTIALS) return status;
    // A failed step may still carry an alert for the peer.
    if (!send_token(s, output[0]) && (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED))
        return SEC_E_INTERNAL_ERROR;
    if (!first) {
        const size_t extra = input[1].BufferType == SECBUFFER_EXTRA ? input[1].cbBuffer : 0;
        if (extra > 0 && extra <= in.used) std::memmove(in.bytes, in.bytes + in.used - extra, extra);
        in.used = extra <= in.used ? extra : 0;
    }
    return status;
}

enum class Handshake { kDone, kTimeUp, kFailed };

Handshake run_handshake(SOCKET s, SECURITY_STATUS* failure) {
    const uint32_t deadline = tick_now() + kTlsHandshakeLimitMs;
    tls_inbox_reset(g_tls.inbox);
    SECURITY_STATUS status = handshake_step(s, true);
    bool need_bytes = true;
    while (status == SEC_I_CONTINUE_NEEDED || status == SEC_E_INCOMPLETE_MESSAGE ||
           status == SEC_I_INCOMPLETE_CREDENTIALS) {
        if (need_bytes || status == SEC_E_INCOMPLETE_MESSAGE) {
            Wait w = wait_readable(s, deadline);
            if (w == Wait::kTimeUp) return Handshake::kTimeUp;
            if (w == Wait::kQuit) {
                *failure = SEC_E_INTERNAL_ERROR;
                return Handshake::kFailed;
            }
            size_t room = 0;
            uint8_t* space = tls_inbox_space(g_tls.inbox, &room);
            int n = room ? recv(s, reinterpret_cast<char*>(space), static_cast<int>(room), 0) : SOCKET_ERROR;
            if (n <= 0) {
                *failure = n == 0 ? SEC_E_CONTEXT_EXPIRED : SEC_E_INTERNAL_ERROR;
                return Handshake::kFailed;
            }
            tls_inbox_received(g_tls.inbox, static_cast<size_t>(n));
        }
        if (static_cast<int32_t>(deadline - tick_now()) <= 0) return Handshake::kTimeUp;
        status = handshake_step(s, false);
        need_bytes = g_tls.inbox.used == 0 && status != SEC_I_INCOMPLETE_CREDENTIALS;
    }
    *failure = status;
    // Bytes after the handshake are the first records of data: they stay in the inbox.
    return status == SEC_E_OK ? Handshake::kDone : Handshake::kFailed;
}

// "TLS 1.2 TLS_ECDHE_..." from what the context says; false for a protocol below 1.2.
bool describe_connection() {
    SecPkgContext_ConnectionInfo info{};
    if (QueryContextAttributesW(&g_tls.context, SECPKG_ATTR_CONNECTION_INFO, &info) != SEC_E_OK) return false;
    const wchar_t* protocol = info.dwProtocol & SP_PROT_TLS1_3_CLIENT   ? L"TLS 1.3"
                              : info.dwProtocol & SP_PROT_TLS1_2_CLIENT ? L"TLS 1.2"
                                                                        : L"TLS below 1.2";
    SecPkgContext_CipherInfo cipher{};
    cipher.dwVersion = SECPKGCONTEXT_CIPHERINFO_V1;
    if (QueryContextAttributesW(&g_tls.context, SECPKG_ATTR_CIPHER_INFO, &cipher) == SEC_E_OK &&
        cipher.szCipherSuite[0]) {
        // "TLS_ECDHE_..." behind "TLS 1.2" says TLS twice.
        const wchar_t* suite = cipher.szCipherSuite;
        if (!wcsncmp(suite, L"TLS_", 4)) suite += 4;
        swprintf(g_tls.summary, kSummaryChars, L"%ls %ls", protocol, suite);
    } else {
        swprintf(g_tls.summary, kSummaryChars, L"%ls cipher 0x%04X/%lu bits, hash 0x%04X, exchange 0x%04X", protocol,
                 info.aiCipher, info.dwCipherStrength, info.aiHash, info.aiExch);
    }
    return (info.dwProtocol & kOldProtocols) == 0 && (info.dwProtocol & ~kOldProtocols) != 0;
}

bool read_stream_sizes() {
    SecPkgContext_StreamSizes sizes{};
    if (QueryContextAttributesW(&g_tls.context, SECPKG_ATTR_STREAM_SIZES, &sizes) != SEC_E_OK) return false;
    g_tls.sizes = {static_cast<uint32_t>(sizes.cbHeader), static_cast<uint32_t>(sizes.cbTrailer),
                   static_cast<uint32_t>(sizes.cbMaximumMessage)};
    return tls_sizes_usable(g_tls.sizes);
}

// ---- the certificate ---------------------------------------------------------------

bool sha256(const BYTE* bytes, DWORD count, Fingerprint& out) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) return false;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ok = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0 &&
              BCryptHashData(hash, const_cast<BYTE*>(bytes), count, 0) == 0 &&
              BCryptFinishHash(hash, out.bytes, kFingerprintBytes, 0) == 0;
    if (hash) BCryptDestroyHash(hash);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return ok;
}

// The system's chain check for a server of the name asked for.
bool chain_trusted(PCCERT_CONTEXT cert) {
    LPSTR usage[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usage;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, cert, nullptr, cert->hCertStore, &para, 0, nullptr, &chain)) return false;
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = g_tls.target;
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    bool ok = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status) &&
              status.dwError == 0;
    CertFreeCertificateChain(chain);
    return ok;
}

std::wstring name_text(PCCERT_CONTEXT cert, const CERT_NAME_BLOB* name) {
    wchar_t text[512];
    DWORD n =
        CertNameToStrW(cert->dwCertEncodingType, const_cast<CERT_NAME_BLOB*>(name), CERT_X500_NAME_STR, text, 512);
    return n > 1 ? text : L"?";
}

std::wstring time_text(const FILETIME& time) {
    SYSTEMTIME t;
    if (!FileTimeToSystemTime(&time, &t)) return L"?";
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u UTC", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
    return text;
}

// In two lines of 16 pairs: a message box cuts a longer line off at its edge. The console
// gets it whole, as --pin takes it.
std::wstring print_text(const Fingerprint& print) {
    char text[kFingerprintChars];
    format_fingerprint(print, text);
    if (g_tls_run.console) return std::wstring(text, text + std::strlen(text));
    const size_t half = kFingerprintChars / 2; // just after the 16th pair's colon
    return std::wstring(text, text + half) + L"\r\n" + std::wstring(text + half, text + std::strlen(text));
}

// Subject, issuer, validity and fingerprint, one to a line.
std::wstring describe_certificate(PCCERT_CONTEXT cert, const Fingerprint& print) {
    const CERT_INFO* info = cert->pCertInfo;
    return std::wstring(text_entry(kTextTlsSubject)) + L": " + name_text(cert, &info->Subject) + L"\r\n" +
           text_entry(kTextTlsIssuer) + L": " + name_text(cert, &info->Issuer) + L"\r\n" +
           text_entry(kTextTlsValid) + L": " + time_text(info->NotBefore) + L" - " + time_text(info->NotAfter) +
           L"\r\nSHA-256:\r\n" + print_text(print);
}

// Whether the connection may go on with this certificate; asks, pins and warns as needed.
bool trust_peer(HWND owner, const sockaddr_in& peer) {
    PCCERT_CONTEXT cert = nullptr;
    if (QueryContextAttributesW(&g_tls.context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &cert) != SEC_E_OK || !cert) {
        show_message_box(owner, (std::wstring(text_entry(kTextTlsFailed)) + L"\r\n(no certificate)").c_str(),
                         kCaption, MB_OK | MB_ICONERROR);
        return false;
    }
    TrustFacts facts;
    bool ok = sha256(cert->pbCertEncoded, cert->cbCertEncoded, facts.seen);
    const uint8_t* octets = reinterpret_cast<const uint8_t*>(&peer.sin_addr);
    char key[32];
    known_key(octets, ntohs(peer.sin_port), key, sizeof key);
    facts.chain_trusted = ok && chain_trusted(cert);
    facts.trust_system = !g_tls_run.console || g_tls_run.trust_system;
    facts.has_stored = read_known_pin(key, facts.stored);
    facts.has_given = g_tls_run.has_pin;
    facts.given = g_tls_run.pin;
    facts.may_ask = !g_tls_run.console;
    const TrustDecision decision = ok ? trust_decision(facts) : TrustDecision{TrustVerdict::kRefuse, nullptr};
    const std::wstring about = describe_certificate(cert, facts.seen);
    CertFreeCertificateContext(cert);

    switch (decision.verdict) {
    case TrustVerdict::kAccept:
        return true;
    case TrustVerdict::kAsk: {
        std::wstring text = std::wstring(text_entry(kTextTlsQuestion)) + L"\r\n\r\n" + about + L"\r\n\r\n" +
                            text_entry(kTextTlsQuestionEnd);
        if (show_message_box(owner, text.c_str(), kCaption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return false;
        write_known_pin(key, facts.seen);
        return true;
    }
    case TrustVerdict::kChanged: {
        std::wstring text = std::wstring(text_entry(kTextTlsChanged)) + L"\r\n\r\n" + text_entry(kTextTlsPinned) +
                            L":\r\n" + print_text(*decision.expected) + L"\r\n" + about;
        show_message_box(owner, text.c_str(), kCaption, MB_OK | MB_ICONWARNING);
        return false;
    }
    case TrustVerdict::kRefuse:
        show_message_box(owner,
                         (L"certificate neither pinned nor trusted by the system (--pin, --trust-system)\r\n" + about)
                             .c_str(),
                         kCaption, MB_OK | MB_ICONERROR);
        return false;
    }
    return false;
}

// ---- sealing and opening -----------------------------------------------------------

size_t seal_record(void*, uint8_t* record, size_t data_length, long* error) {
    const TlsStreamSizes& z = g_tls.sizes;
    SecBuffer buffers[4] = {{z.header, SECBUFFER_STREAM_HEADER, record},
                            {static_cast<unsigned long>(data_length), SECBUFFER_DATA, record + z.header},
                            {z.trailer, SECBUFFER_STREAM_TRAILER, record + z.header + data_length},
                            {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
    SECURITY_STATUS status = EncryptMessage(&g_tls.context, 0, &desc, 0);
    if (status != SEC_E_OK) {
        *error = status;
        return 0;
    }
    return buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
}

// The peer asks for a new handshake step after the handshake (TLS 1.3 session tickets):
// the bytes after the record go to the step function. Returns the bytes it left over, or
// -1 when the step failed.
long after_handshake_step(uint8_t* rest, size_t count) {
    SecBuffer input[2] = {{static_cast<unsigned long>(count), SECBUFFER_TOKEN, rest}, {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc input_desc{SECBUFFER_VERSION, 2, input};
    SecBuffer output[1] = {{0, SECBUFFER_TOKEN, nullptr}};
    SecBufferDesc output_desc{SECBUFFER_VERSION, 1, output};
    unsigned long attributes = 0;
    SECURITY_STATUS status = InitializeSecurityContextW(&g_tls.credentials, &g_tls.context, g_tls.target,
                                                        kContextFlags, 0, 0, &input_desc, 0, nullptr, &output_desc,
                                                        &attributes, nullptr);
    send_token(g_tls.socket, output[0]);
    if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED) return -1;
    // What it left over is the end of the bytes, where the inbox looks for it.
    return input[1].BufferType == SECBUFFER_EXTRA ? static_cast<long>(input[1].cbBuffer) : 0;
}

TlsOpened open_record(void*, uint8_t* bytes, size_t length) {
    TlsOpened opened{TlsOpenStatus::kFailed, 0, 0, 0, 0};
    const BYTE record_type = bytes[0];
    SecBuffer buffers[4] = {{static_cast<unsigned long>(length), SECBUFFER_DATA, bytes},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
    SECURITY_STATUS status = DecryptMessage(&g_tls.context, &desc, 0, nullptr);
    if (status == SEC_E_INCOMPLETE_MESSAGE) {
        opened.status = TlsOpenStatus::kIncomplete;
        return opened;
    }
    if (status == SEC_I_CONTEXT_EXPIRED) {
        opened.status = TlsOpenStatus::kClosed;
        return opened;
    }
    if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE) {
        opened.error = status;
        return opened;
    }
    const SecBuffer* data = nullptr;
    for (const SecBuffer& b : buffers) {
        if (b.BufferType == SECBUFFER_DATA && !data) data = &b;
        if (b.BufferType == SECBUFFER_EXTRA) opened.extra = b.cbBuffer;
    }
    if (data && data->cbBuffer > 0) {
        opened.plain_offset = static_cast<size_t>(static_cast<uint8_t*>(data->pvBuffer) - bytes);
        opened.plain_length = data->cbBuffer;
    } else if (status == SEC_E_OK && record_type == kAlertRecord) {
        // Some systems give the close_notify as an alert record without data.
        opened.status = TlsOpenStatus::kClosed;
        return opened;
    }
    if (status == SEC_I_RENEGOTIATE) {
        long left = after_handshake_step(bytes + length - opened.extra, opened.extra);
        if (left < 0) {
            opened.error = status;
            return opened;
        }
        opened.extra = static_cast<size_t>(left);
    }
    opened.status = TlsOpenStatus::kRecord;
    return opened;
}

const TlsTransform kTransform = {nullptr, open_record, seal_record};

void release() {
    if (g_tls.has_context) DeleteSecurityContext(&g_tls.context);
    if (g_tls.has_credentials) FreeCredentialsHandle(&g_tls.credentials);
    g_tls.has_context = false;
    g_tls.has_credentials = false;
    g_tls.active = false;
    g_tls.socket = INVALID_SOCKET;
}

void fail_box(HWND owner, int entry, const wchar_t* detail) {
    std::wstring text = text_entry(entry);
    if (detail && *detail) text += std::wstring(L"\r\n") + detail;
    show_message_box(owner, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
}

} // namespace

bool tls_wanted() {
    const bool tip_client = g_settings.tipudp_mode == 0 && g_settings.ip_mode == 0;
    return tip_client && (g_tls_settings.tls_on == 1 || g_tls_run.forced_on);
}

bool tls_start(HWND owner, SOCKET s, const sockaddr_in& peer) {
    std::lock_guard<std::mutex> guard(g_tls.lock);
    release();
    g_tls.socket = s;
    g_tls.summary[0] = 0;
    if (g_tls_settings.server_name[0]) {
        wcsncpy(g_tls.target, g_tls_settings.server_name, kServerNameChars - 1);
        g_tls.target[kServerNameChars - 1] = 0;
    } else {
        const uint8_t* o = reinterpret_cast<const uint8_t*>(&peer.sin_addr);
        swprintf(g_tls.target, kServerNameChars, L"%u.%u.%u.%u", o[0], o[1], o[2], o[3]);
    }
    wchar_t detail[64] = {};
    SECURITY_STATUS status = acquire_credentials();
    Handshake result = Handshake::kFailed;
    if (status == SEC_E_OK) {
        // Input to the window waits; its painting and timers go on.
        const bool was_enabled = owner && IsWindowEnabled(owner);
        if (was_enabled) EnableWindow(owner, FALSE);
        result = run_handshake(s, &status);
        if (was_enabled) EnableWindow(owner, TRUE);
    }
    if (result == Handshake::kTimeUp) {
        fail_box(owner, kTextTlsTimeout, nullptr);
        release();
        return false;
    }
    if (result == Handshake::kFailed) {
        swprintf(detail, 64, L"0x%08lX", static_cast<unsigned long>(status));
    } else if (!describe_connection()) {
        wcsncpy(detail, g_tls.summary, 63);
    } else if (!read_stream_sizes()) {
        wcscpy(detail, L"stream sizes");
    }
    if (detail[0]) {
        fail_box(owner, kTextTlsFailed, detail);
        release();
        return false;
    }
    if (!trust_peer(owner, peer)) {
        release();
        return false;
    }
    g_tls.active = true;
    return true;
}

bool tls_active() { return g_tls.active; }

const wchar_t* tls_summary() { return g_tls.summary; }

bool tls_receive_ready() { return tls_inbox_ready(g_tls.inbox); }

int tls_receive(SOCKET s, uint8_t* buffer, int capacity) {
    for (bool received = false;; received = true) {
        size_t taken = 0;
        TlsTake take;
        {
            std::lock_guard<std::mutex> guard(g_tls.lock);
            take = tls_inbox_take(g_tls.inbox, kTransform, buffer, static_cast<size_t>(capacity), &taken);
        }
        if (take == TlsTake::kData) return static_cast<int>(taken);
        if (take == TlsTake::kClosed) return 0;
        if (take == TlsTake::kFailed) {
            WSASetLastError(WSAECONNABORTED);
            return SOCKET_ERROR;
        }
        if (received) {
            WSASetLastError(WSAEWOULDBLOCK);
            return SOCKET_ERROR;
        }
        // The caller found the socket readable: this receive does not wait.
        size_t room = 0;
        uint8_t* space = tls_inbox_space(g_tls.inbox, &room);
        int n = recv(s, reinterpret_cast<char*>(space), static_cast<int>(room), 0);
        if (n <= 0) return n;
        tls_inbox_received(g_tls.inbox, static_cast<size_t>(n));
    }
}

int tls_send(SOCKET s, const uint8_t* bytes, int length) {
    if (length <= 0) return 0;
    std::lock_guard<std::mutex> guard(g_tls.lock);
    if (!g_tls.active) return WSAENOTCONN;
    long result = tls_seal_all(g_tls.sizes, kTransform, bytes, static_cast<size_t>(length), g_tls.seal, send_sink, &s);
    if (result == 0) return 0;
    // -1: the socket refused (its code is set); else the system could not seal.
    int code = result == -1 ? WSAGetLastError() : 0;
    return code ? code : WSAECONNABORTED;
}

void tls_close_notify(SOCKET s) {
    std::lock_guard<std::mutex> guard(g_tls.lock);
    if (!g_tls.active || s == INVALID_SOCKET) return;
    DWORD kind = SCHANNEL_SHUTDOWN;
    SecBuffer control[1] = {{sizeof kind, SECBUFFER_TOKEN, &kind}};
    SecBufferDesc control_desc{SECBUFFER_VERSION, 1, control};
    if (ApplyControlToken(&g_tls.context, &control_desc) != SEC_E_OK) return;
    SecBuffer output[1] = {{0, SECBUFFER_TOKEN, nullptr}};
    SecBufferDesc output_desc{SECBUFFER_VERSION, 1, output};
    unsigned long attributes = 0;
    InitializeSecurityContextW(&g_tls.credentials, &g_tls.context, g_tls.target, kContextFlags, 0, 0, nullptr, 0,
                               nullptr, &output_desc, &attributes, nullptr);
    send_token(s, output[0]);
}

void tls_end() {
    std::lock_guard<std::mutex> guard(g_tls.lock);
    release();
    tls_inbox_reset(g_tls.inbox);
}

// The user's choices that outlive a run, kept in "Tarvik.ini" (section "Tarvik") in the
// start directory: read while the main window is made, written while it is destroyed.
// Field names are the INI keys.
#pragma once

constexpr int kMacroNameChars = 260;

struct Settings {
    int wsa_ver = 3;        // Winsock version: 1 = 1.0, 2 = 1.1, 3 = 2.0, 4 = 2.2, other = 2.0
    int ip_mode = 0;        // 0 client, 1 server
    int tipudp_mode = 0;    // 0 TCP ("TIP"), 1 UDP
    int bind_mode = 0;      // 0 any local address, 1 the local address below
    int port_no = 1050;     // peer port
    int ip_no1 = 192;       // peer address, most significant octet first
    int ip_no2 = 168;
    int ip_no3 = 0;
    int ip_no4 = 1;
    int aport_no = 1050;    // local port
    int aip_no1 = 192;      // local address
    int aip_no2 = 168;
    int aip_no3 = 0;
    int aip_no4 = 99;
    int scrol_pitch = 2;    // dump lines per scroll step
    int hexasc_komoji = 0;  // 1: macro checksums in lower-case hexadecimal
    int auto_foucs_OFF = 0; // 1: the input screens do not take the focus back by timer
    int pl_time = 300;      // refresh timer period, milliseconds
    int moji_type = 0;      // language: 0 Japanese, 1 English, 2 Korean, 3 Chinese
    wchar_t macro_filename[kMacroNameChars] = {};
    int dlg4_short = 0;     // input send dialog opens short
    int dlg5_short = 0;     // preset send dialog opens narrow
    int pw_mode = 0;        // start the ID/password typing tool beside IP change batch files
};

extern Settings g_settings;

void load_settings();
void save_settings();

// The modes as the connection code reads them: any value but 0 counts as the second choice.
inline bool server_mode() { return g_settings.ip_mode != 0; }
inline bool udp_mode() { return g_settings.tipudp_mode != 0; }

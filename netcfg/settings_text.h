// The text forms of the connection settings as the connection settings dialog shows and
// reads them: the Winsock version code and the numbers typed into its fields.
#pragma once

// How many characters of a field are read when it is stored.
constexpr int kVersionChars = 3; // "2.2"
constexpr int kOctetChars = 3;
constexpr int kPortChars = 5;

// Plain decimal conversion of at most max_chars characters of text: leading white space
// is skipped, an optional sign is taken, then digits up to the first other character.
// No digits give 0. No range check: "256" gives 256 and "-1" gives -1.
int parse_field_number(const wchar_t* text, int max_chars);

// "1.0" gives 1, "1.1" gives 2, "2.2" gives 4; anything else (read as its first three
// characters) gives 3, the code of version 2.0.
int wsa_ver_from_text(const wchar_t* text);
// The text shown for a wsa_ver code: 1 "1.0", 2 "1.1", 4 "2.2", any other "2.0".
const wchar_t* wsa_ver_text(int wsa_ver);

// Which fields of the dialog the user may edit for a mode and binding.
struct FieldEnabling {
    bool local_address; // the four local octets
    bool local_port;
    bool peer;          // the four peer octets and the peer port
};

// The local address matters only when bound to it; the local port whenever a server
// listens on it or a client binds it; the peer only to a client.
FieldEnabling field_enabling(bool server, bool bind_valid);

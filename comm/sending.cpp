#include "comm/sending.h"

int send_bytes(int destination, const uint8_t* bytes, int length) {
    (void)destination;
    (void)bytes;
    (void)length;
    return 10057;
}

bool send_to_address(int destination, uint8_t octets[4]) {
    (void)destination;
    (void)octets;
    return false;
}

int send_from_macro(int destination, const uint8_t* bytes, int length) { return send_bytes(destination, bytes, length); }

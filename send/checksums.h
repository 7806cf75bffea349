// The checksums a macro can put into a frame. Plain functions over bytes, no platform
// header, so they are checked against their published check values directly.
#pragma once
#include <cstddef>
#include <cstdint>

// Reflected polynomial 0x8005, initial value 0xFFFF, no final XOR (Modbus RTU).
uint16_t crc16_modbus(const uint8_t* bytes, size_t length);
// Polynomial 0x1021, initial value 0xFFFF, not reflected, no final XOR.
uint16_t crc16_ccitt_false(const uint8_t* bytes, size_t length);
// Reflected polynomial 0x04C11DB7, initial value and final XOR 0xFFFFFFFF (HDLC, zip, PNG).
uint32_t crc32_iso_hdlc(const uint8_t* bytes, size_t length);
// The sum of the bytes modulo 256.
uint8_t sum8(const uint8_t* bytes, size_t length);

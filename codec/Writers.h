// Stop-bit writers onto a CCode: the request side of the wire format.
//
// Each writer reserves its bytes with CCode::AddLength and stores every byte
// it reserved; it returns false, writing nothing, when the buffer cannot grow.
#ifndef KESTREL_CODEC_WRITERS_H
#define KESTREL_CODEC_WRITERS_H

#include <cstdint>

#include "Code.h"

// Bytes the unsigned stop-bit form of value takes: 1 to 5.
int UInt32Size(uint32_t value);
// Bytes the signed stop-bit form of value takes: 1 to 7. Values outside
// -2^48 .. 2^48-1 take 7 bytes and keep only their low 49 bits.
int Int64Size(int64_t value);

// The value as exactly n 7-bit groups, most significant first, stop bit on the
// last. n must be 1 to 10.
bool WriteGroups(CCode& code, int64_t value, int n);
bool WriteUInt32(CCode& code, uint32_t value);
bool WriteInt64(CCode& code, int64_t value);
// A byte value as an unsigned stop-bit integer (200 becomes 01 C8).
bool WriteByteValue(CCode& code, unsigned char value);
// strlen(text) as an unsigned stop-bit integer, then the text's bytes as they
// are: no stop bit, no terminator.
bool WriteSizedString(CCode& code, const char* text);
// Raw bytes appended as they are.
bool WriteRawBytes(CCode& code, const char* bytes, int n);

#endif  // KESTREL_CODEC_WRITERS_H

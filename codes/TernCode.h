// TernCode texts (600000.SH, 0700.HK, IF1107.CFE) and their compact wire form.
#ifndef KESTREL_CODES_TERNCODE_H
#define KESTREL_CODES_TERNCODE_H

#include <cstddef>

#include "Code.h"
#include "codec/DecodeCode.h"

// Width of the code fields of the result records (29 characters and NUL).
inline constexpr size_t kTernCodeSize = 30;

// Reads one compact code and writes its text into dest of destSize bytes,
// cut to destSize - 1 characters. With fewer than two bytes left nothing is
// read, dest is left as it was and the cursor is marked exhausted.
void ReadTernCode(CDecodeCode& code, char* dest, size_t destSize);
template <size_t N>
inline void ReadTernCode(CDecodeCode& code, char (&dest)[N]) {
  ReadTernCode(code, dest, N);
}

// Appends the compact form of text: a segment id and offset when the number
// falls in a segment of the same suffix (the lowest id wins), the text form
// otherwise. Returns false only when no work copy of the text can be made.
bool WriteTernCode(CCode& code, const char* text);

#endif  // KESTREL_CODES_TERNCODE_H

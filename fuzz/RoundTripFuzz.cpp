// The writers and readers are inverses: every stop-bit integer and every
// canonical security code that the writers produce reads back identical.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "codec/DecodeCode.h"
#include "codec/Writers.h"
#include "codes/CodeTables.h"
#include "codes/TernCode.h"

namespace {

// Consumes bytes of the input.
struct Input {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool Done() const { return at >= size; }
  uint64_t Take(size_t n) {
    uint64_t value = 0;
    for (size_t i = 0; i < n; ++i) value = value << 8 | (at < size ? data[at++] : 0);
    return value;
  }
};

// The 49-bit two's-complement value that seven groups carry.
int64_t Within49Bits(int64_t value) {
  const auto low = static_cast<uint64_t>(value) & ((uint64_t{1} << 49) - 1);
  return static_cast<int64_t>(low << 15) >> 15;
}

// A canonical code from the input: a table code, a number with a listed
// suffix, or a text with an unlisted suffix (both with a letter in the
// number part, so that no segment claims them).
std::string CanonicalCode(Input& in) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  const int form = static_cast<int>(in.Take(1) % 3);
  if (form == 0) {
    const CodeSegment& segment = FindCodeSegment(static_cast<uint32_t>(in.Take(1) % 128));
    if (segment.suffix[0] == '\0') return "";
    const int64_t span = static_cast<int64_t>(segment.high) - segment.low + 1;
    const auto n = static_cast<int>(segment.low + static_cast<int64_t>(in.Take(4) % span));
    char text[32];
    std::snprintf(text, sizeof text, "%0*d.%s", segment.digits, n, segment.suffix);
    return text;
  }
  std::string number = "X";  // a letter keeps the text out of every segment
  const size_t length = 1 + in.Take(1) % 15;
  for (size_t i = 0; i < length; ++i) number += kAlphabet[in.Take(1) % 36];
  if (form == 1) {
    return number + "." + std::string(MarketSuffix(static_cast<int>(in.Take(1) % 29)));
  }
  return number + ".QQZ";  // a suffix that is not in the list
}

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  while (!in.Done()) {
    const auto wide = static_cast<int64_t>(in.Take(8));
    const auto narrow = static_cast<uint32_t>(in.Take(4));
    const std::string code = CanonicalCode(in);
    CCode out;
    WriteInt64(out, wide);
    WriteUInt32(out, narrow);
    if (!code.empty()) WriteTernCode(out, code.c_str());
    CDecodeCode reader(out.GetContent());
    reader.Frame(0, out.GetLength());
    Check(ReadInt64(reader) == Within49Bits(wide));
    Check(ReadUInt32(reader) == narrow);
    if (!code.empty()) {
      char text[kTernCodeSize] = {};
      ReadTernCode(reader, text);
      Check(code == text);
    }
    Check(reader.Position() == out.GetLength() && !reader.Exhausted());
  }
  return 0;
}

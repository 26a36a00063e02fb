// A per-thread memo of what classification found for recently seen codes.
//
// Security type and price unit factor depend on a code's text alone, and a
// host sees the same few thousand codes over and over (every quote update
// repeats its securities), so each thread remembers the answers for up to
// kMemoEntries codes, a market's worth. Codes longer than kMemoCodeRoom
// characters, and types longer than kMemoTypeRoom, are always worked out
// afresh. The memo is made on a thread's first classification and holds
// 448 KiB, and 32 KiB more for the texts of codes built from numbers.
#ifndef KESTREL_CODES_CODEMEMO_H
#define KESTREL_CODES_CODEMEMO_H

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestrel {

inline constexpr size_t kMemoCodeRoom = 23;
inline constexpr size_t kMemoTypeRoom = 15;
inline constexpr size_t kMemoEntries = 8192;

// What is known of one code; each part is filled the first time it is asked.
struct CodeFacts {
  bool typeKnown = false;
  bool factorKnown = false;
  uint8_t typeLength = 0;
  int8_t factor = 0;
  char type[kMemoTypeRoom] = {};
  // What the quote messages' blocks need of the code (decode/realtime): the
  // factor of its values, flags, and its futures or gold correction, whose
  // parts are all small.
  bool blockKnown = false;
  int8_t blockFactor = 0;
  uint8_t blockFlags = 0;  // kBlockHK | kBlockStopBitTimes | kBlockNoFix
  uint8_t fixSetADivisor = 1;
  uint8_t fixSetBMultiplier = 1;
  uint8_t fixSetBDivisor = 1;
  static constexpr uint8_t kBlockHK = 1;
  static constexpr uint8_t kBlockStopBitTimes = 2;
  static constexpr uint8_t kBlockNoFix = 4;

  std::string_view Type() const { return {type, typeLength}; }
  // Stores a type when it fits; a longer one stays unknown.
  void SetType(std::string_view text);
  void SetFactor(int value);
};

// The facts of `code` on this thread, made empty when the code was not
// remembered (possibly forgetting another); null when the code is too long
// to remember or no memo could be made.
CodeFacts* FactsOf(std::string_view code);

// The text of a code that its compact form builds from two numbers (a
// segment id and an offset), remembered per thread: building it (segment,
// padded number, suffix) costs far more than copying it.
struct BuiltCode {
  uint64_t key = 0;    // the id and offset, as BuiltCodeKey joins them
  uint8_t length = 0;  // 0 while not known: a built text is never empty
  char text[kMemoCodeRoom] = {};

  bool Known() const { return length != 0; }
  std::string_view Text() const { return {text, length}; }
  // Stores a text when it fits; a longer one stays unknown.
  void Set(std::string_view built);
};
constexpr uint64_t BuiltCodeKey(uint32_t id, uint32_t offset) {
  return (uint64_t{id} << 32) | offset;
}
// The slot of the pair on this thread, holding it or made empty for it
// (possibly forgetting another); null when no memo could be made.
BuiltCode* BuiltCodeOf(uint64_t key);

}  // namespace kestrel

#endif  // KESTREL_CODES_CODEMEMO_H

// A read cursor over a private, exact-size copy of some bytes, so that the
// sanitizers see any read of a decoder under test beyond them.
#ifndef KESTREL_TESTS_SUPPORT_CURSOR_H
#define KESTREL_TESTS_SUPPORT_CURSOR_H

#include <cstdint>
#include <vector>

#include "codec/DecodeCode.h"
#include "support/MessageBuilder.h"

namespace kt {

struct Cursor {
  explicit Cursor(const Bytes& bytes) : storage(bytes.begin(), bytes.end()), code(storage.data()) {
    code.Frame(0, static_cast<int>(storage.size()));
  }
  std::vector<char> storage;
  CDecodeCode code;
};

// Calls check(cursor, n) with a cursor over each proper prefix of n bytes.
template <typename Check>
void ForEachPrefix(const Bytes& bytes, Check check) {
  for (size_t n = 0; n < bytes.size(); ++n) {
    Cursor cursor(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)));
    check(cursor.code, static_cast<int>(n));
  }
}

// The result memory that the counts of a message of `bytes` bytes may
// grant at most (codec/WireCounts.h); `slack` covers a frame's prefix and
// type.
inline int64_t CountBudget(size_t bytes, size_t slack = 16) {
  return CDecodeCode::kCountBudgetPerByte * static_cast<int64_t>(bytes + slack) +
         CDecodeCode::kCountBudgetFixed;
}

}  // namespace kt

#endif  // KESTREL_TESTS_SUPPORT_CURSOR_H

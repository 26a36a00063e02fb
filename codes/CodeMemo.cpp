// The per-thread memo of code facts: a four-way set-associative table keyed
// by the code's text; within a set, entries give way to new codes in turn.
#include "codes/CodeMemo.h"

#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace kestrel {
namespace {

constexpr size_t kWays = 4;
constexpr size_t kSets = kMemoEntries / kWays;
static_assert((kSets & (kSets - 1)) == 0, "the set index is a mask of the hash");

// A code's text as a key: its characters, zero-padded, and its length.
struct Key {
  static constexpr size_t kWords = (kMemoCodeRoom + 1) / sizeof(uint64_t);
  uint64_t words[kWords] = {};

  bool operator==(const Key& other) const {
    return std::memcmp(words, other.words, sizeof words) == 0;
  }
};
static_assert(sizeof(Key) == kMemoCodeRoom + 1, "the last byte of the key holds the length");

struct Entry {
  Key key;
  bool used = false;
  CodeFacts facts;
};

static_assert(sizeof(Entry) == 56, "the memo's size in its header assumes 56-byte entries");

// Texts of codes built from numbers: direct-mapped, a pair that lands on a
// taken slot replaces it.
constexpr size_t kBuiltSlots = 1024;
static_assert((kBuiltSlots & (kBuiltSlots - 1)) == 0, "the slot index is a mask of the hash");
static_assert(sizeof(BuiltCode) == 32, "the memo's size in its header assumes 32-byte slots");

struct Memo {
  Entry sets[kSets][kWays];
  uint8_t next[kSets] = {};  // the way to replace next in each set
  BuiltCode built[kBuiltSlots];
};

thread_local std::unique_ptr<Memo> tMemo;

// The thread's memo, made on first use; null when no memory is left.
Memo* ThreadMemo() {
  if (!tMemo) tMemo.reset(new (std::nothrow) Memo);
  return tMemo.get();
}

constexpr uint64_t kMix = 0x9E3779B97F4A7C15ULL;  // 2^64 divided by the golden ratio

Key KeyOf(std::string_view code) {
  Key key;
  std::memcpy(key.words, code.data(), code.size());
  reinterpret_cast<unsigned char*>(key.words)[kMemoCodeRoom] =
      static_cast<unsigned char>(code.size());
  return key;
}

constexpr int kFoldRotation = 21;

size_t SetOf(const Key& key) {
  // The words folded together, rotated apart, then one multiplication.
  uint64_t folded = 0;
  int rotation = 0;
  for (const uint64_t word : key.words) {
    folded ^= rotation == 0 ? word : (word << rotation) | (word >> (64 - rotation));
    rotation += kFoldRotation;
  }
  return static_cast<size_t>((folded * kMix) >> 32) & (kSets - 1);
}

}  // namespace

void CodeFacts::SetType(std::string_view text) {
  if (text.size() > kMemoTypeRoom) return;
  std::memcpy(type, text.data(), text.size());
  typeLength = static_cast<uint8_t>(text.size());
  typeKnown = true;
}

void CodeFacts::SetFactor(int value) {
  if (value < std::numeric_limits<int8_t>::min() || value > std::numeric_limits<int8_t>::max()) {
    return;
  }
  factor = static_cast<int8_t>(value);
  factorKnown = true;
}

CodeFacts* FactsOf(std::string_view code) {
  if (code.size() > kMemoCodeRoom) return nullptr;
  Memo* const found = ThreadMemo();
  if (found == nullptr) return nullptr;
  Memo& memo = *found;
  const Key key = KeyOf(code);
  const size_t set = SetOf(key);
  Entry* ways = memo.sets[set];
  for (size_t way = 0; way < kWays; ++way) {
    if (ways[way].used && ways[way].key == key) return &ways[way].facts;
  }
  const size_t way = memo.next[set];
  memo.next[set] = static_cast<uint8_t>((way + 1) % kWays);
  ways[way] = Entry{key, true, CodeFacts{}};
  return &ways[way].facts;
}

void BuiltCode::Set(std::string_view built) {
  if (built.size() > kMemoCodeRoom) return;
  std::memcpy(text, built.data(), built.size());
  length = static_cast<uint8_t>(built.size());
}

BuiltCode* BuiltCodeOf(uint64_t key) {
  Memo* const memo = ThreadMemo();
  if (memo == nullptr) return nullptr;
  BuiltCode& slot = memo->built[static_cast<size_t>((key * kMix) >> 32) & (kBuiltSlots - 1)];
  if (slot.key != key || !slot.Known()) slot = BuiltCode{key, 0, {}};
  return &slot;
}

}  // namespace kestrel

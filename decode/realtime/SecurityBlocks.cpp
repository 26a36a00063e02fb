// The parts of the security walker that do not depend on its sink: the
// reading and classification of a block's code, the joining of the list
// records to a result, and the ending of a record walk.
#include "decode/realtime/SecurityBlocks.h"

#include "decode/realtime/QuoteSinks.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "KestrelCode.h"
#include "codec/DecodeCode.h"
#include "codes/CodeMemo.h"
#include "codes/CodeText.h"
#include "codes/TernCode.h"
#include "model/OwnedArray.h"

namespace {

// Bond real codes price with four decimals.
constexpr int kBondRealCodeFactor = 4;
// The working copy of a code for classification.
constexpr size_t kWorkingCodeSize = 32;

// Security types whose time fields (ids 2 and 127) travel as stop-bit
// integers; every other type sends them as two-byte packed times.
constexpr std::string_view kStopBitTimeTypes[] = {
    "fx", "gold", "FX", "GOLD", "sge", "SGE", "oversea_futures",
    "O",  "A",    "N",  "L",    "IB",  "BCE", "bce"};

constexpr std::string_view kHKType = "HK";

// The block half of a code's facts (codes/CodeMemo.h) from a classified
// block; when a part does not fit, nothing is remembered and the code is
// classified afresh each time.
void Remember(const kestrel::SecurityBlock& block, kestrel::CodeFacts& facts) {
  using Facts = kestrel::CodeFacts;
  constexpr int64_t kSmall = std::numeric_limits<uint8_t>::max();
  const kestrel::FixScale& fix = block.fix;
  const auto small = [&](int64_t part) { return part >= 0 && part <= kSmall; };
  if (block.factor < std::numeric_limits<int8_t>::min() ||
      block.factor > std::numeric_limits<int8_t>::max() || !small(fix.setADivisor) ||
      !small(fix.setBMultiplier) || !small(fix.setBDivisor)) {
    return;
  }
  facts.blockFactor = static_cast<int8_t>(block.factor);
  facts.blockFlags = static_cast<uint8_t>((block.hk ? Facts::kBlockHK : 0) |
                                          (block.stopBitTimes ? Facts::kBlockStopBitTimes : 0) |
                                          (fix.none ? Facts::kBlockNoFix : 0));
  facts.fixSetADivisor = static_cast<uint8_t>(fix.setADivisor);
  facts.fixSetBMultiplier = static_cast<uint8_t>(fix.setBMultiplier);
  facts.fixSetBDivisor = static_cast<uint8_t>(fix.setBDivisor);
  facts.blockKnown = true;
}

// A block set up from its code's remembered facts.
void Recall(const kestrel::CodeFacts& facts, kestrel::SecurityBlock& block) {
  using Facts = kestrel::CodeFacts;
  block.factor = facts.blockFactor;
  block.SetType(facts.Type());
  block.hk = (facts.blockFlags & Facts::kBlockHK) != 0;
  block.stopBitTimes = (facts.blockFlags & Facts::kBlockStopBitTimes) != 0;
  block.fix = kestrel::FixScale{(facts.blockFlags & Facts::kBlockNoFix) != 0, facts.fixSetADivisor,
                                facts.fixSetBMultiplier, facts.fixSetBDivisor};
}

// The thread's memo of blocks: the facts of a block by the bytes its code
// takes on the wire, so that a code seen before costs a comparison of its
// bytes and one copy instead of reading, classifying and scaling it again.
// ReadTernCode's text, and how far it moves, follow from the bytes it moves
// over alone when the code lies whole in the message: a code is kept only
// when it was read with at least kKeyRoom bytes left, took at most that
// many and did not run out of message, and is found again only with as
// many bytes left, all of its bytes compared.
//
// Four-way set associative over kBlockSets sets; within a set, entries give
// way to new codes in turn. 1,024 entries of 200 bytes: 200 KiB per thread
// that decodes quotes, made on its first quote and freed when the thread
// ends. A code's facts also depend on the client type of the latest login
// (bond codes keep their real form for one): when it changes, the memo
// starts afresh.
constexpr int kKeyRoom = kestrel::BlockRecall::kRoom;
constexpr int kWordBytes = CDecodeCode::kWordBytes;
constexpr int kKeyWords = kKeyRoom / kWordBytes;
constexpr size_t kBlockWays = 4;
constexpr int kSetBits = 8;
constexpr size_t kBlockSets = size_t{1} << kSetBits;

// The first kKeyRoom bytes at a code's start, as words.
using KeyWords = std::array<uint64_t, kKeyWords>;
KeyWords WordsAt(const char* start) {
  KeyWords words;
#pragma GCC unroll 3
  for (int k = 0; k < kKeyWords; ++k) words[k] = CDecodeCode::WordAt(start + k * kWordBytes);
  return words;
}

// kKeyRoom 0xff bytes, then as many zero bytes: the words from
// kKeyRoom - n on keep the first n bytes of a code's words.
struct KeepBytes {
  char bytes[2 * kKeyRoom];
  constexpr KeepBytes() : bytes() {
    for (int i = 0; i < kKeyRoom; ++i) bytes[i] = static_cast<char>(0xff);
  }
};
constexpr KeepBytes kKeep{};
uint64_t KeepWord(int bytes, int k) {
  return CDecodeCode::WordAt(kKeep.bytes + kKeyRoom - bytes + k * kWordBytes);
}

struct BlockEntry {
  KeyWords words{};    // the code's bytes, zero beyond them
  uint64_t bytes = 0;  // how many; 0 while the entry is unused
  kestrel::BlockFacts facts;

  bool Holds(const KeyWords& at) const {
    const int n = static_cast<int>(bytes);
    uint64_t differ = 0;
#pragma GCC unroll 3
    for (int k = 0; k < kKeyWords; ++k) differ |= (at[k] ^ words[k]) & KeepWord(n, k);
    return differ == 0 && n != 0;
  }
};
static_assert(sizeof(BlockEntry) == 200, "the memo's size above assumes 200-byte entries");

struct BlockMemo {
  BlockEntry sets[kBlockSets][kBlockWays];
  uint8_t next[kBlockSets] = {};  // the way to replace next in each set
  int64_t clientType = 0;         // of the login the entries were made under
};

// The thread's memo, found without a test of first use; null until the
// thread's first quote, and again once the thread has ended.
thread_local BlockMemo* tBlockMemo = nullptr;
thread_local bool tBlockMemoClosed = false;  // the thread is ending
// Frees the thread's memo when the thread ends.
struct BlockMemoOwner {
  std::unique_ptr<BlockMemo> memo;
  ~BlockMemoOwner() {
    tBlockMemo = nullptr;
    tBlockMemoClosed = true;
  }
};

// The set of a code: its first word up to the word's second stop byte (the
// end of a code built from two numbers, or of a text and its marker),
// multiplied, and the product's top bits, which every bit of the word
// reaches. In odd forms whose first word has a byte after the code in it,
// the code only misses when other bytes follow it.
size_t SetOf(uint64_t first) {
  constexpr uint64_t kMix = 0x9E3779B97F4A7C15ULL;  // 2^64 divided by the golden ratio
  const uint64_t stops = first & stopbit::kStopBits;
  const uint64_t later = stops & (stops - 1);
  const uint64_t second = later & (0 - later);  // 0: none, the whole word counts
  const uint64_t prefix = first & ((second << 1) - 1);
  return static_cast<size_t>((prefix * kMix) >> (stopbit::kWordBits - kSetBits));
}

// Keeps a block's facts under the `bytes` bytes of its code from `start`
// on, making the thread's memo on first use (nothing is kept when no memory
// is left).
void RememberBlock(const char* start, int bytes, const kestrel::BlockFacts& facts) {
  BlockMemo* memo = tBlockMemo;
  if (memo == nullptr) {
    if (tBlockMemoClosed) return;
    thread_local BlockMemoOwner owner;
    owner.memo.reset(new (std::nothrow) BlockMemo);
    memo = tBlockMemo = owner.memo.get();
    if (memo == nullptr) return;
  }
  if (memo->clientType != kestrel::LoginClientType()) {
    for (auto& ways : memo->sets) {
      for (BlockEntry& entry : ways) entry.bytes = 0;
    }
    memo->clientType = kestrel::LoginClientType();
  }
  KeyWords words = WordsAt(start);
  for (int k = 0; k < kKeyWords; ++k) words[k] &= KeepWord(bytes, k);
  const size_t set = SetOf(words[0]);
  const size_t way = memo->next[set];
  memo->next[set] = static_cast<uint8_t>((way + 1) % kBlockWays);
  memo->sets[set][way] = BlockEntry{words, static_cast<uint64_t>(bytes), facts};
}

}  // namespace

kestrel::BlockRecall::BlockRecall() : memo_(nullptr) {
  const BlockMemo* memo = tBlockMemo;
  if (memo != nullptr && memo->clientType == LoginClientType()) memo_ = memo;
}

kestrel::BlockRecall::Found kestrel::BlockRecall::Find(const char* at, int expected) const {
  if (memo_ == nullptr) return {nullptr, 0, false};
  const auto* memo = static_cast<const BlockMemo*>(memo_);
  const KeyWords words = WordsAt(at);
#pragma GCC unroll 4
  for (const BlockEntry& entry : memo->sets[SetOf(words[0])]) {
    if (entry.Holds(words)) {
      const auto bytes = static_cast<int>(entry.bytes);
      return {&entry.facts, bytes, bytes == expected};
    }
  }
  return {nullptr, 0, false};
}

namespace {

// Deep copies of the gathered records, side by side, handed to one of the
// result's list growths (AddNumHisDatas or AddNumL2OrderQueues).
template <typename Record>
void AddCopies(const std::vector<Record*>& records, CKestrelData* result,
               bool (CKestrelData::*addNum)(Record*, int)) {
  if (records.empty()) return;
  const auto n = static_cast<int>(records.size());
  // A working array of the result memory: the next message's batch reuses it.
  Record* batch = TryNewArray<kestrel::ResultArrays, Record>(n);
  if (batch == nullptr) return;  // no room: the records are left out
  for (int i = 0; i < n; ++i) batch[i] = *records[static_cast<size_t>(i)];
  (result->*addNum)(batch, n);
  ReleaseArray<kestrel::ResultArrays>(batch);
}

}  // namespace

void kestrel::PendingRecords::AddTo(CKestrelData* result) {
  try {
    AddCopies(series, result, &CKestrelData::AddNumHisDatas);
    AddCopies(queues, result, &CKestrelData::AddNumL2OrderQueues);
  } catch (const std::bad_alloc&) {
    // Called from a destructor, so nothing may pass: with no room for a
    // batch the records are left out, as when a growth of the result's
    // lists fails.
  }
}

void kestrel::BlockFacts::Classified() {
  hk = Type() == kHKType;
  stopBitTimes = std::find(std::begin(kStopBitTimeTypes), std::end(kStopBitTimeTypes), Type()) !=
                 std::end(kStopBitTimeTypes);
}

void CKestrelCode::ReadSecurityCode(kestrel::SecurityBlock& block, CDecodeCode& cursor) {
  // What the block gets from a code read with a key's room of message left
  // is remembered by the bytes the code took.
  const int start = cursor.Position();
  const bool keyed = start >= 0 && cursor.Remaining() >= kKeyRoom;
  const bool exhausted = cursor.Exhausted();
  ReadTernCode(cursor, block.code, kTernCodeSize);
  if (block.code[0] == '\0') return;
  // A feed sends the same securities message after message, and classifying
  // a code costs far more than finding it again in the thread's memo.
  kestrel::CodeFacts* facts = kestrel::FactsOf(block.code);
  if (facts != nullptr && facts->blockKnown && facts->typeKnown) {
    Recall(*facts, block);
  } else {
    std::string type;
    Decode_TernCode_Factor_SecurityType(block.code, &block.factor, &type, nullptr);
    block.SetType(type);
    block.Classified();
    block.fix = kestrel::FixScaleOf(block.code);
    // The classification may have replaced the code's entry: find it again.
    facts = kestrel::FactsOf(block.code);
    // Codes with lower-case letters and bond real codes are classified from
    // a converted copy unless the login's client type keeps the real form:
    // their facts depend on more than their text and are not remembered.
    const char* const first = block.code;
    const char* const end = first + std::strlen(first);
    const bool asSent = std::none_of(first, end, [](char c) { return c >= 'a' && c <= 'z'; }) &&
                        !IsBondRealCode(block.code);
    if (asSent && facts != nullptr && facts->typeKnown && facts->Type() == block.Type()) {
      Remember(block, *facts);
    }
  }
  block.fixKnown = true;
  block.SetFactor(block.factor);
  block.PlainMask();  // worked out once, and remembered with the rest
  const int taken = cursor.Position() - start;
  if (keyed && taken >= 1 && taken <= kKeyRoom && cursor.Exhausted() == exhausted) {
    RememberBlock(cursor.Buffer() + start, taken, block);
  }
}

void CKestrelCode::Decode_TernCode_Factor_SecurityType(char* code, int* factor,
                                                       std::string* securityType,
                                                       CDecodeCode* cursor) {
  // Without a cursor the code is already there.
  if (cursor != nullptr) ReadTernCode(*cursor, code, kTernCodeSize);
  if (code[0] == '\0') return;
  char copy[kWorkingCodeSize] = {};
  std::strncpy(copy, code, kWorkingCodeSize - 1);
  RealCodeToBondCode(copy);
  int unitFactor = GetPriceUnitFactor(copy);
  // Through the per-thread memo that FixFactor also consults, so a security
  // is classified once for its code and all its values.
  *securityType = FixFactorSecurityType(copy);
  if (IsBondRealCode(code)) unitFactor = kBondRealCodeFactor;
  *factor = unitFactor;
}

CKestrelData* CKestrelCode::DecodeRecords(kestrel::WalkEnd (*walk)(kestrel::QuoteRecordSink&,
                                                                   CDecodeCode&),
                                          CDecodeCode& code) {
  auto result = std::make_unique<CKestrelData>();
  kestrel::WalkEnd end;
  {
    // The sink adds the list records to the result when it dies.
    kestrel::QuoteRecordSink sink(result.get());
    end = walk(sink, code);
  }
  switch (end) {
    case kestrel::WalkEnd::kResult:
      break;
    case kestrel::WalkEnd::kEmptied:
      result->Clear();
      break;
    case kestrel::WalkEnd::kNoResult:
      return nullptr;
  }
  return result.release();
}

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

// The thread's memo of blocks: the facts of a block by the wire form of its
// code, so that a code seen before costs a comparison of its bytes and one
// copy instead of reading, classifying and scaling it again. Four-way set
// associative over kBlockSets sets; within a set, entries give way to new
// codes in turn. 1,024 entries of 200 bytes: 200 KiB per thread that
// decodes quotes, made on its first quote and freed when the thread ends.
// A code's facts also depend on the client type of the latest login (bond
// codes keep their real form for one): when it changes, the memo starts
// afresh.
constexpr size_t kBlockWays = 4;
constexpr size_t kBlockSets = 256;
static_assert((kBlockSets & (kBlockSets - 1)) == 0, "the set index is a mask of the hash");

// A wire form as the memo compares it: its words, then its byte count (at
// least two in a key, so an entry of zeros is unused).
using BlockKey = decltype(TernCodeWire::key);

struct BlockEntry {
  BlockKey key{};
  kestrel::BlockFacts facts;
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

bool SameKey(const BlockKey& a, const BlockKey& b) {
  uint64_t differ = 0;
  for (size_t k = 0; k < a.size(); ++k) differ |= a[k] ^ b[k];
  return differ == 0;
}

// The set of a key: its words folded together, rotated apart, then one
// multiplication whose top bits, which every bit of the fold reaches, pick
// the set.
constexpr int kSetBits = 8;
static_assert(size_t{1} << kSetBits == kBlockSets);
constexpr uint64_t RotateLeft(uint64_t word, int bits) {
  return bits == 0 ? word : (word << bits) | (word >> (64 - bits));
}
size_t SetOf(const BlockKey& key) {
  constexpr uint64_t kMix = 0x9E3779B97F4A7C15ULL;  // 2^64 divided by the golden ratio
  constexpr int kFoldRotation = 21;
  uint64_t folded = 0;
  for (size_t k = 0; k < key.size(); ++k) {
    folded ^= RotateLeft(key[k], static_cast<int>(k) * kFoldRotation);
  }
  return static_cast<size_t>((folded * kMix) >> (64 - kSetBits));
}

// Keeps a block's facts under the wire form of its code, making the
// thread's memo on first use (nothing is kept when no memory is left).
void RememberBlock(const BlockKey& key, const kestrel::BlockFacts& facts) {
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
      for (BlockEntry& entry : ways) entry.key = BlockKey{};
    }
    memo->clientType = kestrel::LoginClientType();
  }
  const size_t set = SetOf(key);
  const size_t way = memo->next[set];
  memo->next[set] = static_cast<uint8_t>((way + 1) % kBlockWays);
  memo->sets[set][way] = BlockEntry{key, facts};
}

// The facts of no code: what a block starts from before its code is read.
const kestrel::BlockFacts kNoCode{};

}  // namespace

const kestrel::BlockFacts& kestrel::RecalledBlock(CDecodeCode& code) {
  const BlockMemo* memo = tBlockMemo;
  TernCodeWire wire;
  if (memo == nullptr || !PeekTernCodeWire(code, wire) || memo->clientType != LoginClientType()) {
    return kNoCode;
  }
  for (const BlockEntry& entry : memo->sets[SetOf(wire.key)]) {
    if (SameKey(entry.key, wire.key)) {
      code.Advance(wire.Bytes());
      return entry.facts;
    }
  }
  return kNoCode;
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
  // What the block gets from a code whose wire form lies whole in the
  // message is remembered by that form, once the code has been read over
  // exactly those bytes.
  TernCodeWire wire{};
  const bool keyed = PeekTernCodeWire(cursor, wire);
  const int start = cursor.Position();
  const bool exhausted = cursor.Exhausted();
  ReadTernCode(cursor, block.code, kTernCodeSize);
  if (block.code[0] == '\0') return;
  block.codeLength = static_cast<uint8_t>(std::strlen(block.code));
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
    const char* const end = first + block.codeLength;
    const bool asSent = std::none_of(first, end, [](char c) { return c >= 'a' && c <= 'z'; }) &&
                        !IsBondRealCode(block.code);
    if (asSent && facts != nullptr && facts->typeKnown && facts->Type() == block.Type()) {
      Remember(block, *facts);
    }
  }
  block.fixKnown = true;
  block.SetFactor(block.factor);
  if (keyed && cursor.Position() - start == wire.Bytes() && cursor.Exhausted() == exhausted) {
    RememberBlock(wire.key, block);
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

// The parts of the security walker that do not depend on its sink: the
// reading and classification of a block's code, the joining of the list
// records to a result, and the ending of a record walk.
#include "decode/realtime/SecurityBlocks.h"

#include "decode/realtime/QuoteSinks.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <string_view>

#include "KestrelCode.h"
#include "codec/DecodeCode.h"
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

// What a block's code decides, kept per thread by the code's text: a feed
// sends the same securities message after message, and classifying a code
// (its bond form, price unit factor, security type and correction) costs
// far more than finding it again. Direct-mapped: a code that lands on a
// taken slot replaces it.
struct ClassifiedCode {
  char code[kKestrelTernCodeSize] = {};
  int factor = 0;
  std::string type;
  bool hk = false;
  bool stopBitTimes = false;
  kestrel::FixScale fix;
};
constexpr size_t kClassifiedSlots = 1024;  // a power of two
constexpr uint64_t kFnvOffset = 14695981039346656037ULL;
constexpr uint64_t kFnvPrime = 1099511628211ULL;

// The slot of a NUL-terminated code, and its length.
size_t SlotOf(const char* code, size_t* length) {
  uint64_t hash = kFnvOffset;
  size_t n = 0;
  for (; code[n] != '\0'; ++n) hash = (hash ^ static_cast<unsigned char>(code[n])) * kFnvPrime;
  *length = n;
  return static_cast<size_t>(hash) & (kClassifiedSlots - 1);
}

// The slots of the calling thread, made on first use; null when no memory
// is left (every code is then classified afresh).
ClassifiedCode* ThreadClassifiedCodes() {
  thread_local std::unique_ptr<ClassifiedCode[]> slots(new (std::nothrow)
                                                           ClassifiedCode[kClassifiedSlots]);
  return slots.get();
}

}  // namespace

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

void kestrel::SecurityBlock::Classified() {
  hk = type == kHKType;
  stopBitTimes = std::find(std::begin(kStopBitTimeTypes), std::end(kStopBitTimeTypes), type) !=
                 std::end(kStopBitTimeTypes);
}

void CKestrelCode::ReadSecurityCode(kestrel::SecurityBlock& block, CDecodeCode& cursor) {
  ReadTernCode(cursor, block.code, kTernCodeSize);
  if (block.code[0] == '\0') return;
  size_t length = 0;
  const size_t slot = SlotOf(block.code, &length);
  ClassifiedCode* slots = ThreadClassifiedCodes();
  ClassifiedCode* known = slots != nullptr ? &slots[slot] : nullptr;
  if (known != nullptr && std::memcmp(known->code, block.code, length + 1) == 0) {
    block.factor = known->factor;
    block.type = known->type;
    block.hk = known->hk;
    block.stopBitTimes = known->stopBitTimes;
    block.fix = known->fix;
  } else {
    Decode_TernCode_Factor_SecurityType(block.code, &block.factor, &block.type, nullptr);
    block.Classified();
    block.fix = kestrel::FixScaleOf(block.code);
    if (known != nullptr) {
      std::memcpy(known->code, block.code, sizeof known->code);
      known->factor = block.factor;
      known->type = block.type;
      known->hk = block.hk;
      known->stopBitTimes = block.stopBitTimes;
      known->fix = block.fix;
    }
  }
  block.fixKnown = true;
  block.SetFactor(block.factor);
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

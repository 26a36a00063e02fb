// The parts of the security walker that do not depend on its sink: the
// reading and classification of a block's code, the joining of the list
// records to a result, and the ending of a record walk.
#include "decode/realtime/SecurityBlocks.h"

#include <algorithm>
#include <cstring>
#include <iterator>
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

void CKestrelCode::Decode_TernCode_Factor_SecurityType(char* code, int* factor,
                                                       std::string* securityType,
                                                       CDecodeCode& cursor) {
  ReadTernCode(cursor, code, kTernCodeSize);
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

CKestrelData* CKestrelCode::FinishRecords(CKestrelData* result, kestrel::WalkEnd end) {
  switch (end) {
    case kestrel::WalkEnd::kResult:
      break;
    case kestrel::WalkEnd::kEmptied:
      result->Clear();
      break;
    case kestrel::WalkEnd::kNoResult:
      delete result;
      return nullptr;
  }
  return result;
}

// The walker of security blocks shared by the real-time quote messages, the
// scaled store of plain values, and the reading of a block's code.
#include "decode/realtime/SecurityBlocks.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <string_view>

#include "IndexToValue.h"
#include "KestrelCode.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "codes/DecimalScale.h"
#include "codes/IndicatorDecimals.h"
#include "codes/TernCode.h"
#include "model/IndicatorCatalogue.h"
#include "model/OwnedArray.h"
#include "model/StoreValue.h"
#include "model/ValueTypes.h"

namespace {

// Memory one entry of a value list holds: its id, type, count and value.
constexpr int64_t kEntryBytes = 3 * sizeof(int) + sizeof(CIndexValue);

// Bond real codes price with four decimals.
constexpr int kBondRealCodeFactor = 4;
// The working copy of a code for classification.
constexpr size_t kWorkingCodeSize = 32;

// The ids of the extra quote entries that carry trailing numbers.
constexpr int kTrailing90Id = 327;
constexpr int kTrailing90LongId = 350;
constexpr int kTrailing89Id = 328;
constexpr int kTrailing93Id = 329;

bool HasCode(CKestrelHisData& record) { return record.GetTernCode()[0] != '\0'; }
bool HasCode(CKestrelL2OrderQueue& queue) { return queue.GetTernCode()[0] != '\0'; }

// An extra quote entry that carries a trailing number of a block.
struct TrailingEntry {
  int id;
  int64_t (*value)(const kestrel::BlockLists& lists);  // null: no entry
};
// What a kestrel::Appended value appends after a block: its series record
// (when filled), preceded by the quote entries of its trailing numbers; a
// null series stands for the order queue.
struct AppendRow {
  CKestrelHisData kestrel::BlockLists::*series;
  TrailingEntry trailing[2];
};
using Lists = kestrel::BlockLists;
constexpr AppendRow kAppendRows[] = {  // indexed by kestrel::Appended
    {&Lists::series57, {}},
    {&Lists::series58, {}},
    {&Lists::series90,
     {{kTrailing90Id, [](const Lists& l) -> int64_t { return l.trailing90; }},
      {kTrailing90LongId, [](const Lists& l) -> int64_t { return l.trailing90Long; }}}},
    {&Lists::series89, {{kTrailing89Id, [](const Lists& l) -> int64_t { return l.trailing89; }}}},
    {&Lists::series93, {{kTrailing93Id, [](const Lists& l) -> int64_t { return l.trailing93; }}}},
    {&Lists::series150, {}},
    {&Lists::series152, {}},
    {&Lists::series156, {}},
    {nullptr, {}},  // kQueue91
};
static_assert(std::size(kAppendRows) == static_cast<size_t>(kestrel::Appended::kQueue91) + 1);

// Ids up to this one carry unsigned plain values in quote updates.
constexpr int kHighestUnsignedId = 128;

// Security types whose time fields (ids 2 and 127) travel as stop-bit
// integers; every other type sends them as two-byte packed times.
constexpr std::string_view kStopBitTimeTypes[] = {
    "fx", "gold", "FX", "GOLD", "sge", "SGE", "oversea_futures",
    "O",  "A",    "N",  "L",    "IB",  "BCE", "bce"};

// A time field: a stop-bit integer or a packed time (-1 when cut short).
// Each reader's result widens by its own signedness: a conditional over
// both would turn the packed time's -1 into an unsigned 4294967295.
int64_t ReadTimeField(kestrel::EntryContext& entry) {
  if (entry.block.stopBitTimes) return ReadUInt32(entry.code);
  return ReadPackedTime(entry.code);
}

constexpr std::string_view kHKType = "HK";

// Handlers whose entry is one plain number.
bool IsPlainNumber(kestrel::Handler handler) {
  return handler == kestrel::Handler::kUnsignedOrSigned || handler == kestrel::Handler::kSigned;
}
// The number of a plain entry: unsigned for the low ids of a quote update,
// signed otherwise.
int64_t ReadPlainNumber(kestrel::Handler handler, int id, CDecodeCode& code) {
  if (handler == kestrel::Handler::kUnsignedOrSigned && id <= kHighestUnsignedId) {
    return ReadUInt32(code);
  }
  return ReadInt64(code);
}

// The columns of a quote being filled, fetched once per block: no entry's
// handler resizes them.
struct QuoteColumns {
  int* ids;
  int* types;
  CIndexValue* cells;
  bool Ready() const { return ids != nullptr && types != nullptr && cells != nullptr; }
};

// A plain number into entry `index`: corrected for futures and gold,
// scaled by the indicator's decimals and stored as the catalogue types it.
void StorePlain(const QuoteColumns& columns, int index, int id, kestrel::SecurityBlock& block,
                int64_t raw) {
  const int type = IndicatorValueType(id, false);
  columns.ids[index] = id;
  columns.types[index] = type;
  const kestrel::DecimalScale scale(kestrel::IndicatorDecimals(block.factor, id));
  kestrel::StoreNumber(columns.cells[index], type, scale.Apply(block.Fixed(id, raw)));
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

void CKestrelCode::StoreScaled(kestrel::EntryContext& entry, int64_t raw) {
  CIndexToValue* values = entry.quote->GetIndexToValue();
  const QuoteColumns columns{values->GetIndexId(), values->GetValueType(), values->GetIndexValue()};
  if (!columns.Ready()) return;
  StorePlain(columns, entry.index, entry.id, entry.block, raw);
}

void CKestrelCode::DecodeEntry(kestrel::EntryContext& e, kestrel::Handler handler) {
  using kestrel::Handler;
  kestrel::SecurityBlock& b = e.block;
  switch (handler) {
    case Handler::kUnsignedOrSigned:
    case Handler::kSigned:
      StoreScaled(e, ReadPlainNumber(handler, e.id, e.code));
      break;
    case Handler::kTimeField:
      StoreScaled(e, ReadTimeField(e));
      break;
    case Handler::kOther:
      Decode_other_IndIndex(e.quote, b.code, e.id, e.index, b.factor, e.code);
      break;
    case Handler::kList57:
      Decode_57_IndIndex(&b.Lists().series57, e.quote, b.code, e.id, e.index, b.type, e.code);
      break;
    case Handler::kList58:
      Decode_58_IndIndex(&b.Lists().series58, e.quote, b.code, e.id, e.index, b.type, e.code);
      break;
    case Handler::kDealRevert89:
      Decode_89_IndIndex(&b.Lists().series89, e.quote, b.code, e.id, e.index, b.type,
                         &b.Lists().trailing89, e.code);
      break;
    case Handler::kDeal90:
      Decode_90_IndIndex(&b.Lists().series90, e.quote, b.code, e.id, e.index, b.type,
                         &b.Lists().trailing90, &b.Lists().trailing90Long, e.code);
      break;
    case Handler::kQueue91:
      Decode_91_IndIndex(&b.Lists().queue91, e.quote, b.code, e.id, e.index, e.code);
      break;
    case Handler::kOrders93:
      Decode_93_IndIndex(&b.Lists().series93, e.quote, b.code, e.id, e.index, b.type,
                         &b.Lists().trailing93, e.code);
      break;
    case Handler::kActions150:
      Decode_150_IndIndex(&b.Lists().series150, e.quote, b.code, e.id, e.index, b.type, e.code);
      break;
    case Handler::kFixed151:
      Decode_151_IndIndex(e.quote, e.id, e.index, e.code);
      break;
    case Handler::kList152:
      Decode_152_IndIndex(&b.Lists().series152, e.quote, b.code, e.id, e.index, b.type, e.code);
      break;
    case Handler::kEvents155:
      // Market events go to the result; the entry holds 0.
      DecodeMarketEventData(e.result, e.code);
      StoreScaled(e, 0);
      break;
    case Handler::kList156:
      Decode_156_IndIndex(&b.Lists().series156, e.quote, b.code, e.id, e.index, b.type, e.code);
      break;
    case Handler::kText:
      Decode_String_IndIndex(e.quote, e.id, e.index, e.code);
      break;
  }
}

void CKestrelCode::AppendExtraEntry(CKestrelQuoteData* quote, int id, int64_t value) {
  CIndexToValue* values = quote->GetIndexToValue();
  const int at = values->GetNum();
  values->AddLength(1);
  if (values->GetNum() != at + 1) return;  // no room could be made
  values->GetIndexId()[at] = id;
  values->GetValueType()[at] = FindValueTypeByIndexId(id, false);
  values->GetOneIndexValueNum()[at] = 1;
  // Stored in the entry's own type, so a 64-bit number keeps every bit.
  const int type = values->GetValueType()[at];
  if (type == kValueInt) {
    int narrow = static_cast<int>(value);
    values->SetOneNoPointerIndexValue(at, &narrow);
  } else if (type == kValueInt64) {
    values->SetOneNoPointerIndexValue(at, &value);
  } else {
    values->SetOneNoPointerIndexValueByDouble(at, static_cast<double>(value));
  }
}

void CKestrelCode::DecodeSecurityEntries(CKestrelData* result, CKestrelQuoteData* quote,
                                         kestrel::SecurityBlock& block,
                                         const kestrel::MessageShape& shape, int count,
                                         const int* ids, CDecodeCode& code) {
  // The count is honoured as announced (codec/WireCounts.h); a list of ids
  // bounds it already.
  const int entries = ids != nullptr ? count : kestrel::HonouredCount(count, kEntryBytes, code);
  CIndexToValue* values = quote->GetIndexToValue();
  if (entries >= 1) {
    values->SetNum(entries);
    values->SetDatas();
    values->SetOneIndexValueNumWithValue(1);
  }
  const int filled = values->GetIndexValue() == nullptr ? 0 : values->GetNum();
  const QuoteColumns columns{values->GetIndexId(), values->GetValueType(), values->GetIndexValue()};
  for (int j = 0; j < filled; ++j) {
    const int id = ids != nullptr ? ids[j] : static_cast<int>(ReadUInt32(code));
    kestrel::EntryContext entry{result, quote, block, id, j, code};
    if (shape.presetEntries) {
      values->GetIndexId()[j] = id;
      values->GetValueType()[j] = FindValueTypeByIndexId(id, false);
      values->SetOneNoPointerIndexValueByDouble(j, GetFloat(0, 0));
    }
    kestrel::Handler handler = shape.plain;
    if (shape.MaybeSpecial(id)) {
      const kestrel::SpecialId* end = shape.specials + shape.specialCount;
      const kestrel::SpecialId* special =
          std::find_if(shape.specials, end, [&](const kestrel::SpecialId& row) {
            return row.low <= id && id <= row.high && (!row.hkOnly || block.hk);
          });
      if (special != end) handler = special->handler;
    }
    // Plain numbers, most of a quote, are read and stored in line.
    if (IsPlainNumber(handler) && columns.Ready()) {
      StorePlain(columns, j, id, block, ReadPlainNumber(handler, id, code));
      continue;
    }
    DecodeEntry(entry, handler);
  }

  // The filled records, in the message's order; the record of an id that did
  // not occur has no code and is left out.
  if (!block.lists || block.pending == nullptr) return;
  kestrel::BlockLists& l = *block.lists;
  for (size_t a = 0; a < shape.appendCount; ++a) {
    const AppendRow& row = kAppendRows[static_cast<size_t>(shape.appends[a])];
    if (row.series == nullptr) {
      if (HasCode(l.queue91)) block.pending->queues.push_back(&l.queue91);
      continue;
    }
    CKestrelHisData& series = l.*row.series;
    if (!HasCode(series)) continue;
    for (const TrailingEntry& trailing : row.trailing) {
      if (trailing.value != nullptr) AppendExtraEntry(quote, trailing.id, trailing.value(l));
    }
    block.pending->series.push_back(&series);
  }
}

bool CKestrelCode::DecodeSecurityList(CKestrelData* result, const kestrel::MessageShape& shape,
                                      int securities, const kestrel::MaskedIds* masked,
                                      CDecodeCode& code) {
  // The count is honoured as announced (codec/WireCounts.h); a block whose
  // code cannot be read ends the walk.
  const int blocks = kestrel::HonouredCount(securities, sizeof(CKestrelQuoteData), code);
  if (blocks < 1) return false;
  result->SetQuoteDataNum(blocks);
  result->SetQuoteData();
  CKestrelQuoteData* quotes = result->GetKestrelQuoteData();
  if (quotes == nullptr) return false;

  // The blocks' list records join the result once, at the end, whatever way
  // the walk ends.
  kestrel::PendingRecords pending;
  struct AddAtEnd {
    kestrel::PendingRecords& pending;
    CKestrelData* result;
    ~AddAtEnd() { pending.AddTo(result); }
  } addAtEnd{pending, result};
  for (int s = 0; s < blocks; ++s) {
    kestrel::SecurityBlock block;
    block.pending = &pending;
    Decode_TernCode_Factor_SecurityType(block.code, &block.factor, &block.type, code);
    if (block.code[0] == '\0') return false;
    block.Classified();
    const int* ids = nullptr;
    int selectedCount = 0;
    if (masked != nullptr) {
      // The block's mask selects ids of the message's list.
      ReadBytes(code, masked->mask, masked->maskBytes);
      selectedCount = GetInds(masked->ids, masked->idCount, masked->mask, masked->selected);
      ids = masked->selected;
    }
    quotes[s].SetTernCode(block.code, static_cast<int>(std::strlen(block.code)));
    int entries = static_cast<int>(ReadUInt32(code));
    // A masked block names its ids by the mask: values beyond the ids it
    // selects have no id, so only as many values as the mask selects are
    // read. The value encoding depends on the id, so the unnamed rest cannot
    // be skipped; the next block then reads what follows, and a code that
    // cannot be read ends the message.
    if (ids != nullptr) entries = std::min(entries, selectedCount);
    DecodeSecurityEntries(result, &quotes[s], block, shape, entries, ids, code);
    if (block.lists) pending.lists.push_back(std::move(block.lists));
  }
  return true;
}

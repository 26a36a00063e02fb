// Quote update (message type 64): the current values of subscribed
// indicators, one block per security.
#include <memory>
#include <string_view>

#include "KestrelCode.h"
#include "codec/DecodeCode.h"
#include "decode/realtime/SecurityBlocks.h"

namespace {

using kestrel::Appended;
using kestrel::EntryContext;

// Security types whose time fields (ids 2 and 127) travel as stop-bit
// integers; every other type sends them as two-byte packed times.
constexpr std::string_view kStopBitTimeTypes[] = {
    "fx", "gold", "FX", "GOLD", "sge", "SGE", "oversea_futures",
    "O",  "A",    "N",  "L",    "IB",  "BCE", "bce"};

// A time field: a stop-bit integer or a packed time (-1 when cut short),
// by the security's type.
int64_t ReadTimeField(EntryContext& entry) {
  for (const std::string_view listed : kStopBitTimeTypes) {
    if (entry.block.type == listed) return ReadUInt32(entry.code);
  }
  return ReadPackedTime(entry.code);
}

// Ids up to this one carry unsigned plain values; higher ids signed ones.
constexpr int kHighestUnsignedId = 128;

// After a block: the series of 57 and 58, the level-2 series of 90, 89 and
// 93 with their trailing numbers, corporate actions, the order queue.
constexpr Appended kQuoteUpdateAppends[] = {
    Appended::kSeries57, Appended::kSeries58,  Appended::kSeries90, Appended::kSeries89,
    Appended::kSeries93, Appended::kSeries150, Appended::kQueue91,
};

}  // namespace

CKestrelData* CKestrelCode::DecodeQuoteUpdateData(CDecodeCode& code) {
  using kestrel::SpecialId;
  static constexpr SpecialId kSpecials[] = {
      // Time fields: stop-bit integers for some markets, packed times for the rest.
      {2, 2, false, [](EntryContext& e) { StoreScaled(e, ReadTimeField(e)); }},
      {127, 127, false, [](EntryContext& e) { StoreScaled(e, ReadTimeField(e)); }},
      // Volumes, amounts and other signed fields among the low ids.
      {8, 10, false, [](EntryContext& e) { StoreScaled(e, ReadInt64(e.code)); }},
      {59, 59, false, [](EntryContext& e) { StoreScaled(e, ReadInt64(e.code)); }},
      {78, 78, false, [](EntryContext& e) { StoreScaled(e, ReadInt64(e.code)); }},
      {80, 82, false, [](EntryContext& e) { StoreScaled(e, ReadInt64(e.code)); }},
      // Counted lists of Hong Kong securities.
      {57, 57, true,
       [](EntryContext& e) {
         Decode_57_IndIndex(&e.block.series57, e.quote, e.block.code, e.id, e.index, e.block.type,
                            e.code);
       }},
      {58, 58, true,
       [](EntryContext& e) {
         Decode_58_IndIndex(&e.block.series58, e.quote, e.block.code, e.id, e.index, e.block.type,
                            e.code);
       }},
      // Level-2 deal reverts, deals, order queue and orders.
      {89, 89, false,
       [](EntryContext& e) {
         Decode_89_IndIndex(&e.block.series89, e.quote, e.block.code, e.id, e.index, e.block.type,
                            &e.block.trailing89, e.code);
       }},
      {90, 90, false,
       [](EntryContext& e) {
         Decode_90_IndIndex(&e.block.series90, e.quote, e.block.code, e.id, e.index, e.block.type,
                            &e.block.trailing90, &e.block.trailing90Long, e.code);
       }},
      {91, 91, false,
       [](EntryContext& e) {
         Decode_91_IndIndex(&e.block.queue91, e.quote, e.block.code, e.id, e.index, e.code);
       }},
      {93, 93, false,
       [](EntryContext& e) {
         Decode_93_IndIndex(&e.block.series93, e.quote, e.block.code, e.id, e.index, e.block.type,
                            &e.block.trailing93, e.code);
       }},
      // Market events go to the result; the entry keeps 0.
      {155, 155, false,
       [](EntryContext& e) {
         DecodeMarketEventData(e.result, e.code);
         StoreScaled(e, 0);
       }},
      // Corporate actions.
      {150, 150, false,
       [](EntryContext& e) {
         Decode_150_IndIndex(&e.block.series150, e.quote, e.block.code, e.id, e.index, e.block.type,
                             e.code);
       }},
      // Texts.
      {130, 133, false,
       [](EntryContext& e) { Decode_String_IndIndex(e.quote, e.id, e.index, e.code); }},
      {480, 480, false,
       [](EntryContext& e) { Decode_String_IndIndex(e.quote, e.id, e.index, e.code); }},
  };
  // Plain values: unsigned for ids up to 128, signed above.
  static constexpr kestrel::MessageShape kShape = kestrel::MakeShape(
      kSpecials,
      [](EntryContext& e) {
        StoreScaled(e, e.id <= kHighestUnsignedId ? static_cast<int64_t>(ReadUInt32(e.code))
                                                  : ReadInt64(e.code));
      },
      kQuoteUpdateAppends, false);

  auto result = std::make_unique<CKestrelData>();
  const auto securities = static_cast<int>(ReadUInt32(code));
  if (securities == 0) {
    // No securities: the server reports an error code instead.
    result->SetError(static_cast<int>(ReadUInt32(code)));
    return result.release();
  }
  if (!DecodeSecurityList(result.get(), kShape, securities, nullptr, code)) {
    // No room for the quotes: no result. A code that cannot be read ends
    // decoding with an empty result.
    if (result->GetKestrelQuoteData() == nullptr) return nullptr;
    result->Clear();
  }
  return result.release();
}

// Simple indicators (message type 33) and the symbols block of history
// trend messages: securities with (id, value) pairs, every plain value a
// signed stop-bit integer.
#include <memory>

#include "KestrelCode.h"
#include "codec/DecodeCode.h"
#include "decode/realtime/SecurityBlocks.h"

namespace {

using kestrel::Appended;
using kestrel::EntryContext;

// After a symbols block: the series of 57, 58 and 150.
constexpr Appended kSymbolsAppends[] = {Appended::kSeries57, Appended::kSeries58,
                                        Appended::kSeries150};

}  // namespace

CKestrelData* CKestrelCode::DecodeSimpleIndicators(CDecodeCode& code) {
  using kestrel::SpecialId;
  static constexpr SpecialId kSpecials[] = {
      {130, 133, false,
       [](EntryContext& e) { Decode_String_IndIndex(e.quote, e.id, e.index, e.code); }},
      {480, 480, false,
       [](EntryContext& e) { Decode_String_IndIndex(e.quote, e.id, e.index, e.code); }},
  };
  static constexpr kestrel::MessageShape kShape = kestrel::MakeShape(
      kSpecials, [](EntryContext& e) { StoreScaled(e, ReadInt64(e.code)); }, false);

  auto result = std::make_unique<CKestrelData>();
  const auto securities = static_cast<int>(ReadUInt32(code));
  // No securities (or no room for them): no result at all.
  if (securities < 1 || code.Remaining() < 1) return nullptr;
  if (!DecodeSecurityList(result.get(), kShape, securities, nullptr, code)) {
    if (result->GetKestrelQuoteData() == nullptr) return nullptr;  // no quote array
    result->Clear();  // a code that cannot be read empties the result
  }
  return result.release();
}

void CKestrelCode::DecodeSymbolsData(CKestrelData* result, CDecodeCode& code) {
  using kestrel::SpecialId;
  static constexpr SpecialId kSpecials[] = {
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
      {150, 150, false,
       [](EntryContext& e) {
         Decode_150_IndIndex(&e.block.series150, e.quote, e.block.code, e.id, e.index, e.block.type,
                             e.code);
       }},
      {130, 133, false,
       [](EntryContext& e) { Decode_String_IndIndex(e.quote, e.id, e.index, e.code); }},
      {480, 480, false,
       [](EntryContext& e) { Decode_String_IndIndex(e.quote, e.id, e.index, e.code); }},
  };
  static constexpr kestrel::MessageShape kShape = kestrel::MakeShape(
      kSpecials, [](EntryContext& e) { StoreScaled(e, ReadInt64(e.code)); }, kSymbolsAppends,
      false);

  const auto securities = static_cast<int>(ReadUInt32(code));
  if (securities == 0) {
    result->SetError(static_cast<int>(ReadUInt32(code)));
    return;
  }
  // An unreadable code or a missing quote array ends decoding; the caller's
  // result keeps what was decoded before.
  DecodeSecurityList(result, kShape, securities, nullptr, code);
}

// Masked subscription data (message types 24 and 25): the indicator ids are
// listed once at the head of the message, and each security's bit mask says
// which of them carry a value in its block.
#include <algorithm>
#include <memory>
#include <vector>

#include "KestrelCode.h"
#include "codec/DecodeCode.h"
#include "decode/realtime/SecurityBlocks.h"

namespace {

using kestrel::Appended;
using kestrel::EntryContext;

// After a block: the series of 57, 58, 150, 152 and 156.
constexpr Appended kMaskedAppends[] = {Appended::kSeries57, Appended::kSeries58,
                                       Appended::kSeries150, Appended::kSeries152,
                                       Appended::kSeries156};

}  // namespace

CKestrelData* CKestrelCode::DecodeMaskedSubscribeIndicators(CDecodeCode& code) {
  auto result = std::make_unique<CKestrelData>();
  // Every id takes at least one byte: a count beyond the bytes left is cut
  // to them.
  const int idCount = std::min(static_cast<int>(ReadUInt32(code)), code.Remaining());
  if (idCount < 1) return result.release();
  std::vector<int> ids(static_cast<size_t>(idCount));
  for (int& id : ids) id = static_cast<int>(ReadUInt32(code));
  const int maskBytes = (idCount + 7) / 8;
  std::vector<char> mask(static_cast<size_t>(maskBytes));
  std::vector<int> selected(static_cast<size_t>(idCount));
  if (!DecodeMaskedSubscribeData(result.get(), ids.data(), idCount, maskBytes, mask.data(),
                                 selected.data(), code)) {
    result->Clear();
  }
  return result.release();
}

bool CKestrelCode::DecodeMaskedSubscribeData(CKestrelData* result, int* ids, int idCount,
                                             int maskBytes, char* mask, int* selected,
                                             CDecodeCode& code) {
  using kestrel::SpecialId;
  // Every plain value is a signed stop-bit integer, scaled.
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
      {151, 151, false,
       [](EntryContext& e) { Decode_151_IndIndex(e.quote, e.id, e.index, e.code); }},
      {152, 152, false,
       [](EntryContext& e) {
         Decode_152_IndIndex(&e.block.series152, e.quote, e.block.code, e.id, e.index, e.block.type,
                             e.code);
       }},
      // Market events go to the result; the entry keeps 0.
      {155, 155, false, [](EntryContext& e) { DecodeMarketEventData(e.result, e.code); }},
      {156, 156, false,
       [](EntryContext& e) {
         Decode_156_IndIndex(&e.block.series156, e.quote, e.block.code, e.id, e.index, e.block.type,
                             e.code);
       }},
      {130, 133, false,
       [](EntryContext& e) { Decode_String_IndIndex(e.quote, e.id, e.index, e.code); }},
      {480, 480, false,
       [](EntryContext& e) { Decode_String_IndIndex(e.quote, e.id, e.index, e.code); }},
  };
  static constexpr kestrel::MessageShape kShape = kestrel::MakeShape(
      kSpecials,
      [](EntryContext& e) {
        Decode_other_IndIndex(e.quote, e.block.code, e.id, e.index, e.block.factor, e.code);
      },
      kMaskedAppends, true);

  const kestrel::MaskedIds masked{ids, idCount, mask, maskBytes, selected};
  return DecodeSecurityList(result, kShape, static_cast<int>(ReadUInt32(code)), &masked, code);
}

// Masked subscription data (message types 24 and 25): the indicator ids are
// listed once at the head of the message, and each security's bit mask says
// which of them carry a value in its block.
#include <algorithm>
#include <memory>
#include <vector>

#include "KestrelCode.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "decode/realtime/SecurityBlocks.h"

namespace {

using kestrel::Appended;
using kestrel::Handler;
using kestrel::SpecialId;

// Every plain value is a signed stop-bit integer; 151, 152 and 156 have
// decoders of their own here, and the level-2 ids none.
constexpr SpecialId kMaskedIds[] = {
    kestrel::kHKList57,
    kestrel::kHKList58,
    kestrel::kActions150,
    {151, 151, false, Handler::kFixed151},
    {152, 152, false, Handler::kList152},
    {155, 155, false, Handler::kEvents155},  // the entry keeps its preset 0
    {156, 156, false, Handler::kList156},
    kestrel::kTexts,
    kestrel::kText480,
};

// After a block: the series of 57, 58, 150, 152 and 156.
constexpr Appended kMaskedAppends[] = {Appended::kSeries57, Appended::kSeries58,
                                       Appended::kSeries150, Appended::kSeries152,
                                       Appended::kSeries156};

// Entries are preset with their id, type and 0 before their values.
constexpr kestrel::MessageShape kMasked =
    kestrel::MakeShape(kMaskedIds, Handler::kOther, kMaskedAppends, true);

}  // namespace

CKestrelData* CKestrelCode::DecodeMaskedSubscribeIndicators(CDecodeCode& code) {
  auto result = std::make_unique<CKestrelData>();
  // The count is honoured as announced (codec/WireCounts.h): ids past the
  // end of the message read as 0. Each id holds itself and a selected slot.
  const int idCount =
      kestrel::HonouredCount(kestrel::ReadWrappedInt32(code), 2 * sizeof(int), code);
  if (idCount < 1) return result.release();
  std::vector<int> ids(static_cast<size_t>(idCount));
  for (int& id : ids) id = kestrel::ReadWrappedInt32(code);
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
  const kestrel::MaskedIds masked{ids, idCount, mask, maskBytes, selected};
  return DecodeSecurityList(result, kMasked, kestrel::ReadWrappedInt32(code), &masked, code);
}

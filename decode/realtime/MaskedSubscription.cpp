// Masked subscription data (message types 24 and 25): the indicator ids are
// listed once at the head of the message, and each security's bit mask says
// which of them carry a value in its block.

#include "KestrelCode.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "decode/realtime/QuoteSinks.h"
#include "decode/realtime/SecurityWalk.h"

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

constexpr kestrel::MessageShape kMasked =
    kestrel::MakeShape(kMaskedIds, Handler::kOther, kMaskedAppends);

}  // namespace

template <class Sink>
kestrel::WalkEnd CKestrelCode::WalkMaskedIndicators(Sink& sink, CDecodeCode& code) {
  // The count is honoured as announced (codec/WireCounts.h): ids past the
  // end of the message read as 0. Each id holds itself and a selected slot.
  const int idCount =
      kestrel::HonouredCount(kestrel::ReadWrappedInt32(code), 2 * sizeof(int), code);
  if (idCount < 1) return kestrel::WalkEnd::kResult;  // an empty result
  const kestrel::MaskedIds masked = sink.MaskBuffers(idCount);
  for (int i = 0; i < idCount; ++i) masked.ids[i] = kestrel::ReadWrappedInt32(code);
  // With no securities, or a code that cannot be read, the result is empty.
  const kestrel::WalkEnd end =
      WalkSecurities(sink, kMasked, kestrel::ReadWrappedInt32(code), &masked, code);
  return end == kestrel::WalkEnd::kResult ? end : kestrel::WalkEnd::kEmptied;
}
template kestrel::WalkEnd CKestrelCode::WalkMaskedIndicators(kestrel::VisitSink&, CDecodeCode&);

CKestrelData* CKestrelCode::DecodeMaskedSubscribeIndicators(CDecodeCode& code) {
  return DecodeRecords(WalkMaskedIndicators<kestrel::QuoteRecordSink>, code);
}

bool CKestrelCode::DecodeMaskedSubscribeData(CKestrelData* result, int* ids, int idCount,
                                             int maskBytes, char* mask, int* selected,
                                             CDecodeCode& code) {
  const kestrel::MaskedIds masked{ids, idCount, mask, maskBytes, selected};
  kestrel::QuoteRecordSink sink(result);
  return WalkSecurities(sink, kMasked, kestrel::ReadWrappedInt32(code), &masked, code) ==
         kestrel::WalkEnd::kResult;
}

// Quote update (message type 64): the current values of subscribed
// indicators, one block per security.

#include "KestrelCode.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "decode/realtime/QuoteSinks.h"
#include "decode/realtime/SecurityWalk.h"

namespace {

using kestrel::Appended;
using kestrel::Handler;
using kestrel::SpecialId;

// Ids with readers or decoders of their own; every other id is a plain
// value, unsigned up to id 128 and signed above.
constexpr SpecialId kQuoteUpdateIds[] = {
    {2, 2, false, Handler::kTimeField},      // time: stop-bit or packed, by market
    {127, 127, false, Handler::kTimeField},  // time: stop-bit or packed, by market
    {8, 10, false, Handler::kSigned},        // volume and signed fields among the low ids
    {59, 59, false, Handler::kSigned},       // amount
    {78, 78, false, Handler::kSigned},
    {80, 82, false, Handler::kSigned},
    kestrel::kHKList57,
    kestrel::kHKList58,
    {89, 89, false, Handler::kDealRevert89},
    {90, 90, false, Handler::kDeal90},
    {91, 91, false, Handler::kQueue91},
    {93, 93, false, Handler::kOrders93},
    {155, 155, false, Handler::kEvents155},
    kestrel::kActions150,
    kestrel::kTexts,
    kestrel::kText480,
};

// After a block: the series of 57 and 58, the level-2 series of 90, 89 and
// 93 with their trailing numbers, corporate actions, the order queue.
constexpr Appended kQuoteUpdateAppends[] = {
    Appended::kSeries57, Appended::kSeries58,  Appended::kSeries90, Appended::kSeries89,
    Appended::kSeries93, Appended::kSeries150, Appended::kQueue91,
};

constexpr kestrel::MessageShape kQuoteUpdate =
    kestrel::MakeShape(kQuoteUpdateIds, Handler::kUnsignedOrSigned, kQuoteUpdateAppends);

}  // namespace

template <class Sink>
kestrel::WalkEnd CKestrelCode::WalkQuoteUpdate(Sink& sink, CDecodeCode& code) {
  const auto securities = kestrel::ReadWrappedInt32(code);
  if (securities == 0) {
    // No securities: the server reports an error code instead.
    sink.Error(kestrel::ReadWrappedInt32(code));
    return kestrel::WalkEnd::kResult;
  }
  // No room for the quotes: no result. A code that cannot be read ends
  // decoding with an empty result.
  return WalkSecurities(sink, kQuoteUpdate, securities, nullptr, code);
}
template kestrel::WalkEnd CKestrelCode::WalkQuoteUpdate(kestrel::VisitSink&, CDecodeCode&);

CKestrelData* CKestrelCode::DecodeQuoteUpdateData(CDecodeCode& code) {
  return DecodeRecords(WalkQuoteUpdate<kestrel::QuoteRecordSink>, code);
}

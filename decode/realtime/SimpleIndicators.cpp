// Simple indicators (message type 33) and the symbols block of history
// trend messages: securities with (id, value) pairs, every plain value a
// signed stop-bit integer.

#include "KestrelCode.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "decode/realtime/QuoteSinks.h"
#include "decode/realtime/SecurityWalk.h"

namespace {

using kestrel::Appended;
using kestrel::Handler;
using kestrel::SpecialId;

// Simple indicators: texts, and signed values for everything else.
constexpr SpecialId kSimpleIds[] = {kestrel::kTexts, kestrel::kText480};
constexpr kestrel::MessageShape kSimple = kestrel::MakeShape(kSimpleIds, Handler::kSigned);

// Symbols blocks add the counted lists of Hong Kong securities and
// corporate actions, appended in this order.
constexpr SpecialId kSymbolsIds[] = {kestrel::kHKList57, kestrel::kHKList58, kestrel::kActions150,
                                     kestrel::kTexts, kestrel::kText480};
constexpr Appended kSymbolsAppends[] = {Appended::kSeries57, Appended::kSeries58,
                                        Appended::kSeries150};
constexpr kestrel::MessageShape kSymbols =
    kestrel::MakeShape(kSymbolsIds, Handler::kSigned, kSymbolsAppends);

}  // namespace

template <class Sink>
kestrel::WalkEnd CKestrelCode::WalkSimpleIndicators(Sink& sink, CDecodeCode& code) {
  const auto securities = kestrel::ReadWrappedInt32(code);
  // No securities: no result at all; a code that cannot be read empties the
  // result.
  if (securities < 1) return kestrel::WalkEnd::kNoResult;
  return WalkSecurities(sink, kSimple, securities, nullptr, code);
}
template kestrel::WalkEnd CKestrelCode::WalkSimpleIndicators(kestrel::VisitSink&, CDecodeCode&);

CKestrelData* CKestrelCode::DecodeSimpleIndicators(CDecodeCode& code) {
  return DecodeRecords(WalkSimpleIndicators<kestrel::QuoteRecordSink>, code);
}

void CKestrelCode::DecodeSymbolsData(CKestrelData* result, CDecodeCode& code) {
  const auto securities = kestrel::ReadWrappedInt32(code);
  if (securities == 0) {
    result->SetError(kestrel::ReadWrappedInt32(code));
    return;
  }
  // An unreadable code or a missing quote array ends decoding; the caller's
  // result keeps what was decoded before.
  kestrel::QuoteRecordSink sink(result);
  WalkSecurities(sink, kSymbols, securities, nullptr, code);
}

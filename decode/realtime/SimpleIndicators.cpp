// Simple indicators (message type 33) and the symbols block of history
// trend messages: securities with (id, value) pairs, every plain value a
// signed stop-bit integer.
#include <memory>

#include "KestrelCode.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "decode/realtime/SecurityBlocks.h"

namespace {

using kestrel::Appended;
using kestrel::Handler;
using kestrel::SpecialId;

// Simple indicators: texts, and signed values for everything else.
constexpr SpecialId kSimpleIds[] = {kestrel::kTexts, kestrel::kText480};
constexpr kestrel::MessageShape kSimple = kestrel::MakeShape(kSimpleIds, Handler::kSigned, false);

// Symbols blocks add the counted lists of Hong Kong securities and
// corporate actions, appended in this order.
constexpr SpecialId kSymbolsIds[] = {kestrel::kHKList57, kestrel::kHKList58, kestrel::kActions150,
                                     kestrel::kTexts, kestrel::kText480};
constexpr Appended kSymbolsAppends[] = {Appended::kSeries57, Appended::kSeries58,
                                        Appended::kSeries150};
constexpr kestrel::MessageShape kSymbols =
    kestrel::MakeShape(kSymbolsIds, Handler::kSigned, kSymbolsAppends, false);

}  // namespace

CKestrelData* CKestrelCode::DecodeSimpleIndicators(CDecodeCode& code) {
  auto result = std::make_unique<CKestrelData>();
  const auto securities = kestrel::ReadWrappedInt32(code);
  // No securities: no result at all.
  if (securities < 1) return nullptr;
  if (!DecodeSecurityList(result.get(), kSimple, securities, nullptr, code)) {
    if (result->GetKestrelQuoteData() == nullptr) return nullptr;  // no quote array
    result->Clear();  // a code that cannot be read empties the result
  }
  return result.release();
}

void CKestrelCode::DecodeSymbolsData(CKestrelData* result, CDecodeCode& code) {
  const auto securities = kestrel::ReadWrappedInt32(code);
  if (securities == 0) {
    result->SetError(kestrel::ReadWrappedInt32(code));
    return;
  }
  // An unreadable code or a missing quote array ends decoding; the caller's
  // result keeps what was decoded before.
  DecodeSecurityList(result, kSymbols, securities, nullptr, code);
}

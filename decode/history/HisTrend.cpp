// History trends (message type 6): an envelope around a symbols block and one
// complete nested message, whose result is merged into the envelope's.
//
// Body: a presence field (0 ends the body), the compact code and one number
// (neither kept), a marker that must be 1 and a kind that must be 6, the
// symbols block, then the nested message with its own length prefix, type
// and body. The nested message goes through the dispatcher like any other,
// so every type the dispatcher decodes may stand there, type 6 included.
#include <cstdint>
#include <memory>
#include <new>

#include "KestrelCode.h"
#include "KestrelData.h"
#include "KestrelResult.hpp"
#include "codec/DecodeCode.h"
#include "codec/MessageTypes.h"
#include "codes/TernCode.h"

namespace {

constexpr uint32_t kMarker = 1;
constexpr uint32_t kTrendKind = 6;

// Nested types whose result the envelope merges: they yield a CKestrelData.
// Simple indicators (type 33) yield one too but are not merged; the results
// of every other type (login replies, sector charts, raw data and so on) are
// freed unmerged as well.
constexpr MessageType kMergedTypes[] = {
    kMsgHisTrend,
    kMsgFormalizedTrend,
    kMsgFormalizedDeal,
    kMsgQEDataPlus,
    kMsgMaskedData,
    kMsgMaskedIndicators,
    kMsgLevel2TransactionsHistory,
    kMsgQuoteUpdate,
    kMsgDayKLine,
    kMsgMinuteKLine,
};

}  // namespace

bool CKestrelCode::IsMergedInHisTrend(int type) {
  for (const MessageType merged : kMergedTypes) {
    if (type >= 0 && static_cast<unsigned int>(type) == merged) return true;
  }
  return false;
}

bool CKestrelCode::DecodeHisTrendHead(CKestrelData* result, CDecodeCode& code) {
  if (ReadUInt32(code) == 0) return false;
  char text[kTernCodeSize] = {};
  ReadTernCode(code, text);  // not kept
  ReadUInt32(code);          // first head field, not kept
  if (ReadUInt32(code) != kMarker || ReadUInt32(code) != kTrendKind) return false;
  DecodeSymbolsData(result, code);
  return true;
}

CKestrelData* CKestrelCode::DecodeHisTrendData(CDecodeCode& code) {
  auto result = std::make_unique<CKestrelData>();
  if (!DecodeHisTrendHead(result.get(), code)) return result.release();

  // The nested message must lie wholly inside the envelope: one that would
  // start at or run past the envelope's end is taken as a null nested
  // result, and so is one nested deeper than the envelope bound.
  int available = 0;
  const char* message = code.TakeRest(&available);
  int type = -1;
  char* const record = DecodeNested(message, available, NestedBounds::kWhole, &type);
  const kestrel::Result nested(record, type);  // freed by its reported type
  if (nested && IsMergedInHisTrend(type)) {
    result->AddKestrelData(reinterpret_cast<CKestrelData*>(nested.get()));
  }
  return result.release();
}

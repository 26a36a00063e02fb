// Visiting a real-time quote message: the same walk as its records, with
// every value handed to the host's visitor table instead of stored. The
// frame is read as DecodeOneMessage reads it, and a compressed envelope is
// inflated into the thread's kept buffer and its message visited in turn.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>

#include "KestrelCode.h"
#include "KestrelVisit.hpp"
#include "codec/DecodeCode.h"
#include "codec/EnvelopeNesting.h"
#include "codec/MessageTypes.h"
#include "decode/realtime/QuoteSinks.h"
#include "decode/realtime/SecurityBlocks.h"

namespace {

// The visit status of a walk's end.
int StatusOf(kestrel::WalkEnd end) {
  switch (end) {
    case kestrel::WalkEnd::kResult:
      return kVisitDecoded;
    case kestrel::WalkEnd::kEmptied:
      return kVisitEmptied;
    case kestrel::WalkEnd::kNoResult:
      break;
  }
  return kVisitNoResult;
}

}  // namespace

int CKestrelCode::VisitQuoteMessage(const char* message, size_t size,
                                    const KestrelQuoteVisitor* visitor, void* context, int* type,
                                    int* cut) {
  int typeRead = 0;
  int cutRead = 0;
  int status = kVisitNotQuotes;
  if (message != nullptr && visitor != nullptr && size > 0) {
    try {
      kestrel::VisitSink sink(*visitor, context);
      // More bytes than an int counts are never read: no message is longer.
      const int available = static_cast<int>(std::min<size_t>(size, INT_MAX));
      status = VisitFrame(message, available, sink, &typeRead, &cutRead);
    } catch (...) {
      // Out of memory for a list record: the records would be no result.
      status = kVisitNoResult;
    }
  }
  if (type != nullptr) *type = typeRead;
  if (cut != nullptr) *cut = cutRead;
  return status;
}

int CKestrelCode::VisitFrame(const char* message, int available, kestrel::VisitSink& sink,
                             int* type, int* cut) {
  CDecodeCode code(message);
  int prefixBytes = 0;
  const uint32_t length = ReadLengthPrefix(message, available, &prefixBytes);
  // A length that no int can index cannot be a real message.
  if (length > static_cast<uint32_t>(INT_MAX - prefixBytes)) return kVisitNotQuotes;
  // The cursor never reaches past the bytes known to be there.
  code.Frame(prefixBytes, std::min(static_cast<int>(length) + prefixBytes, available));
  const uint32_t messageType = ReadUInt32(code);
  *type = static_cast<int>(messageType);

  if (messageType == kMsgCompressed) {
    const kestrel::InflatedPayload inflated = kestrel::InflateEnvelope(code, length);
    const kestrel::EnvelopeNesting nesting;
    if (inflated.bytes == nullptr || nesting.TooDeep()) return kVisitNoResult;
    // The inflated message may announce more than it holds: it is read as a
    // short message, as DecodeOneMessage reads it.
    return VisitFrame(inflated.bytes, inflated.size, sink, type, cut);
  }

  // The visited types, each the walk its records are built by.
  struct Route {
    uint32_t type;
    kestrel::WalkEnd (*walk)(kestrel::VisitSink& sink, CDecodeCode& code);
  };
  static constexpr Route kRoutes[] = {
      {kMsgQuoteUpdate, WalkQuoteUpdate<kestrel::VisitSink>},
      {kMsgMaskedIndicators, WalkMaskedIndicators<kestrel::VisitSink>},
      {kMsgMaskedData, WalkMaskedIndicators<kestrel::VisitSink>},
      {kMsgSimpleIndicators, WalkSimpleIndicators<kestrel::VisitSink>},
  };
  const Route* route = std::find_if(std::begin(kRoutes), std::end(kRoutes),
                                    [&](const Route& row) { return row.type == messageType; });
  if (route == std::end(kRoutes)) return kVisitNotQuotes;
  sink.Message(*type);
  const int status = StatusOf(route->walk(sink, code));
  sink.Flush();
  *cut = code.Exhausted() ? 1 : 0;
  return status;
}

// One message family at a time: the leading stop-bit type of the input is
// mapped onto the family's types, so the fuzzer spends its time inside that
// family's bodies. Built once per family with KESTREL_FUZZ_FAMILY set.
#include "codec/DecodeCode.h"
#include "fuzz/FuzzFrame.h"

namespace {

using kestrel::MessageType;

struct Family {
  const char* name;
  MessageType types[6];
  size_t count;
};

// The families, by KESTREL_FUZZ_FAMILY.
constexpr Family kFamilies[] = {
    // quote updates, masked data, simple indicators
    {"realtime",
     {MessageType::QuoteUpdate, MessageType::MaskedIndicators, MessageType::MaskedData,
      MessageType::SimpleIndicators},
     4},
    {"level2", {MessageType::Level2TransactionsHistory}, 1},
    {"klines", {MessageType::DayKLine, MessageType::MinuteKLine}, 2},
    {"trends", {MessageType::FormalizedTrend, MessageType::FormalizedDeal}, 2},
    // history trends, QE data, compressed envelopes
    {"envelopes", {MessageType::HisTrend, MessageType::QEDataPlus, MessageType::Compressed}, 3},
    // login dialog, charts, rankings
    {"service",
     {MessageType::Login, MessageType::ServerSubInfo, MessageType::StatusTest,
      MessageType::SectorCharts, MessageType::SectorQuotesOrder, MessageType::PagedRankingList},
     6},
};

constexpr const Family& kFamily = kFamilies[KESTREL_FUZZ_FAMILY];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kestrel_fuzz::kMaxInput) return 0;
  CKestrelCode::StartUp();
  // Read the input's type as the server would have written it, and keep it
  // when it belongs to the family; otherwise pick a family type by it.
  CDecodeCode head(reinterpret_cast<const char*>(data));
  head.Frame(0, static_cast<int>(size));
  const uint32_t wanted = ReadUInt32(head);
  const size_t bodyStart = std::min<size_t>(size, static_cast<size_t>(head.Position()));
  MessageType type = kFamily.types[wanted % kFamily.count];
  for (size_t i = 0; i < kFamily.count; ++i) {
    if (static_cast<uint32_t>(kFamily.types[i]) == wanted) type = kFamily.types[i];
  }
  CCode typed(8);
  WriteUInt32(typed, static_cast<uint32_t>(type));
  std::vector<uint8_t> typeAndBody(typed.GetContent(), typed.GetContent() + typed.GetLength());
  typeAndBody.insert(typeAndBody.end(), data + bodyStart, data + size);
  std::vector<char> message = kestrel_fuzz::Framed(typeAndBody.data(), typeAndBody.size());
  kestrel_fuzz::DecodeAsHost(message);
  return 0;
}

// Visiting quote messages allocates nothing once the thread is warm: every
// call of the global allocation functions is counted while the sample
// session's quote messages (plain and inside compressed envelopes) are
// visited again and again.
//
// Plain values, texts, masks and envelopes use storage the thread keeps.
// The lists of a block (series, order queues, market events) are still
// built as records, in the result memory: its blocks are reused when warm,
// except in builds without its cache (AddressSanitizer), where those
// messages allocate their records.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "KestrelUtils.h"
#include "model/ResultMemory.h"
#include "support/CountingAllocator.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;

// The session's messages that a visit reads, each also in an envelope.
std::vector<Bytes> VisitedMessages() {
  std::ifstream in(KESTREL_SAMPLE_SESSION, std::ios::binary);
  const Bytes stream(std::istreambuf_iterator<char>(in), {});
  std::vector<Bytes> messages;
  for (size_t at = 0; at < stream.size();) {
    const char* start = reinterpret_cast<const char*>(stream.data()) + at;
    const size_t size = kestrel::wholeMessageSize(start, stream.size() - at);
    if (size == 0) break;
    struct Nothing {
    } nothing;
    if (kestrel::visitQuotes(start, size, nothing)) {
      const Bytes message(start, start + size);
      messages.push_back(message);
      messages.push_back(kt::Compressed(message));
    }
    at += size;
  }
  return messages;
}

// A visitor that reads every value it is handed.
struct Reader {
  double sum = 0;
  int lists = 0;  // series, queues and event lists handed over
  void onSecurity(const kestrel::Security& s) { sum += static_cast<double>(s.code.size()); }
  void onEntry(const kestrel::Entry& e) {
    if (auto* d = std::get_if<double>(&e.value)) sum += *d;
    if (auto* i = std::get_if<int>(&e.value)) sum += *i;
    if (auto* l = std::get_if<int64_t>(&e.value)) sum += static_cast<double>(*l);
  }
  void onSeries(const kestrel::SeriesEntry& s) {
    ++lists;
    sum += static_cast<double>(s.size());
  }
  void onOrderQueue(CKestrelL2OrderQueue& q) {
    ++lists;
    sum += q.GetL2OrderQueuePriceLevelNum();
  }
  void onMarketEvents(kestrel::Span<CKestrelMarketEventData> events) {
    ++lists;
    sum += static_cast<double>(events.size());
  }
};

TEST(VisitAllocations, AWarmThreadVisitsWithoutAllocating) {
  const std::vector<Bytes> messages = VisitedMessages();
  ASSERT_EQ(messages.size(), 18u);  // nine quote messages, plain and enveloped
  Reader reader;
  constexpr int kWarmUps = 2;
  constexpr int kRounds = 10;
  for (int round = 0; round < kWarmUps; ++round) {
    for (const Bytes& m : messages) kestrel::visitQuotes(m.data(), m.size(), reader);
  }
  int withLists = 0;
  for (size_t i = 0; i < messages.size(); ++i) {
    const int listsBefore = reader.lists;
    const int64_t before = kt::AllocationCalls();
    for (int round = 0; round < kRounds; ++round) {
      EXPECT_TRUE(kestrel::visitQuotes(messages[i].data(), messages[i].size(), reader));
    }
    const int64_t allocations = kt::AllocationCalls() - before;
    const bool lists = reader.lists != listsBefore;
    withLists += lists ? 1 : 0;
    if (!lists || kestrel::kResultCacheEnabled) {
      EXPECT_EQ(allocations, 0) << "message " << i;
    }
  }
  EXPECT_EQ(withLists, 4);  // the level-2 and the list message, each also enveloped
  EXPECT_NE(reader.sum, 0);
}

}  // namespace

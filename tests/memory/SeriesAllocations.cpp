// A warm series set decodes without allocating: after a warm-up on a
// message, decoding it again calls no global allocation function. This holds
// for every series message (types 3, 5, 6, 17, 18, 21 and 130), also
// inside compressed envelopes (54). A history trend's symbols are read as
// records in the result memory, whose cache is off under AddressSanitizer:
// there a trend is exempt. A binary of its own, since it counts every
// allocation of the process.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "KestrelUtils.h"
#include "model/ResultMemory.h"
#include "support/CountingAllocator.h"
#include "support/Session.h"

namespace {

using kt::Bytes;
using kt::SessionMessages;

// The type on the wire after the length prefix (54 for an envelope).
int WireType(const Bytes& message) {
  size_t at = 0;
  while (at < message.size() && (static_cast<unsigned char>(message[at]) & 0x80) == 0) ++at;
  uint32_t type = 0;
  for (++at; at < message.size(); ++at) {
    const auto byte = static_cast<unsigned char>(message[at]);
    type = type << 7 | (byte & 0x7F);
    if ((byte & 0x80) != 0) return static_cast<int>(type);
  }
  return -1;
}

bool DecodedBySet(int wireType) {
  for (const int type : {3, 5, 6, 17, 18, 21, 130}) {
    if (wireType == type) return true;
  }
  return false;
}

// Allocations of one decode of `message` into `set`.
long long AllocationsOfDecode(kestrel::SeriesSet& set, const Bytes& message) {
  const long long before = kt::AllocationCalls();
  set.decode(message.data(), message.size());
  return kt::AllocationCalls() - before;
}

constexpr int kWarmUps = 2;
constexpr int kCountedDecodes = 3;

TEST(SeriesAllocations, AWarmSetDecodesEverySeriesMessageOfTheSessionWithoutAllocating) {
  CKestrelCode::StartUp();
  const std::vector<Bytes> session = SessionMessages();
  ASSERT_FALSE(session.empty());
  kestrel::SeriesSet set;
  int counted = 0;
  for (size_t i = 0; i < session.size(); ++i) {
    const Bytes& message = session[i];
    const auto decoded = set.decode(message.data(), message.size());
    SCOPED_TRACE("message " + std::to_string(i) + " of type " + std::to_string(WireType(message)));
    // An envelope reports its inner type.
    if (!decoded || !DecodedBySet(static_cast<int>(decoded.type))) continue;
    for (int k = 0; k < kWarmUps; ++k) set.decode(message.data(), message.size());
    long long allocations = 0;
    for (int k = 0; k < kCountedDecodes; ++k) allocations += AllocationsOfDecode(set, message);
    if (decoded.type != kestrel::MessageType::HisTrend || kestrel::kResultCacheEnabled) {
      EXPECT_EQ(allocations, 0);
    }
    ++counted;
  }
  EXPECT_GE(counted, 19);  // the session holds 18 such messages and one envelope of them
}

}  // namespace

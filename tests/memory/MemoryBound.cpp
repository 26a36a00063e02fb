// The memory a decode may take: while one message is decoded, the bytes held
// by the process never exceed kBytesPerWireByte times the message's length
// (its inflated length for a compressed envelope) plus kFixedBytes. Every
// count read from the wire is cut to what the remaining bytes can fill, so
// records grow with the message, not with the numbers it claims.
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <thread>
#include <cstdlib>
#include <new>
#include <vector>

#include "KestrelUtils.h"
#include "model/ResultMemory.h"
#include "support/Corpus.h"
#include "support/Decoded.h"

namespace {

// The most bytes a decode may hold per byte of its (inflated) message, and
// the fixed allowance (working buffers, the result object, small lists).
constexpr int64_t kBytesPerWireByte = 64;
constexpr int64_t kFixedBytes = 256 * 1024;

// A thread keeps the memo of its classified codes for its whole life: it is
// made once, before anything is measured, and is no part of a decode's cost.
class MakeThreadMemos : public ::testing::Environment {
 public:
  void SetUp() override {
    char code[] = "600000.SH";
    CKestrelCode::GetSecurityType(code);
  }
};
const ::testing::Environment* const kMemos =
    ::testing::AddGlobalTestEnvironment(new MakeThreadMemos);

std::atomic<int64_t> gLive{0};
std::atomic<int64_t> gPeak{0};

std::atomic<int64_t> gAllocations{0};

void Note(int64_t delta) {
  if (delta > 0) gAllocations.fetch_add(1);
  const int64_t live = gLive.fetch_add(delta) + delta;
  int64_t peak = gPeak.load();
  while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
  }
}

// The peak bytes held while decoding one message, above what was held before.
int64_t PeakWhileDecoding(const kt::Bytes& message) {
  const int64_t before = gLive.load();
  gPeak.store(before);
  { kt::Decoded d(message); }
  return gPeak.load() - before;
}

TEST(MemoryBound, EveryCorpusMessageStaysWithinItsBound) {
  for (const kt::CorpusFile& file : kt::ReadCorpus()) {
    const kt::Bytes plain = kt::Framed(file.typeAndBody);
    const int64_t bound = kBytesPerWireByte * static_cast<int64_t>(plain.size()) + kFixedBytes;
    EXPECT_LE(PeakWhileDecoding(plain), bound) << file.path;
    EXPECT_LE(PeakWhileDecoding(kt::Compressed(plain)), bound) << file.path;
  }
}

TEST(MemoryBound, ForgedCountsDoNotReserveWhatTheBytesCannotFill) {
  // Counts of four billion in every counted field of a few message kinds.
  const kt::Bytes forged[] = {
      kt::Frame(64, kt::MessageBuilder().UInt(0x7FFFFFFF).Code(60, 0).UInt(0x7FFFFFFF).Bytes()),
      kt::Frame(3, kt::MessageBuilder().Code(60, 0).UInt(2).UInt(1).UInt(0x7FFFFFFF).Bytes()),
      kt::Frame(26,
                kt::MessageBuilder().UInt(0).UInt(0x7FFFFFFF).Code(60, 0).UInt(0x7FFFFFFF).Bytes()),
      kt::Frame(25, kt::MessageBuilder().UInt(0x7FFFFFFF).UInt(3).UInt(0x7FFFFFFF).Bytes()),
  };
  for (const kt::Bytes& message : forged) {
    EXPECT_LE(PeakWhileDecoding(message), kFixedBytes) << kt::Hex(message);
  }
}

// Blocks whose indicators carry list records (an order queue each here) add
// them to the result in one growth per list. Added one at a time, every
// addition would copy all the earlier records again, and the work of a
// decode would grow with the square of its message.
TEST(MemoryBound, ListRecordsJoinTheResultInOneGrowth) {
  const auto allocations = [](int blocks) {
    kt::MessageBuilder b;
    b.UInt(static_cast<uint32_t>(blocks));
    for (int s = 0; s < blocks; ++s) {
      b.Code(60, static_cast<uint32_t>(s)).UInt(1);
      b.UInt(91).UInt(93000).UInt(1).UInt(1).UInt(1);  // queue: stamp, side, status, one level
      b.UInt(10250).UInt(1).UInt(1).UInt(100);         // of one order
    }
    const kt::Bytes message = kt::Frame(64, b.Bytes());
    // Counted from an empty cache, so every block is a new allocation.
    CKestrelCode::ClearDecodeMemory();
    const int64_t before = gAllocations.load();
    { kt::Decoded d(message); }
    return gAllocations.load() - before;
  };
  // Four times the blocks: about four times the allocations (sixteen times
  // when each record copies all the earlier ones).
  EXPECT_LE(allocations(400), 5 * allocations(100));
}

TEST(MemoryBound, EnvelopesPastTheInflateCeilingAreRefusedEarly) {
  // 101 MiB of zeros deflate to about 100 KiB; inflating them stops at the
  // 100 MiB ceiling with a null result, holding at most twice the ceiling
  // (the old and the new buffer of the last growth).
  constexpr size_t kCeiling = 100 << 20;
  kt::Bytes inner = kt::Frame(48, kt::Bytes(kCeiling + (1 << 20), 0));
  const kt::Bytes envelope = kt::Compressed(inner);
  inner = kt::Bytes();
  inner.shrink_to_fit();
  const int64_t before = gLive.load();
  gPeak.store(before);
  int type = -1;
  std::vector<char> message(envelope.begin(), envelope.end());
  EXPECT_EQ(CKestrelCode::DecodeOneMessage(message.data(), &type), nullptr);
  EXPECT_LE(gPeak.load() - before, 2 * static_cast<int64_t>(kCeiling) + kFixedBytes +
                                       static_cast<int64_t>(envelope.size()));
}

// A day K-line of `rows` rows: seven columns of 4 or 8 bytes a row.
kt::Bytes DayKLine(int rows) {
  kt::MessageBuilder b;
  b.Code(60, 0).UInt(2).UInt(0x11).UInt(static_cast<uint32_t>(rows)).UInt(20000104);
  for (int i = 1; i < rows; ++i) b.UInt(1);
  b.UInt(1000);
  for (int i = 0; i < rows; ++i) b.Int(i % 7 - 3).UInt(5).UInt(9).UInt(2);
  for (int c = 0; c < 2; ++c) {
    b.Int(50000);
    for (int i = 1; i < rows; ++i) b.Int(i % 11 - 5);
  }
  return kt::Frame(3, b.Bytes());
}

// Decodes series of several lengths, together far more than a thread keeps.
void DecodeSeriesOfManySizes() {
  for (int rows = 20000; rows <= 200000; rows += 30000) {
    kt::Decoded d(DayKLine(rows));
  }
}

// Freed results are kept for reuse by the thread that freed them, within the
// thread's ceiling; the release call gives them back, and so does the end of
// the thread.
TEST(MemoryBound, KeptResultMemoryStaysUnderTheCeilingAndIsGivenBack) {
  // The allocator's own rounding of each kept block.
  constexpr int64_t kRoundingPerBlock = 64;
  CKestrelCode::ClearDecodeMemory();
  const int64_t before = gLive.load();
  DecodeSeriesOfManySizes();
  const int64_t kept = gLive.load() - before;
  const auto blocks = static_cast<int64_t>(kestrel::ThreadResultMemoryStats().cachedBlocks);
  EXPECT_LE(kept, static_cast<int64_t>(kestrel::kThreadCacheCeiling) + kRoundingPerBlock * blocks);
  if (kestrel::kResultCacheEnabled) {
    EXPECT_GT(kept, static_cast<int64_t>(kestrel::kThreadCacheCeiling / 2));
  }
  CKestrelCode::ClearDecodeMemory();
  EXPECT_EQ(gLive.load(), before);

  std::thread other(DecodeSeriesOfManySizes);
  other.join();
  EXPECT_EQ(gLive.load(), before);
}

}  // namespace

// Counting allocation functions: every block's usable size is added while
// it is held.
void* operator new(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  Note(static_cast<int64_t>(malloc_usable_size(p)));
  return p;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p != nullptr) Note(static_cast<int64_t>(malloc_usable_size(p)));
  return p;
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  Note(-static_cast<int64_t>(malloc_usable_size(p)));
  std::free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }

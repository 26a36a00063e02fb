// The result memory layer: blocks, the per-thread cache within its ceiling,
// the release call, threads, and results that read the same whatever memory
// the cache hands out.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "KestrelUtils.h"
#include "model/OwnedArray.h"
#include "model/ResultMemory.h"
#include "support/Corpus.h"
#include "support/Decoded.h"
#include "support/Fingerprint.h"

namespace {

using kestrel::ResultArrays;
using kestrel::ThreadResultMemoryStats;

// Counts the constructions and destructions of its elements.
struct Counted {
  static int alive;
  int value = 7;
  Counted() { ++alive; }
  ~Counted() { --alive; }
  Counted& operator=(const Counted&) = default;
};
int Counted::alive = 0;

TEST(ResultMemory, BlocksAreAlignedAndKeepTheirCount) {
  for (int n : {1, 3, 16, 17, 1000, 100000, 1000000}) {
    double* a = TryNewArray<ResultArrays, double>(n);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % alignof(std::max_align_t), 0u) << n;
    EXPECT_EQ(kestrel::ElementCount(a), static_cast<uint64_t>(n));
    EXPECT_EQ(a[0], 0.0);
    EXPECT_EQ(a[n - 1], 0.0);
    ReleaseArray<ResultArrays>(a);
    EXPECT_EQ(a, nullptr);
  }
  EXPECT_EQ((TryNewArray<ResultArrays, int>(0)), nullptr);
  EXPECT_EQ((TryNewArray<ResultArrays, int>(-5)), nullptr);
}

TEST(ResultMemory, RecordArraysAreConstructedAndDestroyedElementByElement) {
  Counted* records = TryNewArray<ResultArrays, Counted>(5);
  ASSERT_NE(records, nullptr);
  EXPECT_EQ(Counted::alive, 5);
  EXPECT_EQ(records[4].value, 7);
  Counted* copy = TryNewArrayCopy<ResultArrays>(records, 5);
  EXPECT_EQ(Counted::alive, 10);
  ReleaseArray<ResultArrays>(records);
  ReleaseArray<ResultArrays>(copy);
  EXPECT_EQ(Counted::alive, 0);
}

// A reused block keeps what its last user wrote: a zeroed array must still
// read 0 everywhere.
TEST(ResultMemory, ZeroedArraysReadZeroOnReusedBlocks) {
  constexpr int kN = 5000;
  int64_t* dirty = TryNewArray<ResultArrays, int64_t>(kN);
  ASSERT_NE(dirty, nullptr);
  std::memset(dirty, 0xAB, sizeof(int64_t) * kN);
  ReleaseArray<ResultArrays>(dirty);
  int64_t* clean = TryNewArray<ResultArrays, int64_t>(kN);
  ASSERT_NE(clean, nullptr);
  for (int i = 0; i < kN; ++i) ASSERT_EQ(clean[i], 0) << i;
  ReleaseArray<ResultArrays>(clean);
}

TEST(ResultMemory, TheThreadCeilingHoldsAndTheReleaseCallEmptiesTheCache) {
  CKestrelCode::ClearDecodeMemory();
  ASSERT_EQ(ThreadResultMemoryStats().cachedBytes, 0u);
  // Twice the ceiling in blocks of a quarter of the largest cached size.
  constexpr size_t kBlock = kestrel::kLargestCachedBlock / 4;
  std::vector<char*> blocks;
  for (size_t held = 0; held < 2 * kestrel::kThreadCacheCeiling; held += kBlock) {
    blocks.push_back(TryNewArray<ResultArrays, char>(static_cast<int>(kBlock)));
    ASSERT_NE(blocks.back(), nullptr);
  }
  for (char*& block : blocks) ReleaseArray<ResultArrays>(block);
  const kestrel::ResultMemoryStats full = ThreadResultMemoryStats();
  EXPECT_LE(full.cachedBytes, kestrel::kThreadCacheCeiling);
  if (kestrel::kResultCacheEnabled) {
    // Filled to within one block of the ceiling.
    EXPECT_GT(full.cachedBytes + 2 * kBlock, kestrel::kThreadCacheCeiling);
  } else {
    EXPECT_EQ(full.cachedBytes, 0u);
  }
  CKestrelCode::ClearDecodeMemory();
  EXPECT_EQ(ThreadResultMemoryStats().cachedBytes, 0u);
  EXPECT_EQ(ThreadResultMemoryStats().cachedBlocks, 0u);
}

TEST(ResultMemory, BlocksAboveTheLimitAreNeverCached) {
  CKestrelCode::ClearDecodeMemory();
  char* big = TryNewArray<ResultArrays, char>(static_cast<int>(kestrel::kLargestCachedBlock));
  ASSERT_NE(big, nullptr);
  ReleaseArray<ResultArrays>(big);
  EXPECT_EQ(ThreadResultMemoryStats().cachedBytes, 0u);
}

// A day K-line of 2,000 rows, decoded again and again as a host does.
kt::Bytes DayKLine() {
  constexpr int kRows = 2000;
  kt::MessageBuilder b;
  b.Code(60, 0).UInt(2).UInt(0x11).UInt(kRows).UInt(20000104);
  for (int i = 1; i < kRows; ++i) b.UInt(1);
  b.UInt(1000);
  for (int i = 0; i < kRows; ++i) b.Int(i % 7 - 3).UInt(5).UInt(9).UInt(2);
  for (int c = 0; c < 2; ++c) {
    b.Int(50000);
    for (int i = 1; i < kRows; ++i) b.Int(i % 11 - 5);
  }
  return kt::Frame(3, b.Bytes());
}

TEST(ResultMemory, RepeatedDecodesReuseTheThreadsBlocks) {
  const kt::Bytes message = DayKLine();
  CKestrelCode::ClearDecodeMemory();
  uint64_t first = 0;
  {
    const kt::Decoded d(message);
    CIndexToValue* columns = d.As<CKestrelData>()->GetKestrelHisData()[0].GetIndexToValue();
    ASSERT_EQ(columns->GetNum(), 7);
    ASSERT_EQ(columns->GetOneIndexValueNum()[6], 2000);
    first = kt::FingerprintOf(d.Result(), d.Type());
  }
  const kestrel::ResultMemoryStats before = ThreadResultMemoryStats();
  for (int i = 0; i < 3; ++i) {
    kt::Decoded again(message);
    EXPECT_EQ(kt::FingerprintOf(again.Result(), again.Type()), first);
  }
  const kestrel::ResultMemoryStats after = ThreadResultMemoryStats();
  const uint64_t requests = after.requests - before.requests;
  EXPECT_GT(requests, 0u);
  EXPECT_EQ(after.reused - before.reused, kestrel::kResultCacheEnabled ? requests : 0u);
}

// A result freed on another thread goes into that thread's cache; when the
// thread ends its cache is released (the sanitizer and leak runs check that
// nothing is lost or freed twice).
TEST(ResultMemory, ResultsMayBeFreedOnAnotherThread) {
  const kt::Bytes message = DayKLine();
  std::vector<char> copy(message.begin(), message.end());
  int type = 0;
  char* result = CKestrelCode::DecodeOneMessage(copy.data(), &type);
  ASSERT_NE(result, nullptr);
  const uint64_t expected = kt::FingerprintOf(result, type);
  size_t cachedThere = 0;
  std::thread other([&] {
    EXPECT_EQ(kt::FingerprintOf(result, type), expected);
    CKestrelCode::ClearDecodeMessage(result, type);
    cachedThere = ThreadResultMemoryStats().cachedBytes;
  });
  other.join();
  EXPECT_EQ(cachedThere > 0, kestrel::kResultCacheEnabled);
}

// Whatever the cache hands out, every message decodes to the same values:
// every corpus input, whole and cut at every length, decoded on a thread
// whose cache is empty and again after the cache was filled with blocks of
// every size class written full of ones.
TEST(ResultMemory, DirtyBlocksChangeNoDecodedValue) {
  const auto fingerprints = [](const std::vector<kt::CorpusFile>& corpus) {
    std::vector<uint64_t> all;
    for (const kt::CorpusFile& file : corpus) {
      for (size_t cut = 1; cut <= file.typeAndBody.size(); ++cut) {
        const kt::Decoded d(kt::Framed(kt::Bytes(
            file.typeAndBody.begin(), file.typeAndBody.begin() + static_cast<long>(cut))));
        all.push_back(kt::FingerprintOf(d.Result(), d.Type()));
      }
    }
    return all;
  };
  const std::vector<kt::CorpusFile> corpus = kt::ReadCorpus();
  ASSERT_FALSE(corpus.empty());
  CKestrelCode::ClearDecodeMemory();
  const std::vector<uint64_t> cold = fingerprints(corpus);

  std::vector<char*> dirty;
  for (int size = 1; size <= (1 << 20); size += 1 + size / 8) {
    for (int copies = 0; copies < 4; ++copies) {
      char* block = TryNewArray<ResultArrays, char>(size, kestrel::Fill::kNone);
      ASSERT_NE(block, nullptr);
      std::memset(block, 0xFF, static_cast<size_t>(size));
      dirty.push_back(block);
    }
  }
  for (char*& block : dirty) ReleaseArray<ResultArrays>(block);
  EXPECT_EQ(fingerprints(corpus), cold);
  CKestrelCode::ClearDecodeMemory();
}

// Built with AddressSanitizer the layer keeps no block, so a host that reads
// a result after freeing it is caught.
TEST(ResultMemoryDeathTest, UseAfterFreeOfAResultIsReported) {
  if (kestrel::kResultCacheEnabled) GTEST_SKIP() << "only in AddressSanitizer builds";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const kt::Bytes message = DayKLine();
  EXPECT_DEATH(
      {
        std::vector<char> copy(message.begin(), message.end());
        int type = 0;
        char* result = CKestrelCode::DecodeOneMessage(copy.data(), &type);
        auto* data = reinterpret_cast<CKestrelData*>(result);
        int* dates = data->GetKestrelHisData()[0].GetIndexToValue()->GetIndexValue()[0].pnValue;
        CKestrelCode::ClearDecodeMessage(result, type);
        std::printf("%d\n", dates[1]);
      },
      "heap-use-after-free");
}

}  // namespace

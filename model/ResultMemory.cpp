// Result memory: a bounded per-thread cache of freed blocks by size class.
#include "model/ResultMemory.h"

#include <cstddef>
#include <limits>
#include <new>

namespace kestrel {
namespace {

// In front of every block. While a block is cached, `next` links it into its
// class's list; while it is in use, `count` is the caller's.
struct alignas(std::max_align_t) BlockHeader {
  uint32_t sizeClass;
  union {
    uint64_t count;
    BlockHeader* next;
  };
};
constexpr size_t kHeaderBytes = sizeof(BlockHeader);
static_assert(kHeaderBytes % alignof(std::max_align_t) == 0,
              "the header keeps the caller's pointer aligned");

// Classes: multiples of kSmallStep up to kSmallLimit, then kStepsPerDoubling
// steps between consecutive powers of two.
constexpr size_t kSmallStep = 16;
constexpr size_t kSmallLimit = 64;
constexpr int kSmallClasses = static_cast<int>(kSmallLimit / kSmallStep);
constexpr int kStepBits = 2;
constexpr int kStepsPerDoubling = 1 << kStepBits;
constexpr int kFirstDoubling = 6;  // log2(kSmallLimit)

// The index of the highest set bit of n (n >= 1).
constexpr int HighestBit(size_t n) {
  return std::numeric_limits<unsigned long long>::digits - 1 -
         __builtin_clzll(static_cast<unsigned long long>(n));
}

// The class of a block of `total` bytes (header included), total >= 1.
constexpr int ClassOf(size_t total) {
  if (total <= kSmallLimit) return static_cast<int>((total + kSmallStep - 1) / kSmallStep) - 1;
  const size_t n = total - 1;
  const int doubling = HighestBit(n);
  const int step = static_cast<int>((n >> (doubling - kStepBits)) & (kStepsPerDoubling - 1));
  return kSmallClasses + (doubling - kFirstDoubling) * kStepsPerDoubling + step;
}

// The bytes of every block of class `c`.
constexpr size_t ClassSize(int c) {
  if (c < kSmallClasses) return static_cast<size_t>(c + 1) * kSmallStep;
  const int doubling = kFirstDoubling + (c - kSmallClasses) / kStepsPerDoubling;
  const int step = (c - kSmallClasses) % kStepsPerDoubling;
  return static_cast<size_t>(kStepsPerDoubling + step + 1) << (doubling - kStepBits);
}

constexpr int kClassCount = ClassOf(kLargestCachedBlock) + 1;
// The class mark of blocks that never enter a cache (exact size).
constexpr uint32_t kUncached = UINT32_MAX;

static_assert(ClassSize(ClassOf(kLargestCachedBlock)) == kLargestCachedBlock,
              "the largest cached block is a class of its own");
static_assert(ClassSize(ClassOf(65)) == 80 && ClassSize(ClassOf(129)) == 160,
              "four steps per doubling");

// The blocks a thread keeps, with its figures.
class ThreadCache {
 public:
  constexpr ThreadCache() = default;
  ThreadCache(const ThreadCache&) = delete;
  ThreadCache& operator=(const ThreadCache&) = delete;
  ~ThreadCache();

  BlockHeader* Take(int c) {
    ++stats_.requests;
    BlockHeader* block = free_[c];
    if (block == nullptr) return nullptr;
    free_[c] = block->next;
    stats_.cachedBytes -= ClassSize(c);
    --stats_.cachedBlocks;
    ++stats_.reused;
    return block;
  }
  // False when the block does not fit under the ceiling.
  bool Keep(BlockHeader* block) {
    const size_t size = ClassSize(static_cast<int>(block->sizeClass));
    if (stats_.cachedBytes + size > kThreadCacheCeiling) return false;
    block->next = free_[block->sizeClass];
    free_[block->sizeClass] = block;
    stats_.cachedBytes += size;
    ++stats_.cachedBlocks;
    return true;
  }
  void CountUncachedRequest() { ++stats_.requests; }
  void Drain();
  const ResultMemoryStats& Stats() const { return stats_; }

 private:
  BlockHeader* free_[kClassCount] = {};
  ResultMemoryStats stats_;
};

// Set once the thread's cache has been destroyed (the thread is ending):
// blocks freed after that, by later destructors of the thread, go straight
// back to the system. Trivially destructible, so it stays readable.
thread_local bool tCacheClosed = false;
thread_local ThreadCache tCache;

void FreeBlock(BlockHeader* block) { ::operator delete(static_cast<void*>(block)); }

void ThreadCache::Drain() {
  for (BlockHeader*& head : free_) {
    while (head != nullptr) {
      BlockHeader* next = head->next;
      FreeBlock(head);
      head = next;
    }
  }
  stats_.cachedBytes = 0;
  stats_.cachedBlocks = 0;
}

ThreadCache::~ThreadCache() {
  Drain();
  tCacheClosed = true;
}

void* UserPointer(BlockHeader* block) { return reinterpret_cast<char*>(block) + kHeaderBytes; }

BlockHeader* HeaderOf(const void* user) {
  return reinterpret_cast<BlockHeader*>(const_cast<char*>(static_cast<const char*>(user)) -
                                        kHeaderBytes);
}

}  // namespace

void* AllocateResultBlock(size_t bytes, uint64_t count) noexcept {
  if (bytes > SIZE_MAX - kHeaderBytes) return nullptr;
  const size_t total = bytes + kHeaderBytes;
  BlockHeader* block = nullptr;
  uint32_t sizeClass = kUncached;
  size_t size = total;
  if (kResultCacheEnabled && total <= kLargestCachedBlock && !tCacheClosed) {
    const int c = ClassOf(total);
    sizeClass = static_cast<uint32_t>(c);
    size = ClassSize(c);
    block = tCache.Take(c);
  } else if (!tCacheClosed) {
    tCache.CountUncachedRequest();
  }
  if (block == nullptr) block = static_cast<BlockHeader*>(::operator new(size, std::nothrow));
  if (block == nullptr) return nullptr;
  block->sizeClass = sizeClass;
  block->count = count;
  return UserPointer(block);
}

void ReleaseResultBlock(void* user) noexcept {
  if (user == nullptr) return;
  BlockHeader* block = HeaderOf(user);
  if (block->sizeClass != kUncached && !tCacheClosed && tCache.Keep(block)) return;
  FreeBlock(block);
}

uint64_t ElementCount(const void* user) noexcept { return HeaderOf(user)->count; }

ResultMemoryStats ThreadResultMemoryStats() noexcept {
  return tCacheClosed ? ResultMemoryStats{} : tCache.Stats();
}

void ReleaseThreadResultMemory() noexcept {
  if (!tCacheClosed) tCache.Drain();
}

}  // namespace kestrel

// Result memory: the one allocator behind the arrays of decoded results.
//
// A host decodes the same kinds of message again and again and frees each
// result before the next. Large exact-size arrays handed back to the C
// library at every free go back to the system and are faulted in (and
// zero-filled by the kernel) again at the next decode. This layer keeps
// recently freed blocks in a cache of the calling thread, by size class, so
// the next decode of the same shape finds warm memory.
//
// - Every block carries a small header in front of the caller's pointer (its
//   size class and an element count for the typed helpers); the caller's
//   pointer stays aligned to alignof(std::max_align_t).
// - Size classes: multiples of 16 bytes up to 64, then four steps per power
//   of two (at most a quarter of a block is slack).
// - A thread caches at most kThreadCacheCeiling bytes; a freed block that
//   would go beyond it, and every block above kLargestCachedBlock, goes
//   straight back to the system.
// - A block freed on another thread than the one that made it joins the
//   freeing thread's cache. A thread's cache is released when the thread
//   ends, and on demand by ReleaseThreadResultMemory (exported to hosts as
//   CKestrelCode::ClearDecodeMemory).
// - Built with AddressSanitizer the layer keeps no cache at all: every block
//   goes back to the system at once, so a host's use of a freed result or a
//   double free is still reported.
//
// Blocks come from the global operator new and go back through operator
// delete, so whatever counts the process's allocations sees them.
#ifndef KESTREL_MODEL_RESULTMEMORY_H
#define KESTREL_MODEL_RESULTMEMORY_H

#include <cstddef>
#include <cstdint>

namespace kestrel {

// Whether blocks are cached at all in this build.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kResultCacheEnabled = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kResultCacheEnabled = false;
#else
inline constexpr bool kResultCacheEnabled = true;
#endif
#else
inline constexpr bool kResultCacheEnabled = true;
#endif

// The most bytes (headers included) a thread keeps cached. A minute K-line
// of 100,000 rows (the largest series a host asks for at once) leaves 16
// blocks of 7.4 MiB in their size classes; twice that leaves room for a
// second kind of message decoded in turn.
inline constexpr size_t kThreadCacheCeiling = size_t{16} << 20;
// Blocks above this size (half a million doubles) are never cached.
inline constexpr size_t kLargestCachedBlock = size_t{4} << 20;

// A block of at least `bytes` bytes, uninitialised, aligned to
// alignof(std::max_align_t); null when no memory is left. `count` is kept
// in the header for the caller (ElementCount).
void* AllocateResultBlock(size_t bytes, uint64_t count) noexcept;
// Gives a block of AllocateResultBlock back; null is ignored.
void ReleaseResultBlock(void* block) noexcept;
// The count stored with a block.
uint64_t ElementCount(const void* block) noexcept;

// What the calling thread's cache holds and has done.
struct ResultMemoryStats {
  size_t cachedBytes = 0;   // bytes of the blocks held, headers included
  size_t cachedBlocks = 0;  // blocks held
  uint64_t requests = 0;    // blocks asked for on this thread
  uint64_t reused = 0;      // of them, served from the cache
};
ResultMemoryStats ThreadResultMemoryStats() noexcept;
// Returns every block cached by the calling thread to the system.
void ReleaseThreadResultMemory() noexcept;

}  // namespace kestrel

#endif  // KESTREL_MODEL_RESULTMEMORY_H

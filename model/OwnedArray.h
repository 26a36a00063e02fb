// The one place where raw arrays are made and released.
//
// The exported records hold raw arrays because their layout says so (the
// host reads them as pointers and counts). Every such array is made here and
// released here, from one of two sources, so the ownership rules live in one
// file:
//
// - ResultArrays: the result memory layer (model/ResultMemory.h), whose
//   blocks are cached per thread and carry a header in front of the array.
//   Used for arrays that only library code puts in place:
//     CIndexToValue: its four columns and every value's storage (texts, the
//       series arrays, text arrays and their texts);
//     CKestrelData: its four record lists;
//     CKestrelHisData: the security type text;
//     CKestrelMarketEventData: FieldItem;
//     CKestrelL2OrderQueue: the price levels; CL2OrderQueuePriceLevel: the
//       order items.
//   A host must never put an array of its own into these places, nor free
//   one of them itself: it reads and writes their elements only.
// - HostArrays: plain array new and delete. Used where a host may hand the
//   library an array made with array new, or take one from it: the service
//   reply records (CLoginInfo texts, CWatchList and WatchListItem::IndIndex,
//   CTop8Info and CSectorChartItem, the Codes and Values of
//   CSectorQuotesOrder and CPagedRankList), the raw-data result and CCode.
//   A block of the layer cannot be told from a host's array by looking at
//   it, so those records never use the layer.
//
// Every helper names its source as its first template argument. None of them
// throws: each returns null (or false) when no memory is left, since no
// exception may cross the library's interface. Only NewZeroedArray and
// NewTextCopy (host arrays for the decoders, which run under the catch-all of
// DecodeOneMessage) throw std::bad_alloc.
//
// The allocation rule of the library:
// - A decoder makes its result record and working objects with
//   std::make_unique (or a standard container) and lets std::bad_alloc pass:
//   the dispatcher's DecodeFrame is the one boundary of a decode, catches
//   every exception and returns null, so a decode that runs out of memory
//   yields no result and nothing leaks.
// - Arrays of the records come from the helpers of this file; a null array
//   ends the filling of that array and the decoder returns what it has.
// - No decoder catches for itself. The exceptions are places that cannot
//   let an exception pass: destructors (the pending records of a security
//   walk) and operations that hosts call directly (the stream framer).
// - Request encoders return null when memory runs out: they use the
//   helpers here and new (std::nothrow), since nothing above them catches.
#ifndef KESTREL_MODEL_OWNEDARRAY_H
#define KESTREL_MODEL_OWNEDARRAY_H

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>
#include <type_traits>

#include "model/ResultMemory.h"

namespace kestrel {

// Whether a new array is cleared: kZero value-initialises every element
// (zeros for plain data, default-constructed records); kNone leaves plain
// data as it was, for callers that write every element themselves. Records
// are always default-constructed.
enum class Fill { kZero, kNone };

// Array new and array delete.
struct HostArrays {
  template <typename T>
  static T* New(int n, Fill = Fill::kZero) noexcept {
    return n < 1 ? nullptr : new (std::nothrow) T[static_cast<size_t>(n)]();
  }
  template <typename T>
  static void Delete(T* array) noexcept {
    delete[] array;
  }
};

// Blocks of the result memory layer; the element count lives in the block's
// header, so records are destroyed element by element on release.
struct ResultArrays {
  template <typename T>
  static T* New(int n, Fill fill = Fill::kZero) noexcept {
    if (n < 1 || static_cast<size_t>(n) > SIZE_MAX / sizeof(T)) return nullptr;
    const auto count = static_cast<size_t>(n);
    void* block = AllocateResultBlock(count * sizeof(T), count);
    if (block == nullptr) return nullptr;
    auto* array = static_cast<T*>(block);
    if constexpr (std::is_trivially_default_constructible_v<T>) {
      if (fill == Fill::kZero) std::memset(block, 0, count * sizeof(T));
    } else {
      size_t made = 0;
      try {
        for (; made < count; ++made) new (array + made) T();
      } catch (...) {
        while (made > 0) array[--made].~T();
        ReleaseResultBlock(block);
        return nullptr;
      }
    }
    return array;
  }
  template <typename T>
  static void Delete(T* array) noexcept {
    if (array == nullptr) return;
    if constexpr (!std::is_trivially_destructible_v<T>) {
      for (auto i = ElementCount(array); i > 0; --i) array[i - 1].~T();
    }
    ReleaseResultBlock(array);
  }
};

}  // namespace kestrel

// A new array of n value-initialised (zeroed) elements by array new, or null
// for n == 0; throws std::bad_alloc.
template <typename T>
T* NewZeroedArray(size_t n) {
  return n == 0 ? nullptr : new T[n]();
}

// A new NUL-terminated copy of the first n characters of text, by array new;
// throws std::bad_alloc.
inline char* NewTextCopy(const char* text, size_t n) {
  char* copy = new char[n + 1];
  if (n > 0) std::memcpy(copy, text, n);
  copy[n] = '\0';
  return copy;
}

// Releases an array made by `Arrays` and nulls the pointer.
template <typename Arrays, typename T>
void ReleaseArray(T*& array) {
  Arrays::Delete(array);
  array = nullptr;
}

// A new array of n elements, zeroed unless `fill` says otherwise (records
// are default-constructed). Null when n is below 1 or no memory is left.
template <typename Arrays, typename T>
T* TryNewArray(int n, kestrel::Fill fill = kestrel::Fill::kZero) {
  return Arrays::template New<T>(n, fill);
}

// An exact-size copy of the n elements of source, each copied with the
// element's own assignment (deep for the records that copy deeply). Null when
// n is below 1, source is null or no memory is left.
template <typename Arrays, typename T>
std::remove_const_t<T>* TryNewArrayCopy(T* source, int n) {
  using Element = std::remove_const_t<T>;
  if (source == nullptr) return nullptr;
  // Plain data is copied whole; the copy needs no clearing first.
  constexpr bool kPlain = std::is_trivially_copyable_v<Element>;
  auto* copy = TryNewArray<Arrays, Element>(n, kPlain ? kestrel::Fill::kNone : kestrel::Fill::kZero);
  if (copy == nullptr) return nullptr;
  if constexpr (kPlain) {
    std::memcpy(copy, source, static_cast<size_t>(n) * sizeof(Element));
  } else {
    for (int i = 0; i < n; ++i) copy[i] = source[i];
  }
  return copy;
}

// Replaces `array` by `count` fresh elements, or by null when count is below
// 1. When the elements cannot be obtained the array stays null and count
// becomes 0, so that no reader walks an array that is not there.
template <typename Arrays, typename T>
void RenewCountedArray(T*& array, int& count) {
  ReleaseArray<Arrays>(array);
  array = TryNewArray<Arrays, T>(count);
  if (array == nullptr && count > 0) count = 0;
}

// Replaces `array` by an exact-size copy of the `sourceCount` elements of
// `source` and sets `count` to match. A source without elements gives null
// and keeps sourceCount as the count; a copy that cannot be made gives null
// and count 0.
template <typename Arrays, typename T>
void CopyCountedArray(T*& array, int& count, T* source, int sourceCount) {
  ReleaseArray<Arrays>(array);
  array = TryNewArrayCopy<Arrays>(source, sourceCount);
  count = (array != nullptr || sourceCount < 1) ? sourceCount : 0;
}

// Grows the record list `list` of `count` records by copies of the
// `addedCount` records at `added`: a new exact-size array receives copies of
// the old records and then of the added ones (each by the record's own
// assignment), and only then is the old array released, so `added` may point
// into `list`. A null list is taken as empty whatever count says. Returns
// false, leaving list and count as they were, when the new array cannot be
// obtained; adding nothing (addedCount below 1 or added null) returns true.
template <typename Arrays, typename T>
bool AppendCopies(T*& list, int& count, T* added, int addedCount) {
  if (added == nullptr || addedCount < 1) return true;
  const int kept = list != nullptr ? (count > 0 ? count : 0) : 0;
  if (kept > INT_MAX - addedCount) return false;
  T* grown = TryNewArray<Arrays, T>(kept + addedCount);
  if (grown == nullptr) return false;
  for (int i = 0; i < kept; ++i) grown[i] = list[i];
  for (int i = 0; i < addedCount; ++i) grown[kept + i] = added[i];
  ReleaseArray<Arrays>(list);
  list = grown;
  count = kept + addedCount;
  return true;
}

// A new NUL-terminated copy of `text`; null when no memory is left.
template <typename Arrays>
char* TryNewText(std::string_view text) {
  if (text.size() >= static_cast<size_t>(INT_MAX)) return nullptr;
  char* copy = TryNewArray<Arrays, char>(static_cast<int>(text.size()) + 1, kestrel::Fill::kNone);
  if (copy == nullptr) return nullptr;
  if (!text.empty()) std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

// A new copy of the NUL-terminated text, terminator included; null for a
// null text or when no memory is left.
template <typename Arrays>
char* TryNewTextCopy(const char* text) {
  return text == nullptr ? nullptr : TryNewText<Arrays>(text);
}

// A new buffer of len + 1 characters holding at most len characters of text:
// copying stops at the first NUL of text and the rest of the buffer, position
// len included, is NUL. A null text or a negative len gives an empty text.
// Null when no memory is left.
template <typename Arrays>
char* TryNewPaddedText(const char* text, int len) {
  const int size = (len > 0 ? len : 0) + 1;
  char* buffer = TryNewArray<Arrays, char>(size);
  if (buffer != nullptr && text != nullptr) {
    // Stops at the first NUL, never reads beyond size - 1 characters.
    for (int i = 0; i < size - 1 && text[i] != '\0'; ++i) buffer[i] = text[i];
  }
  return buffer;
}

// A new array of n text pointers, each a fresh copy of the matching text of
// source; null texts stay null, and so does a text that cannot be copied.
// Null when n is below 1, source is null or no memory is left.
template <typename Arrays>
char** TryNewTextArrayCopy(char** source, int n) {
  if (source == nullptr) return nullptr;
  char** copy = TryNewArray<Arrays, char*>(n);
  if (copy != nullptr) {
    for (int i = 0; i < n; ++i) copy[i] = TryNewTextCopy<Arrays>(source[i]);
  }
  return copy;
}

// Releases the non-null texts among the first n elements of `texts`, then
// the pointer array itself, and nulls it.
template <typename Arrays>
void ReleaseTextArray(char**& texts, int n) {
  if (texts == nullptr) return;
  for (int i = 0; i < n; ++i) ReleaseArray<Arrays>(texts[i]);
  ReleaseArray<Arrays>(texts);
}

#endif  // KESTREL_MODEL_OWNEDARRAY_H

// The one place where raw arrays are made and released.
//
// The exported records hold raw arrays because their layout says so (the
// host reads them as pointers and counts). Every such array is made here with
// array new and released here with array delete, so the ownership rules live
// in one file.
//
// Two families of helpers:
// - NewZeroedArray and NewTextCopy throw std::bad_alloc when memory runs out;
//   decoders use them under the catch-all of DecodeOneMessage.
// - The Try... helpers and everything built on them never throw: they return
//   null (or false) instead. The exported records use them, because no
//   exception may cross the library's interface.
#ifndef KESTREL_MODEL_OWNEDARRAY_H
#define KESTREL_MODEL_OWNEDARRAY_H

#include <climits>
#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>

// A new array of n value-initialised (zeroed) elements, or null for n == 0.
template <typename T>
T* NewZeroedArray(size_t n) {
  return n == 0 ? nullptr : new T[n]();
}

// Releases an array made here and nulls the pointer.
template <typename T>
void ReleaseArray(T*& array) {
  delete[] array;
  array = nullptr;
}

// A new NUL-terminated copy of the first n characters of text.
inline char* NewTextCopy(const char* text, size_t n) {
  char* copy = new char[n + 1];
  if (n > 0) std::memcpy(copy, text, n);
  copy[n] = '\0';
  return copy;
}

// A new array of n value-initialised elements: zeros for plain data,
// default-constructed objects for records. Null when n is below 1 or no
// memory is left.
template <typename T>
T* TryNewArray(int n) {
  return n < 1 ? nullptr : new (std::nothrow) T[n]();
}

// An exact-size copy of the n elements of source, each copied with the
// element's own assignment (deep for the records that copy deeply). Null when
// n is below 1, source is null or no memory is left.
template <typename T>
std::remove_const_t<T>* TryNewArrayCopy(T* source, int n) {
  if (source == nullptr) return nullptr;
  auto* copy = TryNewArray<std::remove_const_t<T>>(n);
  if (copy != nullptr) {
    for (int i = 0; i < n; ++i) copy[i] = source[i];
  }
  return copy;
}

// Replaces `array` by `count` fresh elements, or by null when count is below
// 1. When the elements cannot be obtained the array stays null and count
// becomes 0, so that no reader walks an array that is not there.
template <typename T>
void RenewCountedArray(T*& array, int& count) {
  ReleaseArray(array);
  array = TryNewArray<T>(count);
  if (array == nullptr && count > 0) count = 0;
}

// Replaces `array` by an exact-size copy of the `sourceCount` elements of
// `source` and sets `count` to match. A source without elements gives null
// and keeps sourceCount as the count; a copy that cannot be made gives null
// and count 0.
template <typename T>
void CopyCountedArray(T*& array, int& count, T* source, int sourceCount) {
  ReleaseArray(array);
  array = TryNewArrayCopy(source, sourceCount);
  count = (array != nullptr || sourceCount < 1) ? sourceCount : 0;
}

// Grows the record list `list` of `count` records by copies of the
// `addedCount` records at `added`: a new exact-size array receives copies of
// the old records and then of the added ones (each by the record's own
// assignment), and only then is the old array released, so `added` may point
// into `list`. A null list is taken as empty whatever count says. Returns
// false, leaving list and count as they were, when the new array cannot be
// obtained; adding nothing (addedCount below 1 or added null) returns true.
template <typename T>
bool AppendCopies(T*& list, int& count, T* added, int addedCount) {
  if (added == nullptr || addedCount < 1) return true;
  const int kept = list != nullptr ? (count > 0 ? count : 0) : 0;
  if (kept > INT_MAX - addedCount) return false;
  T* grown = TryNewArray<T>(kept + addedCount);
  if (grown == nullptr) return false;
  for (int i = 0; i < kept; ++i) grown[i] = list[i];
  for (int i = 0; i < addedCount; ++i) grown[kept + i] = added[i];
  ReleaseArray(list);
  list = grown;
  count = kept + addedCount;
  return true;
}

// A new copy of the NUL-terminated text, terminator included; null for a
// null text or when no memory is left.
inline char* TryNewTextCopy(const char* text) {
  if (text == nullptr) return nullptr;
  const size_t size = std::strlen(text) + 1;
  char* copy = new (std::nothrow) char[size];
  if (copy != nullptr) std::memcpy(copy, text, size);
  return copy;
}

// A new buffer of len + 1 characters holding at most len characters of text:
// copying stops at the first NUL of text and the rest of the buffer, position
// len included, is NUL. A null text or a negative len gives an empty text.
// Null when no memory is left.
inline char* TryNewPaddedText(const char* text, int len) {
  const int size = (len > 0 ? len : 0) + 1;
  char* buffer = TryNewArray<char>(size);
  if (buffer != nullptr && text != nullptr) {
    // Stops at the first NUL, never reads beyond size - 1 characters.
    for (int i = 0; i < size - 1 && text[i] != '\0'; ++i) buffer[i] = text[i];
  }
  return buffer;
}

// A new array of n text pointers, each a fresh copy of the matching text of
// source; null texts stay null, and so does a text that cannot be copied.
// Null when n is below 1, source is null or no memory is left.
inline char** TryNewTextArrayCopy(char** source, int n) {
  if (source == nullptr) return nullptr;
  char** copy = TryNewArray<char*>(n);
  if (copy != nullptr) {
    for (int i = 0; i < n; ++i) copy[i] = TryNewTextCopy(source[i]);
  }
  return copy;
}

// Releases the non-null texts among the first n elements of `texts`, then
// the pointer array itself, and nulls it.
inline void ReleaseTextArray(char**& texts, int n) {
  if (texts == nullptr) return;
  for (int i = 0; i < n; ++i) ReleaseArray(texts[i]);
  ReleaseArray(texts);
}

#endif  // KESTREL_MODEL_OWNEDARRAY_H

// The one place where raw arrays are made and released.
//
// The exported records hold raw arrays because their layout says so (the
// host reads them as pointers and counts). Every such array is made here with
// array new and released here with array delete, so the ownership rules live
// in one file.
#ifndef KESTREL_MODEL_OWNEDARRAY_H
#define KESTREL_MODEL_OWNEDARRAY_H

#include <cstddef>
#include <cstring>

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

#endif  // KESTREL_MODEL_OWNEDARRAY_H

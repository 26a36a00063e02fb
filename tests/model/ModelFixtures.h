// Shared builders for the record tests: containers holding one entry of every
// owned value type, filled the way decoders fill them.
#ifndef KESTREL_TESTS_MODEL_MODELFIXTURES_H
#define KESTREL_TESTS_MODEL_MODELFIXTURES_H

#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <new>
#include <string>

#include "IndexToValue.h"
#include "KestrelData.h"
#include "KestrelSizes.h"
#include "model/OwnedArray.h"

namespace model_test {

// Entry positions of FillAllKinds.
enum : int { kText = 0, kInts, kDoubles, kInt64s, kTexts, kScalar, kEntryCount };

// A text of the result memory, as decoders make the texts of a container.
inline char* ResultText(const std::string& text) {
  return TryNewText<kestrel::ResultArrays>(text);
}

// Market-event fields of the result memory, as the decoder makes them.
inline CMarketEventFieldItem* ResultFields(std::initializer_list<CMarketEventFieldItem> fields) {
  auto* items = TryNewArray<kestrel::ResultArrays, CMarketEventFieldItem>(
      static_cast<int>(fields.size()));
  std::copy(fields.begin(), fields.end(), items);
  return items;
}

// A text made with array new, as a host hands it to the records that adopt
// texts (CLoginInfo).
inline char* NewText(const std::string& text) {
  char* copy = new char[text.size() + 1];
  std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

// The code-11 text of FillAllKinds: far longer than its count of 1.
inline std::string LongText(int seed) { return std::string(200, 't') + std::to_string(seed); }

// A pointer array of n code buffers, as the rank list decoders make them;
// element `skip` stays null.
inline char** NewCodeBuffers(int n, int skip = -1) {
  char** codes = new char*[n];
  for (int i = 0; i < n; ++i) codes[i] = i == skip ? nullptr : new char[kKestrelTernCodeSize]();
  return codes;
}

// Appends six entries (ids 100 + position): a long text, arrays of 3 ints,
// doubles and 64-bit ints, 3 texts of which the middle one is null, and one
// double. `seed` varies every value.
inline void FillAllKinds(CIndexToValue& columns, int seed) {
  const int base = columns.GetNum();
  columns.AddLength(kEntryCount);
  const int types[kEntryCount] = {11, 12, 13, 14, 21, 3};
  for (int k = 0; k < kEntryCount; ++k) {
    const int i = base + k;
    columns.GetIndexId()[i] = 100 + k;
    columns.GetValueType()[i] = types[k];
    columns.GetOneIndexValueNum()[i] = k == kText || k == kScalar ? 1 : 3;
    if (k != kText) columns.SetIndexValueMemory(i);
  }
  CIndexValue* v = columns.GetIndexValue() + base;
  v[kText].pcValue = ResultText(LongText(seed));
  for (int e = 0; e < 3; ++e) {
    v[kInts].pnValue[e] = seed + e;
    v[kDoubles].pdValue[e] = seed + e + 0.5;
    v[kInt64s].pllValue[e] = (int64_t{seed} << 40) + e;
  }
  v[kTexts].ppcValue[0] = ResultText("first " + std::to_string(seed));
  v[kTexts].ppcValue[2] = ResultText("third " + std::to_string(seed));
  v[kScalar].dValue = seed * 2.0;
}

// The text, or a marker that no text equals.
inline std::string TextOf(const char* text) { return text != nullptr ? text : "<null>"; }

// Checks that entries from `at` on hold what FillAllKinds(seed) stored.
inline ::testing::AssertionResult HoldsAllKinds(CIndexToValue& columns, int at, int seed) {
  if (columns.GetNum() < at + kEntryCount) return ::testing::AssertionFailure() << "too short";
  CIndexValue* v = columns.GetIndexValue() + at;
  const std::string s = std::to_string(seed);
  bool ok = TextOf(v[kText].pcValue) == LongText(seed) &&
            TextOf(v[kTexts].ppcValue[0]) == "first " + s && v[kTexts].ppcValue[1] == nullptr &&
            TextOf(v[kTexts].ppcValue[2]) == "third " + s && v[kScalar].dValue == seed * 2.0;
  for (int e = 0; e < 3; ++e) {
    ok = ok && v[kInts].pnValue[e] == seed + e && v[kDoubles].pdValue[e] == seed + e + 0.5 &&
         v[kInt64s].pllValue[e] == (int64_t{seed} << 40) + e;
  }
  for (int k = 0; k < kEntryCount; ++k) ok = ok && columns.GetIndexId()[at + k] == 100 + k;
  return ok ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "values differ";
}

// True when no owned pointer of the two FillAllKinds blocks is shared.
inline bool SharesNoStorage(CIndexToValue& a, int atA, CIndexToValue& b, int atB) {
  CIndexValue* x = a.GetIndexValue() + atA;
  CIndexValue* y = b.GetIndexValue() + atB;
  return x[kText].pcValue != y[kText].pcValue && x[kInts].pnValue != y[kInts].pnValue &&
         x[kDoubles].pdValue != y[kDoubles].pdValue && x[kInt64s].pllValue != y[kInt64s].pllValue &&
         x[kTexts].ppcValue != y[kTexts].ppcValue && x[kTexts].ppcValue[0] != y[kTexts].ppcValue[0];
}

// A record built in place whose destructor never runs: the second holder of
// storage that a member-wise copy shares with another record.
template <typename T>
class SharedView {
 public:
  SharedView() { record_ = new (storage_) T(); }
  T& operator*() { return *record_; }
  T* operator->() { return record_; }

 private:
  alignas(T) unsigned char storage_[sizeof(T)];
  T* record_;
};

}  // namespace model_test

#endif  // KESTREL_TESTS_MODEL_MODELFIXTURES_H

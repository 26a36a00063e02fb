// A fingerprint of everything a market-data result holds, read through the
// exported records only: every list, code, number, count and the bit pattern
// of every value and array element. Two results with equal fingerprints hold
// the same values bit for bit.
#ifndef KESTREL_TESTS_SUPPORT_FINGERPRINT_H
#define KESTREL_TESTS_SUPPORT_FINGERPRINT_H

#include <cstdint>
#include <cstring>

#include "KestrelUtils.h"

namespace kt {

// The result types whose result is a CKestrelData.
inline constexpr int kKestrelDataTypes[] = {3, 5, 6, 17, 18, 21, 24, 25, 33, 64, 130};

class Fingerprint {
 public:
  uint64_t Value() const { return hash_; }

  void Bytes(const void* data, size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) hash_ = (hash_ ^ p[i]) * kPrime;
  }
  template <typename T>
  void Add(const T& value) {
    Bytes(&value, sizeof value);
  }
  void Text(const char* text) {
    if (text == nullptr) return Add(-1);
    Bytes(text, std::strlen(text) + 1);
  }

  void Values(CIndexToValue& v) {
    const int n = v.GetNum();
    Add(n);
    if (v.GetIndexValue() == nullptr || v.GetValueType() == nullptr) return;
    for (int i = 0; i < n; ++i) {
      const int type = v.GetValueType()[i];
      const int count = v.GetOneIndexValueNum() != nullptr ? v.GetOneIndexValueNum()[i] : 0;
      Add(v.GetIndexId() != nullptr ? v.GetIndexId()[i] : -1);
      Add(type);
      Add(count);
      const CIndexValue& cell = v.GetIndexValue()[i];
      switch (type) {
        case 11: Text(cell.pcValue); break;
        case 12: Array(cell.pnValue, count); break;
        case 13: Array(cell.pdValue, count); break;
        case 14: Array(cell.pllValue, count); break;
        case 21:
          Add(cell.ppcValue != nullptr);
          for (int k = 0; cell.ppcValue != nullptr && k < count; ++k) Text(cell.ppcValue[k]);
          break;
        default: Add(cell.llValue); break;
      }
    }
  }

  void Data(CKestrelData& d) {
    Add(d.GetErrorCode());
    Add(d.GetHisDataNum());
    for (int i = 0; d.GetKestrelHisData() != nullptr && i < d.GetHisDataNum(); ++i) {
      CKestrelHisData& h = d.GetKestrelHisData()[i];
      Text(h.GetTernCode());
      Add(h.GetPeriodType());
      Add(h.GetHisType());
      Add(h.GetStatusNew());
      Add(h.GetStatusOld());
      Add(h.GetIndIndex());
      Text(h.GetSecurityType());
      Values(*h.GetIndexToValue());
    }
    Add(d.GetQuoteDataNum());
    for (int i = 0; d.GetKestrelQuoteData() != nullptr && i < d.GetQuoteDataNum(); ++i) {
      Text(d.GetKestrelQuoteData()[i].GetTernCode());
      Values(*d.GetKestrelQuoteData()[i].GetIndexToValue());
    }
    Add(d.GetL2OrderQueueNum());
    for (int i = 0; d.GetKestrelL2OrderQueue() != nullptr && i < d.GetL2OrderQueueNum(); ++i) {
      CKestrelL2OrderQueue& q = d.GetKestrelL2OrderQueue()[i];
      Text(q.GetTernCode());
      Add(q.GetDateTimeStamp());
      Add(q.GetSide());
      Add(q.GetImageStatus());
      Add(q.GetL2OrderQueuePriceLevelNum());
      for (int l = 0; q.GetL2OrderQueuePriceLevel() != nullptr &&
                      l < q.GetL2OrderQueuePriceLevelNum();
           ++l) {
        CL2OrderQueuePriceLevel& level = q.GetL2OrderQueuePriceLevel()[l];
        Add(level.GetPriceLevelOperator());
        Add(level.GetNumOfOrders());
        Values(*level.GetPrice());
        Add(level.GetL2OrderQueueItemNum());
        for (int k = 0; level.GetL2OrderQueueItem() != nullptr &&
                        k < level.GetL2OrderQueueItemNum();
             ++k) {
          const CL2OrderQueueItem& item = level.GetL2OrderQueueItem()[k];
          Add(item.Operator);
          Add(item.Position);
          Add(item.Volume);
        }
      }
    }
    Add(d.GetMarketEventListLen());
    for (int i = 0; d.GetMarketEventList() != nullptr && i < d.GetMarketEventListLen(); ++i) {
      const CKestrelMarketEventData& e = d.GetMarketEventList()[i];
      Add(e.EventInfo);
      Add(e.TernCode);
      Add(e.EventText);
      Add(e.FieldItemNum);
      for (int k = 0; e.FieldItem != nullptr && k < e.FieldItemNum; ++k) {
        Add(e.FieldItem[k].IndIndex);
        Add(e.FieldItem[k].Value);
      }
    }
  }

 private:
  static constexpr uint64_t kPrime = 1099511628211ull;

  template <typename T>
  void Array(const T* array, int count) {
    Add(array != nullptr);
    if (array != nullptr && count > 0) Bytes(array, sizeof(T) * static_cast<size_t>(count));
  }

  uint64_t hash_ = 14695981039346656037ull;
};

// The fingerprint of a decoded result: its type, and for market-data results
// every value they hold.
inline uint64_t FingerprintOf(char* result, int type) {
  Fingerprint f;
  f.Add(type);
  f.Add(result != nullptr);
  for (int t : kKestrelDataTypes) {
    if (t == type && result != nullptr) f.Data(*reinterpret_cast<CKestrelData*>(result));
  }
  return f.Value();
}

}  // namespace kt

#endif  // KESTREL_TESTS_SUPPORT_FINGERPRINT_H

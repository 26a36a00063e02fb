// Drives the record operations with a sequence the fuzzer chooses: growth,
// typed storage, deep copies between containers, list appends and merges of
// results. Any leak, double free or stray access shows under the sanitizers.
#include <cstring>

#include "KestrelUtils.h"
#include "model/OwnedArray.h"

namespace {

constexpr int kTypeCodes[] = {2, 3, 4, 11, 12, 13, 14, 21};
constexpr int kMaxEntries = 64;
constexpr int kMaxCount = 8;
// Merging two results into each other over and over doubles their lists
// each time; the sequence stops growing a result past this many records.
constexpr int kMaxRecords = 256;

int Records(CKestrelData& d) {
  return d.GetHisDataNum() + d.GetQuoteDataNum() + d.GetL2OrderQueueNum();
}

// Entry i of c gets a type and count, and storage filled for its type.
void FillEntry(CIndexToValue& c, int i, int type, int count) {
  c.GetIndexId()[i] = i;
  c.GetValueType()[i] = type;
  c.GetOneIndexValueNum()[i] = type < 10 ? 1 : count;
  c.SetIndexValueMemory(i);
  CIndexValue& v = c.GetIndexValue()[i];
  if (type == 21 && v.ppcValue != nullptr) {
    for (int k = 0; k < c.GetOneIndexValueNum()[i]; k += 2) {
      v.ppcValue[k] = TryNewText<kestrel::ResultArrays>("abc");
    }
  }
  if (type == 11 && v.pcValue == nullptr) v.pcValue = TryNewText<kestrel::ResultArrays>("");
  if (type < 10) c.SetOneNoPointerIndexValueByDouble(i, count * 1.5);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CIndexToValue columns[2];
  CKestrelData results[2];
  CKestrelHisData series;
  for (size_t at = 0; at + 2 < size; at += 3) {
    const int which = data[at] & 1;
    const int arg = data[at + 2];
    CIndexToValue& c = columns[which];
    const int op = (data[at] >> 1) % 10;
    const bool grows = op >= 4 && op <= 7;
    if (grows && Records(results[which]) + Records(results[1 - which]) > kMaxRecords) continue;
    switch (op) {
      case 0:  // grow by a few entries and fill them
        if (c.GetNum() + arg % 4 <= kMaxEntries) {
          const int first = c.GetNum();
          c.AddLength(arg % 4);
          for (int i = first; i < c.GetNum(); ++i) {
            FillEntry(c, i, kTypeCodes[(data[at + 1] + i) % 8], arg % kMaxCount);
          }
        }
        break;
      case 1:  // deep copy of the other container
        c = columns[1 - which];
        break;
      case 2:  // self-assignment
        c = c;
        break;
      case 3:
        c.Clear();
        break;
      case 4:  // the record's container from a deep copy, appended to the result
        series.GetIndexToValue()->operator=(c);
        results[which].AddHisData(series);
        break;
      case 5:
        results[which].AddKestrelData(&results[1 - which]);
        break;
      case 6: {
        CKestrelQuoteData quotes[2];
        *quotes[0].GetIndexToValue() = c;
        results[which].AddNumQuoteDatas(quotes, arg % 3);
        break;
      }
      case 7: {
        auto* queue = new CKestrelL2OrderQueue();
        queue->SetL2OrderQueuePriceLevelNum(arg % 4);
        queue->SetL2OrderQueuePriceLevel();
        results[which].AppendL2OrderQueue(queue);
        break;
      }
      case 8:
        results[which].Clear();
        break;
      case 9:  // copy between the columns of two containers of equal size
        if (c.GetNum() > 0 && columns[1 - which].GetNum() >= c.GetNum()) {
          CIndexToValue fresh;
          fresh.SetNum(c.GetNum());
          fresh.SetDatas();
          fresh.SetNewValue(fresh, columns[1 - which], 0, 0);
          c = fresh;
        }
        break;
    }
  }
  return 0;
}

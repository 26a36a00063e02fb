// Level-2 order queues: the price levels of one side of a security's book,
// with the volumes of the individual orders queued at each level.
//
// A queue arrives as a full image (status 1: every level and every order
// volume) or as an update (status 2: per level an operator that says which
// item fields follow). QE data carries a third form, the series form, with
// 64-bit fields. Operators are passed to the host as received.
//
// Counts are honoured as announced (codec/WireCounts.h): levels and items
// past the end of the message read as zeros.
#include <cstdint>
#include <cstring>

#include "KestrelCode.h"
#include "L2OrderQueue.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "model/ValueTypes.h"

namespace {

using kestrel::HonouredCount;
using kestrel::kBlockOverheadBytes;

// Decimals of queue prices in the quote-update form.
constexpr int kQueuePriceDecimals = 3;

// Memory one level holds: the level itself and the one-entry arrays (id,
// type, count, value) of its price.
constexpr int64_t kPriceArrays = 4;
constexpr int64_t kLevelBytes =
    sizeof(CL2OrderQueuePriceLevel) + kPriceArrays * (sizeof(CIndexValue) + kBlockOverheadBytes);
// Numbers of the series-form queue header, and of each of its levels, that
// are read and discarded.
constexpr int kSeriesSkippedNumbers = 3;
// Items after the first of a series-form level carry their volume in
// hundreds.
constexpr uint32_t kSeriesVolumeUnit = 100;

// Image statuses.
constexpr int kFullImage = 1;
constexpr int kUpdateImage = 2;

// The low 32 bits of a 64-bit field stored in a 32-bit one.
int Low32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

// Stores a level's price, its order count and its item count, and allocates
// the items; returns them (null when there are none).
CL2OrderQueueItem* SizeLevel(CL2OrderQueuePriceLevel& level, double price, int orders,
                             uint32_t wireItems, CDecodeCode& code) {
  CIndexToValue* container = level.GetPrice();
  if (container->GetNum() >= 1 && container->GetValueType() != nullptr &&
      container->GetIndexValue() != nullptr) {
    container->GetValueType()[0] = kValueDouble;
    container->GetIndexValue()[0].dValue = price;
  }
  level.SetNumOfOrders(orders);
  level.SetL2OrderQueueItemNum(
      HonouredCount(static_cast<int32_t>(wireItems), sizeof(CL2OrderQueueItem), code));
  level.SetL2OrderQueueItem();
  return level.GetL2OrderQueueItem();
}

// The scaling of a wire price into a double with the given decimals.
using PriceScale = double (*)(int64_t value, int decimals);

// Reads the price, the order count and the item count of a level of an
// image or an update, and sizes the level.
CL2OrderQueueItem* ReadLevel(CL2OrderQueuePriceLevel& level, PriceScale scale, int priceDecimals,
                             CDecodeCode& code) {
  const double price = scale(ReadUInt32(code), priceDecimals);
  const auto orders = kestrel::ReadWrappedInt32(code);
  const uint32_t wireItems = ReadUInt32(code);
  return SizeLevel(level, price, orders, wireItems, code);
}

// Item fields of an update that run as a series: the first value whole,
// then signed deltas, in 32-bit arithmetic.
template <int CL2OrderQueueItem::*Field>
void ReadRunningItems(CL2OrderQueueItem* items, int count, CDecodeCode& code) {
  uint32_t running = ReadUInt32(code);
  items[0].*Field = static_cast<int32_t>(running);
  for (int k = 1; k < count; ++k) {
    running += static_cast<uint32_t>(ReadInt64(code));
    items[k].*Field = static_cast<int32_t>(running);
  }
}

// The fields an item of an update carries after its own operator, in wire
// order; an operator of no row carries none.
struct ItemChange {
  int itemOperator;
  int CL2OrderQueueItem::*fields[2];
};
constexpr ItemChange kItemChanges[] = {
    {1, {&CL2OrderQueueItem::Volume, nullptr}},                       // a new volume
    {2, {&CL2OrderQueueItem::Position, &CL2OrderQueueItem::Volume}},  // both
    {3, {&CL2OrderQueueItem::Position, nullptr}},                     // a position
};

// Items that each carry their own operator and the fields it names.
void ReadItemChanges(CL2OrderQueueItem* items, int count, CDecodeCode& code) {
  for (int k = 0; k < count; ++k) {
    CL2OrderQueueItem& item = items[k];
    item.Operator = kestrel::ReadWrappedInt32(code);
    for (const ItemChange& change : kItemChanges) {
      if (change.itemOperator != item.Operator) continue;
      for (int CL2OrderQueueItem::*field : change.fields) {
        if (field != nullptr) item.*field = kestrel::ReadWrappedInt32(code);
      }
    }
  }
}

// What an update reads for the items of a level, by the level's operator;
// the items of an operator of no row are not on the wire and stay 0.
struct LevelChange {
  int levelOperator;
  void (*readItems)(CL2OrderQueueItem* items, int count, CDecodeCode& code);
};
constexpr LevelChange kLevelChanges[] = {
    {1, ReadRunningItems<&CL2OrderQueueItem::Volume>},    // volumes as a running series
    {2, ReadItemChanges},                                 // per-item operators
    {3, ReadRunningItems<&CL2OrderQueueItem::Position>},  // positions as a running series
};

}  // namespace

void CKestrelCode::DecodeL2OrderQueueData(char* ternCode, CKestrelL2OrderQueue* queue,
                                          CDecodeCode& code) {
  if (queue == nullptr) return;
  // The code first, so that the caller always appends the queue.
  queue->SetTernCode(ternCode, ternCode != nullptr ? static_cast<int>(std::strlen(ternCode)) : 0);
  queue->SetDateTimeStamp(kestrel::ReadWrappedInt32(code));
  queue->SetSide(kestrel::ReadWrappedInt32(code));
  queue->SetImageStatus(kestrel::ReadWrappedInt32(code));

  // The reader of the levels by image status. A status of no row reads
  // nothing for its levels; they stay as made.
  struct ImageForm {
    int status;
    void (*readLevels)(CL2OrderQueuePriceLevel*, int, int, CDecodeCode&);
  };
  static constexpr ImageForm kImageForms[] = {
      {kFullImage, DecodeImageStatus_FULL},
      {kUpdateImage, DecodeImageStatus_UPDATE},
  };
  const ImageForm* form = nullptr;
  for (const ImageForm& row : kImageForms) {
    if (row.status == queue->GetImageStatus()) form = &row;
  }
  queue->SetL2OrderQueuePriceLevelNum(
      HonouredCount(kestrel::ReadWrappedInt32(code), kLevelBytes, code));
  // Fresh levels have operator 0, no orders and no items.
  queue->SetL2OrderQueuePriceLevel();
  if (form != nullptr) {
    form->readLevels(queue->GetL2OrderQueuePriceLevel(), queue->GetL2OrderQueuePriceLevelNum(),
                     kQueuePriceDecimals, code);
  }
}

void CKestrelCode::DecodeImageStatus_FULL(CL2OrderQueuePriceLevel* levels, int levelCount,
                                          int priceDecimals, CDecodeCode& code) {
  if (levels == nullptr) return;
  // Every announced level is read: past the end of the message its price,
  // orders and items read as 0.
  for (int i = 0; i < levelCount; ++i) {
    CL2OrderQueueItem* items = ReadLevel(levels[i], GetFloat, priceDecimals, code);
    const int count = levels[i].GetL2OrderQueueItemNum();
    for (int k = 0; k < count && items != nullptr; ++k) {
      items[k].Volume = kestrel::ReadWrappedInt32(code);
    }
  }
}

void CKestrelCode::DecodeImageStatus_UPDATE(CL2OrderQueuePriceLevel* levels, int levelCount,
                                            int priceDecimals, CDecodeCode& code) {
  if (levels == nullptr) return;
  for (int i = 0; i < levelCount && !code.Exhausted(); ++i) {
    CL2OrderQueuePriceLevel& level = levels[i];
    level.SetPriceLevelOperator(kestrel::ReadWrappedInt32(code));
    // Fresh items hold three zeros.
    CL2OrderQueueItem* items = ReadLevel(level, GetFloat, priceDecimals, code);
    const int count = level.GetL2OrderQueueItemNum();
    if (items == nullptr || count < 1) continue;
    for (const LevelChange& change : kLevelChanges) {
      if (change.levelOperator == level.GetPriceLevelOperator()) {
        change.readItems(items, count, code);
      }
    }
  }
}

void CKestrelCode::DecodeL2OrderQueueSeries(char* ternCode, CKestrelL2OrderQueue* queue,
                                            CDecodeCode& code) {
  if (queue == nullptr) return;
  queue->SetTernCode(ternCode, ternCode != nullptr ? static_cast<int>(std::strlen(ternCode)) : 0);
  // A time stamp of 0 ends the queue: it has its code and nothing else.
  const int64_t stamp = ReadInt64(code);
  if (stamp == 0) return;
  queue->SetDateTimeStamp(Low32(stamp));
  queue->SetSide(Low32(ReadInt64(code)));
  queue->SetImageStatus(Low32(ReadInt64(code)));
  for (int i = 0; i < kSeriesSkippedNumbers; ++i) ReadUInt32(code);

  // Only full images carry their levels in this form; the levels of any
  // other status are made and stay as made.
  const bool full = queue->GetImageStatus() == kFullImage;
  const int levelCount = HonouredCount(Low32(ReadInt64(code)), kLevelBytes, code);
  if (levelCount < 1) return;
  queue->SetL2OrderQueuePriceLevelNum(levelCount);
  queue->SetL2OrderQueuePriceLevel();
  CL2OrderQueuePriceLevel* levels = queue->GetL2OrderQueuePriceLevel();
  if (!full || levels == nullptr) return;

  // As in a full image, levels past the end of the message read as zeros.
  for (int i = 0; i < queue->GetL2OrderQueuePriceLevelNum(); ++i) {
    const double price = GetFloat(ReadInt64(code), kQueuePriceDecimals);
    const int orders = Low32(ReadInt64(code));
    const uint32_t wireItems = ReadUInt32(code);
    for (int k = 0; k < kSeriesSkippedNumbers; ++k) ReadUInt32(code);
    CL2OrderQueueItem* items = SizeLevel(levels[i], price, orders, wireItems, code);
    const int count = levels[i].GetL2OrderQueueItemNum();
    for (int k = 0; k < count && items != nullptr; ++k) {
      const auto volume = static_cast<uint32_t>(ReadInt64(code));
      items[k].Volume = static_cast<int32_t>(k == 0 ? volume : volume * kSeriesVolumeUnit);
    }
  }
}

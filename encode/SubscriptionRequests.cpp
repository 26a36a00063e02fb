// Real-time subscription requests.
//
// A subscription names, per security, the indicator ids wanted. The commit
// (type 32) and peek (type 33) requests carry each item's ids in full; the
// masked commit (24) and masked verify (25) requests send the ascending union
// of all ids once and then one bit mask per item. The two-list requests
// write the second list first.
#include <algorithm>
#include <cstring>
#include <vector>

#include "KestrelCode.h"
#include "ServiceRecords.h"
#include "codec/MessageTypes.h"
#include "codec/Writers.h"
#include "codes/TernCode.h"
#include "encode/RequestLayouts.h"

namespace rq = kestrel::requests;

namespace {

// A masked list names at most this many distinct ids: its masks are at most
// 32 bytes. Ids beyond the 256th distinct one, in the order the items ask
// for them, are left out of the list and of every mask.
constexpr int kMaxDistinctIds = 256;
constexpr int kMaxMaskBytes = kMaxDistinctIds / 8;
constexpr int kBitsPerMaskByte = 8;
constexpr uint8_t kFirstMaskBit = 0x80;
// An unusable list goes out as three zero fields.
constexpr char kEmptyListField = static_cast<char>(0x80);
constexpr int kEmptyListFields = 3;

// A list is usable when its first item has a code and at least one id.
bool IsUsable(const WatchListItem* list, int count) {
  return list != nullptr && count >= 1 && list[0].IndIndex != nullptr && list[0].IndIndexNum >= 1 &&
         list[0].TernCode[0] != '\0';
}

// Writes an item's code, read no further than its 30-character field.
void WriteItemCode(CCode& code, const WatchListItem& item) {
  char text[sizeof item.TernCode + 1] = {};
  std::memcpy(text, item.TernCode, sizeof item.TernCode);
  WriteTernCode(code, text);
}

// The position of id in the ascending ids, or -1.
int FindId(const uint16_t* ids, int count, uint16_t id) {
  const uint16_t* end = ids + count;
  const uint16_t* at = std::lower_bound(ids, end, id);
  return at != end && *at == id ? static_cast<int>(at - ids) : -1;
}

// An item's ids, or none when the item has no array.
int IdCount(const WatchListItem& item) {
  return item.IndIndex == nullptr ? 0 : std::max(0, item.IndIndexNum);
}

// The items of a plain list, behind its count: code, id count, ids. An item
// without an id array goes out as an item without ids.
void WritePlainItems(const WatchListItem* list, int items, CCode& code) {
  for (int i = 0; i < items; ++i) {
    const WatchListItem& item = list[i];
    WriteItemCode(code, item);
    const int ids = IdCount(item);
    WriteUInt32(code, static_cast<uint32_t>(ids));
    for (int k = 0; k < ids; ++k) WriteUInt32(code, item.IndIndex[k]);
  }
}

}  // namespace

void CKestrelCode::EncodeNoSubOrNoUnsub(CCode& code) {
  for (int i = 0; i < kEmptyListFields; ++i) code.SetContent(kEmptyListField);
}

void CKestrelCode::EncodeOneCommitRequest(const WatchListItem* list, int count, CCode& code) {
  // A null list, or a negative count, is written as an empty list.
  const int items = list == nullptr ? 0 : std::max(0, count);
  WriteUInt32(code, static_cast<uint32_t>(items));
  WritePlainItems(list, items, code);
}

void CKestrelCode::GetMask(CCode& code, const uint16_t* distinct, int distinctCount,
                           const uint16_t* ids, int idCount, int maskSize) {
  uint8_t mask[kMaxMaskBytes] = {};
  for (int k = 0; k < idCount; ++k) {
    const int position = FindId(distinct, distinctCount, ids[k]);
    if (position < 0) continue;
    mask[position / kBitsPerMaskByte] |= kFirstMaskBit >> (position % kBitsPerMaskByte);
  }
  WriteRawBytes(code, reinterpret_cast<const char*>(mask), std::min(maskSize, kMaxMaskBytes));
}

void CKestrelCode::EncodeMaskedItem(const WatchListItem* list, int count, CCode& code) {
  const int items = list == nullptr ? 0 : std::max(0, count);
  // The ascending union of every item's ids.
  uint16_t distinct[kMaxDistinctIds];
  int distinctCount = 0;
  for (int i = 0; i < items; ++i) {
    for (int k = 0; k < IdCount(list[i]); ++k) {
      const uint16_t id = list[i].IndIndex[k];
      uint16_t* end = distinct + distinctCount;
      uint16_t* at = std::lower_bound(distinct, end, id);
      if ((at != end && *at == id) || distinctCount == kMaxDistinctIds) continue;
      std::copy_backward(at, end, end + 1);
      *at = id;
      ++distinctCount;
    }
  }
  WriteUInt32(code, static_cast<uint32_t>(distinctCount));
  for (int k = 0; k < distinctCount; ++k) WriteUInt32(code, distinct[k]);
  WriteUInt32(code, static_cast<uint32_t>(items));
  for (int i = 0; i < items; ++i) WriteItemCode(code, list[i]);
  const int maskSize = (distinctCount + kBitsPerMaskByte - 1) / kBitsPerMaskByte;
  WriteUInt32(code, static_cast<uint32_t>(maskSize));
  for (int i = 0; i < items; ++i) {
    // The host's id array is left sorted, as the server expects to see it.
    uint16_t* ids = list[i].IndIndex;
    const int idCount = IdCount(list[i]);
    if (idCount > 0) std::stable_sort(ids, ids + idCount);
    GetMask(code, distinct, distinctCount, ids, idCount, maskSize);
  }
}

CCode* CKestrelCode::EncodeTwoListRequest(unsigned char type, ListWriter writeList,
                                          const WatchListItem* first, int firstCount,
                                          const WatchListItem* second, int secondCount) {
  if (first == nullptr && second == nullptr) return nullptr;
  CCode* code = EncodeNewRequest(type);
  if (code == nullptr) return nullptr;
  const rq::Form* form = rq::FindForm(type);
  if (form == nullptr) {
    delete code;
    return nullptr;
  }
  rq::WriteLayout(*code, form->bodies[0], {}, [&](rq::Field field) {
    const bool unsubscribe = field == rq::F::kUnsubscribe || field == rq::F::kMaskedUnsubscribe;
    const WatchListItem* list = unsubscribe ? second : first;
    const int count = unsubscribe ? secondCount : firstCount;
    if (IsUsable(list, count)) {
      writeList(list, count, *code);
    } else {
      EncodeNoSubOrNoUnsub(*code);
    }
  });
  return EncodeFinishRequest(code);
}

CCode* CKestrelCode::EncodeCommitRequest(const WatchListItem* first, int firstCount,
                                         const WatchListItem* second, int secondCount) {
  return EncodeTwoListRequest(kMsgCommit, EncodeOneCommitRequest, first, firstCount, second,
                              secondCount);
}

CCode* CKestrelCode::EncodeMaskedCommitRequest(const WatchListItem* first, int firstCount,
                                               const WatchListItem* second, int secondCount) {
  return EncodeTwoListRequest(kMsgMaskedIndicators, EncodeMaskedItem, first, firstCount, second,
                              secondCount);
}

CCode* CKestrelCode::EncodeMaskedVerifyRequest(const WatchListItem* first, int firstCount,
                                               const WatchListItem* second, int secondCount) {
  return EncodeTwoListRequest(kMsgMaskedData, EncodeMaskedItem, first, firstCount, second,
                              secondCount);
}

CCode* CKestrelCode::EncodePeekRequest(const WatchListItem* list, int count) {
  CCode* code = EncodeNewRequest(kMsgSimpleIndicators);
  if (code == nullptr) return nullptr;
  // The count goes out twice, as given: once before the list and once at its
  // head (a negative count as its 32-bit unsigned value, five bytes), then
  // that many items; a negative count has none. A null list has no items to
  // write, so it goes out as an empty list.
  const int announced = list == nullptr ? 0 : count;
  rq::Values values;
  values.Set(rq::F::kItemCount, announced);
  rq::WriteLayout(*code, rq::kPeek, values, [&](rq::Field) {
    WriteUInt32(*code, static_cast<uint32_t>(announced));
    WritePlainItems(list, std::max(0, announced), *code);
  });
  return EncodeFinishRequest(code);
}

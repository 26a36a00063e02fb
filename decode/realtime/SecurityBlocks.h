// The shape shared by the real-time messages that carry quotes: a list of
// securities, each a list of indicator values.
//
// Most indicators carry one scaled number. A few carry more (a counted list,
// corporate actions, level-2 blocks, market events); each message names
// them in its own table of special ids with their handlers, and everything
// else goes through the message's plain handler. One walker runs any table,
// so the differences between the messages stand side by side as data.
#ifndef KESTREL_DECODE_REALTIME_SECURITYBLOCKS_H
#define KESTREL_DECODE_REALTIME_SECURITYBLOCKS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "KestrelData.h"
#include "KestrelRecords.h"
#include "KestrelSizes.h"
#include "L2OrderQueue.h"
#include "codes/FixScale.h"

class CDecodeCode;

namespace kestrel {

// Series records of the indicators that carry lists, and the order queue,
// of one security block.
struct BlockLists {
  CKestrelHisData series57;
  CKestrelHisData series58;
  CKestrelHisData series89;
  CKestrelHisData series90;
  CKestrelHisData series93;
  CKestrelHisData series150;
  CKestrelHisData series152;
  CKestrelHisData series156;
  CKestrelL2OrderQueue queue91;
  // Numbers that follow the level-2 blocks of 89, 90 and 93.
  int trailing89 = 0;
  int trailing90 = 0;
  int64_t trailing90Long = 0;
  int trailing93 = 0;
};

// The list records of a message's blocks, gathered while the blocks are
// walked and added to the result in one growth per list at the end: added
// one at a time, every addition would copy all the earlier records again,
// which grows with the square of the message.
struct PendingRecords {
  std::vector<std::unique_ptr<BlockLists>> lists;  // keeps the records alive
  std::vector<CKestrelHisData*> series;            // in the message's order
  std::vector<CKestrelL2OrderQueue*> queues;       // in the message's order
  void AddTo(CKestrelData* result);
};

// Working state of one security block, made afresh for every security.
struct SecurityBlock {
  char code[kKestrelTernCodeSize] = {};
  int factor = 0;
  std::string type;
  // Worked out from the type once per block, for every entry.
  bool hk = false;            // "HK" securities: ids 57 and 58 carry lists
  bool stopBitTimes = false;  // time fields travel as stop-bit integers
  // The correction of futures and gold values, classified on first use.
  bool fixKnown = false;
  FixScale fix;
  // Made on the first entry that carries a list: most blocks have none.
  std::unique_ptr<BlockLists> lists;
  // Fresh lists kept from an earlier block, taken before new ones are made.
  std::unique_ptr<BlockLists>* spare = nullptr;

  BlockLists& Lists() {
    if (!lists) lists = spare != nullptr && *spare ? std::move(*spare) : std::make_unique<BlockLists>();
    return *lists;
  }
  // The corrected integer of indicator `id`.
  int64_t Fixed(int id, int64_t raw) {
    if (!IsFixedId(id)) return raw;
    if (!fixKnown) {
      fix = FixScaleOf(code);
      fixKnown = true;
    }
    return ApplyFix(fix, id, raw);
  }
  // Sets the flags that follow from the type.
  void Classified();
};

// How the walk of a message ended, as its records show it.
enum class WalkEnd {
  kResult,    // decoded: the result holds what was read
  kEmptied,   // a code could not be read: the result is emptied
  kNoResult,  // no securities, or no room for them: no result at all
};

// How one indicator entry is read and stored.
enum class Handler {
  // Plain values through the scaled store.
  kUnsignedOrSigned,  // unsigned for ids up to 128, signed above (quote updates)
  kSigned,            // signed stop-bit integer
  kTimeField,         // stop-bit integer or two-byte packed time, by market
  kOther,             // signed, through Decode_other_IndIndex
  // Indicators with decoders of their own.
  kList57,        // counted list: series record of 57
  kList58,        // counted list: series record of 58
  kDealRevert89,  // level-2 deal reverts and a trailing number
  kDeal90,        // level-2 deals and two trailing numbers
  kQueue91,       // level-2 order queue
  kOrders93,      // level-2 orders and a trailing number
  kActions150,    // corporate actions
  kFixed151,      // five fixed decimals
  kList152,       // packed-date series of 152
  kEvents155,     // market events into the result
  kList156,       // calendar-date series of 156
  kText,          // sized string
};

// Ids low .. high (of "HK" securities only, when hkOnly) have their own
// handler.
struct SpecialId {
  int low;
  int high;
  bool hkOnly;
  Handler handler;
};

// What is appended to the result after a block, in order: a series record
// (when it was filled), with the extra quote entries that carry its
// trailing numbers.
enum class Appended {
  kSeries57,
  kSeries58,
  kSeries90,  // after the entries 327 and 350
  kSeries89,  // after the entry 328
  kSeries93,  // after the entry 329
  kSeries150,
  kSeries152,
  kSeries156,
  kQueue91,
};

// Ids below this limit are looked up in a shape's bitmap of special ids
// before its table is searched; every special row lies below it.
inline constexpr int kSpecialIdLimit = 512;
inline constexpr int kBitsPerWord = 64;

struct MessageShape {
  const SpecialId* specials;
  size_t specialCount;
  Handler plain;  // every id that no special row names
  const Appended* appends;
  size_t appendCount;
  // Bit i set: some special row covers id i.
  uint64_t specialBits[kSpecialIdLimit / kBitsPerWord];

  // False for an id that every block handles with the plain handler.
  constexpr bool MaybeSpecial(int id) const {
    return id >= 0 && id < kSpecialIdLimit &&
           ((specialBits[id / kBitsPerWord] >> (id % kBitsPerWord)) & 1) != 0;
  }
};

template <size_t S>
constexpr MessageShape MakeShape(const SpecialId (&specials)[S], Handler plain,
                                 const Appended* appends, size_t appendCount) {
  MessageShape shape{specials, S, plain, appends, appendCount, {}};
  for (const SpecialId& row : specials) {
    // A row beyond the bitmap would never be found: refuse it at compile time.
    if (row.low < 0 || row.high >= kSpecialIdLimit) throw "special id beyond the bitmap";
    for (int id = row.low; id <= row.high; ++id) {
      shape.specialBits[id / kBitsPerWord] |= uint64_t{1} << (id % kBitsPerWord);
    }
  }
  return shape;
}

template <size_t S, size_t A>
constexpr MessageShape MakeShape(const SpecialId (&specials)[S], Handler plain,
                                 const Appended (&appends)[A]) {
  return MakeShape(specials, plain, appends, A);
}

template <size_t S>
constexpr MessageShape MakeShape(const SpecialId (&specials)[S], Handler plain) {
  return MakeShape(specials, plain, nullptr, 0);
}

// The id list of a masked message and the buffers its blocks use: the mask
// of one block and the ids it selects.
struct MaskedIds {
  int* ids;
  int idCount;
  char* mask;
  int maskBytes;
  int* selected;
};

// Rows that several messages share.
inline constexpr SpecialId kHKList57{57, 57, true, Handler::kList57};
inline constexpr SpecialId kHKList58{58, 58, true, Handler::kList58};
inline constexpr SpecialId kActions150{150, 150, false, Handler::kActions150};
inline constexpr SpecialId kTexts{130, 133, false, Handler::kText};
inline constexpr SpecialId kText480{480, 480, false, Handler::kText};

}  // namespace kestrel

#endif  // KESTREL_DECODE_REALTIME_SECURITYBLOCKS_H

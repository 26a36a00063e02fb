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

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "KestrelData.h"
#include "KestrelRecords.h"
#include "KestrelSizes.h"
#include "L2OrderQueue.h"
#include "codec/DecodeCode.h"
#include "codes/DecimalScale.h"
#include "codes/FixScale.h"
#include "codes/IndicatorDecimals.h"
#include "model/IndicatorCatalogue.h"
#include "model/ValueTypes.h"

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

// Where an id's handler reads a plain number (IdFacts::plainIn): in the
// blocks of "HK" securities, in any other, or both.
inline constexpr uint8_t kPlainInOther = 1;
inline constexpr uint8_t kPlainInHK = 2;
// The same two bits moved up by this shift: in a block whose values a
// futures or gold correction concerns (ids the correction concerns lack
// them).
inline constexpr int kPlainInFixedShift = 2;
// The four bits moved up by this shift: in a block whose price factor, or
// the factor plus one, names no scale (ids scaled by them lack them: their
// values read 0 there).
inline constexpr int kPlainInUnscaledShift = 4;

// Where an indicator's scale is found in a block (SecurityBlock::scales):
// slots 0 to kMostPlaces hold that many fixed places, then come the price
// unit factor and the factor plus one, which the block's code decides.
inline constexpr int kMostPlaces = DecimalScale::kMostPlaces;
inline constexpr int kPriceFactorSlot = kMostPlaces + 1;
inline constexpr int kPricePlusOneSlot = kMostPlaces + 2;
inline constexpr int kScaleSlots = kMostPlaces + 3;

// The slot of a count of places or of kPriceFactor / kPriceFactorPlusOne.
constexpr uint8_t ScaleSlot(int decimals) {
  if (decimals >= 0 && decimals <= kMostPlaces) return static_cast<uint8_t>(decimals);
  return decimals == kPriceFactorPlusOne ? kPricePlusOneSlot : kPriceFactorSlot;
}

// Room for a block's security type and its terminator.
inline constexpr size_t kSecurityTypeRoom = 32;

// What a block needs of its code: the code, its classification and the
// scales that follow from its factor. Worked out once per code and copied
// whole into each block of that code from the thread's memo of blocks.
struct BlockFacts {
  char code[kKestrelTernCodeSize] = {};  // terminated, zero beyond its text
  // Worked out from the type once per block, for every entry.
  bool hk = false;            // "HK" securities: ids 57 and 58 carry lists
  bool stopBitTimes = false;  // time fields travel as stop-bit integers
  bool fixKnown = false;      // `fix` holds the code's correction
  // SecurityBlock::PlainMask once worked out; 0 until then (a mask always
  // has one bit set).
  uint8_t plainMask = 0;
  int factor = 0;
  // The security type, terminated. Every type the classification gives has
  // at most 15 characters; a longer one would be cut to the room.
  char type[kSecurityTypeRoom] = {};
  // The scale of each slot of an id's facts (IdFacts::scale): the fixed
  // places, then the price unit factor and the factor plus one (set with the
  // factor).
  DecimalScale scales[kScaleSlots] = {DecimalScale(0), DecimalScale(1), DecimalScale(2),
                                      DecimalScale(3), DecimalScale(4), DecimalScale(5),
                                      DecimalScale(0), DecimalScale(0)};
  // The correction of futures and gold values, classified on first use.
  FixScale fix;

  std::string_view Type() const { return type; }
  void SetType(std::string_view text) {
    const size_t n = std::min(text.size(), sizeof type - 1);
    std::memcpy(type, text.data(), n);
    type[n] = '\0';
  }
  void SetFactor(int priceFactor) {
    factor = priceFactor;
    plainMask = 0;  // the mask depends on the scales
    scales[kPriceFactorSlot] = DecimalScale(priceFactor);
    scales[kPricePlusOneSlot] = DecimalScale(priceFactor + 1);
  }
  // Sets the flags that follow from the type.
  void Classified();
};

// The bytes a code takes in the usual forms, built from two numbers or a
// text after its marker, from the first word of the code: up to its second
// stop byte (0 when the word has fewer than two). Other forms take other
// lengths; the memo knows each code's own.
inline int ExpectedCodeBytes(uint64_t word) {
  const uint64_t stops = word & stopbit::kStopBits;
  const uint64_t later = stops & (stops - 1);  // without the first stop bit
  if (later == 0) return 0;
  return stopbit::StopLength(later);
}

// The facts of no code: what a block starts from before its code is read.
inline const BlockFacts kNoCodeFacts{};

// The thread's memo of blocks as one message's walk looks codes up in it,
// found once per message: a code the thread has seen before (compared byte
// for byte) comes with its facts and the bytes it took. Any other is read
// and classified by CKestrelCode::ReadSecurityCode, which remembers it.
class BlockRecall {
 public:
  // Bytes of message from a code's start that a lookup looks at: it is
  // made only with that many left.
  static constexpr int kRoom = 24;
  struct Found {
    const BlockFacts* facts;  // null: not known; valid until a code is remembered
    int bytes;                // the bytes the code took
    bool asExpected;          // they are the `expected` bytes of the lookup
  };
  // The memo of the calling thread, when it has one that holds under the
  // latest login.
  BlockRecall();
  // The code whose bytes begin at `at`, with kRoom bytes of message there,
  // and which is expected to take `expected` bytes (ExpectedCodeBytes).
  Found Find(const char* at, int expected) const;

 private:
  const void* memo_;  // the thread's memo, or null: every lookup misses
};

// Working state of one security block, made afresh for every security.
struct SecurityBlock : BlockFacts {
  SecurityBlock() = default;
  explicit SecurityBlock(const BlockFacts& facts) : BlockFacts(facts) {}
  // Made on the first entry that carries a list: most blocks have none.
  std::unique_ptr<BlockLists> lists;
  // Fresh lists kept from an earlier block, taken before new ones are made.
  std::unique_ptr<BlockLists>* spare = nullptr;

  BlockLists& Lists() {
    if (!lists)
      lists = spare != nullptr && *spare ? std::move(*spare) : std::make_unique<BlockLists>();
    return *lists;
  }
  // The corrected integer of indicator `id`.
  int64_t Fixed(int id, int64_t raw) {
    if (!IsFixedId(id)) return raw;
    return FixedOfFixedId(id, raw);
  }
  // The bit of IdFacts::plainIn that says an id's entry in this block is a
  // plain number that no correction concerns.
  uint8_t PlainMask() {
    if (plainMask == 0) plainMask = WorkedOutPlainMask();
    return plainMask;
  }
  uint8_t WorkedOutPlainMask() {
    const bool factorScales =
        scales[kPriceFactorSlot].Divisor() != 0.0 && scales[kPricePlusOneSlot].Divisor() != 0.0;
    return static_cast<uint8_t>((hk ? kPlainInHK : kPlainInOther)
                                << (FixNone() ? 0 : kPlainInFixedShift)
                                << (factorScales ? 0 : kPlainInUnscaledShift));
  }
  // True when no correction concerns the block's values.
  bool FixNone() {
    if (!fixKnown) {
      fix = FixScaleOf(code);
      fixKnown = true;
    }
    return fix.none;
  }
  // The same for an id known to be one a correction may concern.
  int64_t FixedOfFixedId(int id, int64_t raw) {
    if (!fixKnown) {
      fix = FixScaleOf(code);
      fixKnown = true;
    }
    return ApplyFix(fix, id, raw);
  }
};

// How the walk of a message ended, as its records show it.
enum class WalkEnd {
  kResult,    // decoded: the result holds what was read
  kEmptied,   // a code could not be read: the result is emptied
  kNoResult,  // no securities, or no room for them: no result at all
};

// How one indicator entry is read and stored.
enum class Handler : uint8_t {
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
// handler; the first row that names an id decides.
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

// Ids up to this one carry unsigned plain values in quote updates.
inline constexpr int kHighestUnsignedId = 128;

// Handlers whose entry is one plain number.
constexpr bool IsPlainNumber(Handler handler) {
  return handler == Handler::kUnsignedOrSigned || handler == Handler::kSigned;
}

// True when handler reads id's number unsigned: the low ids of a quote
// update.
constexpr bool ReadsUnsigned(Handler handler, int id) {
  return handler == Handler::kUnsignedOrSigned && id <= kHighestUnsignedId;
}

// Ids below this limit have their facts unrolled in each shape's table, so
// an entry costs one lookup; every special row lies below it.
inline constexpr int kSpecialIdLimit = 512;

// How a plain number becomes its entry's value. The number read is exact
// in a double (a stop-bit integer carries at most 49 bits), so an integer
// entry without places takes it as it is, and a double without places is
// its conversion; every other entry is scaled and stored by the general rule.
enum class PlainStore : uint8_t {
  kInt,           // int, no places: the number, saturated to an int
  kInt64,         // 64-bit integer, no places: the number
  kDouble,        // double, no places: the number converted
  kDoubleScaled,  // double: the number divided by its scale
  kGeneral,       // any other type or scale: scaled, then stored by type
};

// The store of an id's value of type code `type` and scale slot `slot`.
constexpr PlainStore PlainStoreOf(int type, uint8_t slot) {
  if (type == kValueDouble) return slot == 0 ? PlainStore::kDouble : PlainStore::kDoubleScaled;
  if (slot != 0) return PlainStore::kGeneral;
  if (type == kValueInt) return PlainStore::kInt;
  if (type == kValueInt64) return PlainStore::kInt64;
  return PlainStore::kGeneral;
}

// What an entry of indicator id needs, looked up once: its handler (in an
// "HK" block and in any other), the type code of its single value, the slot
// of its scale in the block, whether a futures or gold correction may
// concern it, whether a plain number of it is read unsigned, how that
// number is stored, and in which blocks the quickest way takes it
// (plainIn), and of these the ones stored as doubles, by signedness. Eight
// bytes, so that an entry's facts are one scaled index away.
struct IdFacts {
  Handler handler;
  Handler hkHandler;
  int8_t type;
  uint8_t scale;
  bool fixed : 1;
  bool unsignedValue : 1;
  PlainStore store : 3;
  uint8_t plainIn;
  // plainIn for a number stored as a double and read unsigned, and for one
  // read signed: most of a quote, each found by one test.
  uint8_t unsignedDoubleIn;
  uint8_t signedDoubleIn;
};
static_assert(sizeof(IdFacts) == 8);

struct MessageShape {
  const SpecialId* specials;
  size_t specialCount;
  Handler plain;  // every id that no special row names
  const Appended* appends;
  size_t appendCount;
  IdFacts facts[kSpecialIdLimit];
};

// The single-value type code of indicator id, as the catalogue gives it.
constexpr int8_t CatalogueType(int id) {
  using indicator_catalogue::kBaseTypeById;
  const auto base = id < static_cast<int>(kBaseTypeById.size())
                        ? kBaseTypeById[static_cast<size_t>(id)]
                        : IndicatorBaseType::kDouble;
  return static_cast<int8_t>(indicator_catalogue::kTypeCodes[static_cast<int>(base)].single);
}

template <size_t S>
constexpr MessageShape MakeShape(const SpecialId (&specials)[S], Handler plain,
                                 const Appended* appends, size_t appendCount) {
  MessageShape shape{specials, S, plain, appends, appendCount, {}};
  for (int id = 0; id < kSpecialIdLimit; ++id) {
    const int decimals = static_cast<size_t>(id) < kDecimalsTableSize
                             ? kDecimalsById[static_cast<size_t>(id)]
                             : kPriceFactor;
    const int8_t type = CatalogueType(id);
    const uint8_t slot = ScaleSlot(decimals);
    IdFacts& facts = shape.facts[id];
    facts.handler = facts.hkHandler = plain;
    facts.type = type;
    facts.scale = slot;
    facts.fixed = IsFixedId(id);
    facts.unsignedValue = false;
    facts.store = PlainStoreOf(type, slot);
    facts.plainIn = facts.unsignedDoubleIn = facts.signedDoubleIn = 0;
  }
  // Rows in table order: the first row that names an id decides.
  for (size_t r = S; r-- > 0;) {
    const SpecialId& row = specials[r];
    // A row beyond the table would never be found: refuse it at compile time.
    if (row.low < 0 || row.high >= kSpecialIdLimit) throw "special id beyond the table";
    for (int id = row.low; id <= row.high; ++id) {
      shape.facts[id].hkHandler = row.handler;
      if (!row.hkOnly) shape.facts[id].handler = row.handler;
    }
  }
  // The quickest way reads an id's number by one signedness in any block,
  // so an "HK" handler that reads it otherwise takes the slower way, which
  // reads by the handler itself.
  for (int id = 0; id < kSpecialIdLimit; ++id) {
    IdFacts& facts = shape.facts[id];
    facts.unsignedValue = ReadsUnsigned(facts.handler, id);
    const bool hkAlike = ReadsUnsigned(facts.hkHandler, id) == facts.unsignedValue;
    // A number stored by the general rule takes the slower way too.
    const bool quick = facts.store != PlainStore::kGeneral;
    const auto plainIn =
        static_cast<uint8_t>((quick && IsPlainNumber(facts.handler) ? kPlainInOther : 0) |
                             (quick && IsPlainNumber(facts.hkHandler) && hkAlike ? kPlainInHK : 0));
    const auto anyFix =
        static_cast<uint8_t>(plainIn | (facts.fixed ? 0 : plainIn << kPlainInFixedShift));
    const bool byFactor = facts.scale == kPriceFactorSlot || facts.scale == kPricePlusOneSlot;
    facts.plainIn = static_cast<uint8_t>(anyFix | (byFactor ? 0 : anyFix << kPlainInUnscaledShift));
    const bool isDouble =
        facts.store == PlainStore::kDouble || facts.store == PlainStore::kDoubleScaled;
    facts.unsignedDoubleIn = isDouble && facts.unsignedValue ? facts.plainIn : 0;
    facts.signedDoubleIn = isDouble && !facts.unsignedValue ? facts.plainIn : 0;
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

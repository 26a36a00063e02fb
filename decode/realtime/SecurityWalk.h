// The walker of security blocks shared by the real-time quote messages,
// written once over the sink it feeds (decode/realtime/QuoteSinks.h): the
// result records and a host's visitor run the same reads, corrections and
// scaling, so what a visitor sees is what the records hold.
//
// A sink has these members, called in this order per security:
//   bool BeginList(int blocks)            room for the securities (false: none)
//   int BeginSecurity(int s, SecurityBlock&, int entries)
//                                         the entries it will take (0 or entries)
//   void Cell(int j, int id, int type, const CIndexValue&) an entry's value
//   Writer Entries(int j); void Wrote(int n)
//                                         where a stretch of plain entries from
//                                         j on goes (Writer::Put(id, type, bits),
//                                         at most Writer::room), and how many went;
//                                         with kLanes, entries may be written ahead
//                                         (Writer::Advanced, Writer::Written) and
//                                         only the n counted are kept
//   void Text(int j, int id, std::string_view text)       a sized text
//   CKestrelData* EventTarget(); void EventsRead()        market events (155)
//   void Extra(int id, int type, const CIndexValue&)      a trailing number
//   void Series(CKestrelHisData&); void Queue(CKestrelL2OrderQueue&)
//   void EndSecurity(SecurityBlock&)
// and void Error(int code) for a message that carries an error code, and
// kestrel::MaskedIds MaskBuffers(int idCount) for the working buffers of a
// masked message.
#ifndef KESTREL_DECODE_REALTIME_SECURITYWALK_H
#define KESTREL_DECODE_REALTIME_SECURITYWALK_H

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <string_view>

#include "IndexToValue.h"
#include "KestrelCode.h"
#include "codec/BitExtract.h"
#include "codec/DecodeCode.h"
#include "codec/StopBitRun.h"
#include "codec/StopMask.h"
#include "codec/WireCounts.h"
#include "codes/DecimalScale.h"
#include "codes/IndicatorDecimals.h"
#include "decode/realtime/SecurityBlocks.h"
#include "model/IndicatorCatalogue.h"
#include "model/StoreValue.h"
#include "model/ValueTypes.h"

namespace kestrel {

// Memory one entry of a value list holds: its id, type, count and value.
inline constexpr int64_t kQuoteEntryBytes = 3 * sizeof(int) + sizeof(CIndexValue);

// The ids of the extra quote entries that carry trailing numbers.
inline constexpr int kTrailing90Id = 327;
inline constexpr int kTrailing90LongId = 350;
inline constexpr int kTrailing89Id = 328;
inline constexpr int kTrailing93Id = 329;

// An extra quote entry that carries a trailing number of a block.
struct TrailingEntry {
  int id;
  int64_t (*value)(const BlockLists& lists);  // null: no entry
};
// What an Appended value appends after a block: its series record (when
// filled), preceded by the quote entries of its trailing numbers; a null
// series stands for the order queue.
struct AppendRow {
  CKestrelHisData BlockLists::*series;
  TrailingEntry trailing[2];
};
inline constexpr AppendRow kAppendRows[] = {
    // indexed by Appended
    {&BlockLists::series57, {}},
    {&BlockLists::series58, {}},
    {&BlockLists::series90,
     {{kTrailing90Id, [](const BlockLists& l) -> int64_t { return l.trailing90; }},
      {kTrailing90LongId, [](const BlockLists& l) -> int64_t { return l.trailing90Long; }}}},
    {&BlockLists::series89,
     {{kTrailing89Id, [](const BlockLists& l) -> int64_t { return l.trailing89; }}}},
    {&BlockLists::series93,
     {{kTrailing93Id, [](const BlockLists& l) -> int64_t { return l.trailing93; }}}},
    {&BlockLists::series150, {}},
    {&BlockLists::series152, {}},
    {&BlockLists::series156, {}},
    {nullptr, {}},  // kQueue91
};
static_assert(std::size(kAppendRows) == static_cast<size_t>(Appended::kQueue91) + 1);

// The number of a plain entry, read as its handler reads it.
inline int64_t ReadPlainNumber(Handler handler, int id, CDecodeCode& code) {
  if (ReadsUnsigned(handler, id)) return ReadUInt32(code);
  return ReadInt64(code);
}

// A time field: a stop-bit integer or a packed time (-1 when cut short).
// Each reader's result widens by its own signedness: a conditional over
// both would turn the packed time's -1 into an unsigned 4294967295.
inline int64_t ReadTimeField(const SecurityBlock& block, CDecodeCode& code) {
  if (block.stopBitTimes) return ReadUInt32(code);
  return ReadPackedTime(code);
}

// A plain number as the records hold it: corrected for futures and gold,
// then scaled by the indicator's decimals.
inline double ScaledValue(SecurityBlock& block, int id, int64_t raw) {
  const DecimalScale scale(IndicatorDecimals(block.factor, id));
  return scale.Apply(block.Fixed(id, raw));
}
// A number stored in the member that type code `type` names.
inline CIndexValue NumberCell(int type, double value) {
  CIndexValue cell{};
  StoreNumber(cell, type, value);
  return cell;
}
// The bits of a cell, as a sink writes them, and the cell of such bits.
inline uint64_t BitsOf(const CIndexValue& cell) {
  uint64_t bits;
  static_assert(sizeof cell == sizeof bits);
  std::memcpy(&bits, &cell, sizeof bits);
  return bits;
}
inline CIndexValue CellOf(uint64_t bits) {
  CIndexValue cell;
  std::memcpy(&cell, &bits, sizeof bits);
  return cell;
}
// True when PlainBits may store a number of the id: its store is not the
// general rule and its scale names a divisor.
inline bool StoredQuickly(const SecurityBlock& block, const IdFacts& facts) {
  return facts.store != PlainStore::kGeneral && block.scales[facts.scale].Divisor() != 0.0;
}
// The bits of the double of a plain number of an id stored as a double (its
// store kDouble or kDoubleScaled) that StoredQuickly() allows: the number
// divided by its scale; one without places is divided by 1, which is exact.
KESTREL_RUN_INLINE uint64_t DoubleBits(const SecurityBlock& block, const IdFacts& facts,
                                       int64_t raw) {
  const double scaled = static_cast<double>(raw) / block.scales[facts.scale].Divisor();
  uint64_t bits;
  std::memcpy(&bits, &scaled, sizeof bits);
  return bits;
}
// The bits of a plain number of an id that no correction concerns, for an
// id that StoredQuickly() allows: the same as NumberCell(type,
// ScaledValue(...)) gives, by the shortest way its facts allow. Doubles,
// most of a quote, are tested for first.
KESTREL_RUN_INLINE uint64_t PlainBits(const SecurityBlock& block, const IdFacts& facts,
                                      int64_t raw) {
  static_assert(PlainStore::kDouble < PlainStore::kDoubleScaled &&
                PlainStore::kInt < PlainStore::kDouble && PlainStore::kInt64 < PlainStore::kDouble);
  if (__builtin_expect(facts.store >= PlainStore::kDouble, 1)) return DoubleBits(block, facts, raw);
  if (facts.store == PlainStore::kInt64) return static_cast<uint64_t>(raw);
  return static_cast<uint32_t>(static_cast<int>(
      std::clamp<int64_t>(raw, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())));
}
// The value of a plain number of an id that no correction concerns: by
// PlainBits where it may, by the general rule otherwise.
inline CIndexValue UncorrectedCell(const SecurityBlock& block, const IdFacts& facts, int64_t raw) {
  if (StoredQuickly(block, facts)) return CellOf(PlainBits(block, facts, raw));
  return NumberCell(facts.type, block.scales[facts.scale].Apply(raw));
}
// The same for a number that a futures or gold correction may concern.
KESTREL_RUN_INLINE CIndexValue PlainCell(SecurityBlock& block, const IdFacts& facts, int id,
                                         int64_t raw) {
  if (!facts.fixed || block.FixNone()) return UncorrectedCell(block, facts, raw);
  // A corrected number may pass what a double holds exactly.
  return NumberCell(facts.type, block.scales[facts.scale].Apply(block.FixedOfFixedId(id, raw)));
}

// The value of a time field, read as the block's market sends it and
// scaled as the records hold it.
inline CIndexValue TimeCell(SecurityBlock& block, int id, CDecodeCode& code) {
  return NumberCell(IndicatorValueType(id, false),
                    ScaledValue(block, id, ReadTimeField(block, code)));
}

// A sized text as a view of the message, ending at its first NUL as the
// terminated text of a record does. A text cut by the end of the message
// keeps the bytes there are and marks the cursor exhausted.
inline std::string_view ReadSizedView(CDecodeCode& code) {
  const uint32_t n = ReadUInt32(code);
  const int take = static_cast<int>(std::min<int64_t>(n, code.Remaining()));
  if (take < static_cast<int64_t>(n)) code.MarkExhausted();
  const char* start = code.Take(take);  // null, and no move, when take < 1
  if (start == nullptr) return {};
  const void* nul = std::memchr(start, '\0', static_cast<size_t>(take));
  const size_t size = nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - start)
                                     : static_cast<size_t>(take);
  return {start, size};
}

// The extra entry of a trailing number, stored in the entry's own type so
// that a 64-bit number keeps every bit.
inline CIndexValue TrailingCell(int type, int64_t value) {
  CIndexValue cell{};
  if (type == kValueInt) {
    cell.nValue = static_cast<int>(value);
  } else if (type == kValueInt64) {
    cell.llValue = value;
  } else {
    StoreNumber(cell, type, static_cast<double>(value));
  }
  return cell;
}

// The double of an entry whose id of kIdBytes bytes begins `word`, read
// unsigned or signed as kUnsigned says: written to `out`, and where the
// next entry begins returned (`afterStop` is the entry's start plus one);
// null, and nothing written, when the number does not end in the word.
template <bool kExtract, int kIdBytes, bool kUnsigned, class Writer>
KESTREL_RUN_INLINE const char* DoubleEntry(int id, const IdFacts& facts, uint64_t word,
                                           const char* afterStop, const SecurityBlock& block,
                                           Writer& out) {
  constexpr uint64_t kStops = FieldStops(kIdBytes, kUnsigned ? kMaxUInt32Bytes : kMaxInt64Bytes);
  const uint64_t stops = word & kStops;
  if (stops == 0) return nullptr;
  const int64_t raw = FieldInWord<kExtract, kIdBytes>(word, StopByte(stops), kUnsigned);
  out.Put(id, facts.type, DoubleBits(block, facts, raw));
  return afterStop + StopByte(stops);
}

// One entry of a plain stretch, whose id of kIdBytes bytes (`index`)
// begins `word`, the word at the entry's first byte `at`: its value written
// to `out`, or nothing when the stretch does not take it. Returns where the
// next entry begins, or null for an entry not taken.
//
// The number is read from the same word as its id, so an entry costs one
// load, and the next entry's start waits only for it and one bit scan. A
// number that goes past the word is left to the careful reads.
template <bool kExtract, int kIdBytes, bool kQuickOnly = false, class Writer>
KESTREL_RUN_INLINE const char* PlainEntry(size_t index, uint64_t word, const char* at,
                                          SecurityBlock& block, const MessageShape& shape,
                                          uint8_t plainMask, Writer& out) {
  constexpr uint64_t kUnsignedStops = FieldStops(kIdBytes, kMaxUInt32Bytes);
  constexpr uint64_t kSignedStops = FieldStops(kIdBytes, kMaxInt64Bytes);
  if (index >= kSpecialIdLimit) return nullptr;
  const int id = static_cast<int>(index);
  const IdFacts& facts = shape.facts[index];
  // The next entry begins after the number's stop byte: with at + 1 worked
  // out beforehand, one addition waits for the bit scan.
  const char* const afterStop = at + 1;
  uint64_t stops;
  // Doubles, most of a quote, each signedness found by one test and read by
  // its own rules: which one an id takes is a branch well predicted from the
  // ids before it.
  if (__builtin_expect((facts.unsignedDoubleIn & plainMask) != 0, 1)) {
    return DoubleEntry<kExtract, kIdBytes, true>(id, facts, word, afterStop, block, out);
  }
  if (__builtin_expect((facts.signedDoubleIn & plainMask) != 0, 1)) {
    return DoubleEntry<kExtract, kIdBytes, false>(id, facts, word, afterStop, block, out);
  }
  if ((facts.plainIn & plainMask) != 0) {
    // A number the quickest way takes, stored as an integer.
    const bool isUnsigned = facts.unsignedValue;
    stops = word & (isUnsigned ? kUnsignedStops : kSignedStops);
    if (stops == 0) return nullptr;
    const int64_t raw = FieldInWord<kExtract, kIdBytes>(word, StopByte(stops), isUnsigned);
    out.Put(id, facts.type, PlainBits(block, facts, raw));
    return afterStop + StopByte(stops);
  }
  if constexpr (kQuickOnly) return nullptr;
  const Handler handler = block.hk ? facts.hkHandler : facts.handler;
  int64_t raw;
  const char* next;
  if (handler == Handler::kTimeField && !block.stopBitTimes) {
    // The time of a quote as two packed bytes.
    raw = PackedTimeOf(static_cast<uint8_t>(word >> (stopbit::kBitsPerByte * kIdBytes)),
                       static_cast<uint8_t>(word >> (stopbit::kBitsPerByte * (kIdBytes + 1))));
    next = at + kIdBytes + kPackedTimeBytes;
  } else if (handler == Handler::kTimeField || IsPlainNumber(handler)) {
    // A time as a stop-bit integer; a number that a futures or gold
    // correction concerns, that an "HK" block reads by another signedness,
    // or that is stored by the general rule: read as its handler says.
    const bool isUnsigned = handler == Handler::kTimeField || ReadsUnsigned(handler, id);
    stops = word & (isUnsigned ? kUnsignedStops : kSignedStops);
    if (stops == 0) return nullptr;
    raw = FieldInWord<kExtract, kIdBytes>(word, StopByte(stops), isUnsigned);
    next = afterStop + StopByte(stops);
  } else {
    return nullptr;
  }
  // A time is stored as a number of its id is.
  out.Put(id, facts.type, BitsOf(PlainCell(block, facts, id, raw)));
  return next;
}

// The walk's position while it finds a block's code in the memo, reads its
// entry count and walks its plain entries: kept apart from the cursor, in a
// register across the host's calls. The cursor gets it back (Lend) before
// any careful read, and gives it again after (Regain).
struct WalkPosition {
  const char* buffer;
  int length;
  int at;  // index of the next byte; may pass the end, as the cursor's

  explicit WalkPosition(const CDecodeCode& code)
      : buffer(code.Buffer()), length(code.Length()), at(code.Position()) {}
  // True when n bytes from the position on lie inside the message.
  bool Holds(int n) const { return at >= 0 && length - at >= n; }
  const char* Here() const { return buffer + at; }
  void Lend(CDecodeCode& code) const { code.MoveTo(at); }
  void Regain(const CDecodeCode& code) { at = code.Position(); }
};
static_assert(sizeof(WalkPosition) <= 2 * sizeof(uint64_t), "passed in two registers");

// Where a plain stretch ended: the index of the next byte, and of the first
// entry it left.
struct StretchEnd {
  int at;
  int j;
};

// The entries from j on, of count in the block: one register's worth.
struct EntriesLeft {
  int j;
  int count;
};

// One entry of a plain stretch at `at`, as PlainStretch takes it (only a
// number that the quickest way takes, with kQuickOnly): its value written
// to `out` and `at` moved past it; false when not taken.
template <bool kExtract, bool kQuickOnly, class Writer>
KESTREL_RUN_INLINE bool StretchEntry(const char*& at, SecurityBlock& block,
                                     const MessageShape& shape, uint8_t plainMask, Writer& out) {
  const uint64_t word = CDecodeCode::WordAt(at);
  const char* next;
  if ((word & kStopBit) != 0) {
    next = PlainEntry<kExtract, 1, kQuickOnly>(word & kGroupMask, word, at, block, shape, plainMask,
                                               out);
  } else if ((word & stopbit::kSecondStopBit) != 0) {
    next = PlainEntry<kExtract, stopbit::kTwoBytes, kQuickOnly>(stopbit::TwoGroups(word), word, at,
                                                                block, shape, plainMask, out);
  } else {
    return false;
  }
  if (next == nullptr) return false;
  at = next;
  return true;
}

// Entries in a stretch before two lanes are worth their setting up.
inline constexpr int kLaneEntries = 8;

// Two lanes of a stretch: where each stands and where each writes. How
// many entries each took is what its writer has written.
template <class Writer>
struct Lanes {
  const char* first;
  const char* second;
  Writer firstOut;
  Writer secondOut;
};

// Walks the lanes side by side, at most `pairs` entries each, while both
// take numbers that the quickest way takes; where the second lane stops
// first, the first keeps the entry of that pair. Kept out of line, with
// only what the walk needs, so that both lanes' positions stay in
// registers.
template <class Writer>
__attribute__((noinline)) Lanes<Writer> WalkLanes(Lanes<Writer> lanes, int pairs,
                                                  SecurityBlock& block, const MessageShape& shape,
                                                  uint8_t plainMask) {
  // Locals, not the struct's members, so that they live in registers.
  const char* first = lanes.first;
  const char* second = lanes.second;
  Writer firstOut = lanes.firstOut;
  Writer secondOut = lanes.secondOut;
  for (int left = pairs; left > 0; --left) {
    if (!StretchEntry<true, true>(first, block, shape, plainMask, firstOut)) break;
    if (!StretchEntry<true, true>(second, block, shape, plainMask, secondOut)) break;
  }
  return {first, second, firstOut, secondOut};
}

// The next `count` entries from `at` in two lanes that walk side by side:
// each entry's start waits on the entry before it in its own lane only, so
// the two lanes' reads overlap. The second lane starts after the fields of
// the first lane's entries, found by counting stop bits (a plain entry is
// an id and a number, each ending at a stop byte), and its entries are
// written ahead into the sink's room. They count only when the first lane
// ends exactly where the second began; otherwise, or where an entry is not
// a number that the quickest way takes, the entries after the first lane's
// are left to be read again one by one. Returns the entries taken (from
// `at` on, in order), with `at` and `out` moved past them. Needs
// kNthStopReach bytes from `at` and each lane's entries to start at or
// before `last`.
template <class Writer>
int TwoLanes(const char*& at, int count, const char* last, SecurityBlock& block,
             const MessageShape& shape, uint8_t plainMask, Writer& out) {
  constexpr int kFieldsPerEntry = 2;
  const int firstCount = count / 2;
  const int secondCount = count - firstCount;
  const int split = NthStopByte(at, kFieldsPerEntry * firstCount);
  if (split < 0) return 0;
  const char* const secondStart = at + split + 1;
  // Each of the second lane's entries starts at or before the last start.
  if (secondStart > last || (last - secondStart) / CDecodeCode::kWordBytes + 1 < secondCount) {
    return 0;
  }
  Lanes<Writer> lanes = WalkLanes(Lanes<Writer>{at, secondStart, out, out.Advanced(firstCount)},
                                  firstCount, block, shape, plainMask);
  int taken = lanes.firstOut.Written(out);
  int secondTaken = lanes.secondOut.Written(out.Advanced(firstCount));
  if (secondTaken < taken) {
    // The second lane stopped where the first went on: the first goes on
    // alone.
    while (taken < firstCount &&
           StretchEntry<true, true>(lanes.first, block, shape, plainMask, lanes.firstOut)) {
      ++taken;
    }
  }
  if (taken < firstCount || lanes.first != secondStart) {
    // The second lane's entries do not count.
    at = lanes.first;
    out = lanes.firstOut;
    return taken;
  }
  if (secondTaken == firstCount && secondCount > firstCount &&
      StretchEntry<true, true>(lanes.second, block, shape, plainMask, lanes.secondOut)) {
    ++secondTaken;
  }
  at = lanes.second;
  out = lanes.secondOut;
  return taken + secondTaken;
}

// The entries of a block from j on, from byte `at` of the message, while
// each is a plain number of an id of the shape's table or a time field, and
// its id and number lie in the word at its start, inside the message. Stops
// before any other entry, unread: the careful reads take it from there, and
// also any field longer than its reader takes. The entries go straight to
// where the sink keeps them, as many at a time as it has room for. Numbers
// without a correction to apply take the shortest way.
template <bool kExtract, class Sink>
StretchEnd PlainStretch(Sink& sink, SecurityBlock& block, const MessageShape& shape,
                        EntriesLeft entries, WalkPosition position) {
  int j = entries.j;
  const int count = entries.count;
  constexpr int kEntryReach = CDecodeCode::kWordBytes;  // an entry's reads look at a word
  if (!position.Holds(kEntryReach)) return {position.at, j};
  const char* const buffer = position.buffer;
  const char* at = position.Here();
  const char* const last = buffer + (position.length - kEntryReach);  // the last entry start
  const uint8_t plainMask = block.PlainMask();
  while (j < count && at <= last) {
    typename Sink::Writer out = sink.Entries(j);
    // The entries this batch takes, counted down (j is worked out after):
    // no more than the sink has room for, nor than surely start at or
    // before the last entry start, as an entry takes at most a word. So
    // an entry tests no end but its count.
    const int batch =
        static_cast<int>(std::min<ptrdiff_t>({count - j, out.room, (last - at) / kEntryReach + 1}));
    int left = batch;
    if constexpr (kExtract && kStopMasksBuilt && kBitExtractBuilt && Sink::kLanes) {
      // The first entry alone (a quote's first is its time, whose packed
      // bytes are no fields), then the rest in two lanes where there are
      // enough of them and of the message. Not in blocks whose numbers a
      // correction concerns: the lanes leave such numbers to this loop.
      if (batch > kLaneEntries && last - at >= kNthStopReach && block.FixNone() &&
          StretchEntry<kExtract, false>(at, block, shape, plainMask, out)) {
        --left;
        if (last - at >= kNthStopReach) {
          left -= TwoLanes(at, left, last, block, shape, plainMask, out);
        }
      }
    }
    for (; left > 0; --left) {
      if (!StretchEntry<kExtract, false>(at, block, shape, plainMask, out)) break;
    }
    sink.Wrote(batch - left);
    j += batch - left;
    if (left > 0) break;  // an entry of another kind, or the end is near
  }
  return {static_cast<int>(at - buffer), j};
}

}  // namespace kestrel

template <class Sink>
kestrel::WalkEnd CKestrelCode::WalkSecurities(Sink& sink, const kestrel::MessageShape& shape,
                                              int securities, const kestrel::MaskedIds* masked,
                                              CDecodeCode& code) {
  // The count is honoured as announced (codec/WireCounts.h); a block whose
  // code cannot be read ends the walk.
  const int blocks = kestrel::HonouredCount(securities, sizeof(CKestrelQuoteData), code);
  if (blocks < 1 || !sink.BeginList(blocks)) return kestrel::WalkEnd::kNoResult;
  const kestrel::BlockRecall recall;
  kestrel::WalkPosition position(code);
  for (int s = 0; s < blocks; ++s) {
    // A code the thread has seen comes with its facts from the memo;
    // any other is read and classified.
    kestrel::BlockRecall::Found known{nullptr, 0, false};
    int expected = 0;
    if (position.Holds(kestrel::BlockRecall::kRoom)) {
      expected = kestrel::ExpectedCodeBytes(CDecodeCode::WordAt(position.Here()));
      known = recall.Find(position.Here(), expected);
    }
    kestrel::SecurityBlock block(known.facts != nullptr ? *known.facts : kestrel::kNoCodeFacts);
    if (__builtin_expect(known.asExpected, 1)) {
      // The usual code: the position moves by what the code's own bytes
      // say, so the reads that follow need not wait for the lookup.
      position.at += expected;
    } else if (known.facts != nullptr) {
      position.at += known.bytes;
    } else {
      position.Lend(code);
      ReadSecurityCode(block, code);
      position.Regain(code);
      if (block.code[0] == '\0') return kestrel::WalkEnd::kEmptied;
    }
    const int* ids = nullptr;
    int selectedCount = 0;
    int entries;
    if (masked != nullptr) {
      // The block's mask selects ids of the message's list.
      position.Lend(code);
      ReadBytes(code, masked->mask, masked->maskBytes);
      selectedCount = GetInds(masked->ids, masked->idCount, masked->mask, masked->selected);
      ids = masked->selected;
      entries = static_cast<int>(ReadUInt32(code));
      position.Regain(code);
    } else if (position.Holds(1) && (static_cast<uint8_t>(*position.Here()) & kStopBit) != 0) {
      // A count under 128, the usual, in one byte.
      entries = *position.Here() & kGroupMask;
      ++position.at;
    } else {
      position.Lend(code);
      entries = static_cast<int>(ReadUInt32(code));
      position.Regain(code);
    }
    // A masked block names its ids by the mask: values beyond the ids it
    // selects have no id, so only as many values as the mask selects are
    // read. The value encoding depends on the id, so the unnamed rest cannot
    // be skipped; the next block then reads what follows, and a code that
    // cannot be read ends the message. Otherwise the count is honoured as
    // announced (codec/WireCounts.h).
    entries = ids != nullptr ? std::min(entries, selectedCount)
                             : kestrel::HonouredCount(entries, kestrel::kQuoteEntryBytes, code);
    const int filled = sink.BeginSecurity(s, block, entries);
    WalkEntries(sink, block, shape, filled, ids, position, code);
    if (block.lists) WalkAppends(sink, block, shape);
    sink.EndSecurity(block);
  }
  position.Lend(code);
  return kestrel::WalkEnd::kResult;
}

template <class Sink>
KESTREL_RUN_INLINE void CKestrelCode::WalkEntries(Sink& sink, kestrel::SecurityBlock& block,
                                                  const kestrel::MessageShape& shape, int count,
                                                  const int* ids, kestrel::WalkPosition& position,
                                                  CDecodeCode& code) {
  // Plain numbers, most of a quote, are taken in stretches by
  // WalkPlainEntries; any other entry is read here, by the cursor. Both
  // are in line in the walk of the securities, so that the position stays
  // in a register.
  int j = 0;
  while (j < count) {
    if (ids == nullptr) {
      j = WalkPlainEntries(sink, block, shape, j, count, position);
      if (j == count) break;
    }
    position.Lend(code);
    const int id = ids != nullptr ? ids[j] : static_cast<int>(ReadUInt32(code));
    if (id >= 0 && id < kestrel::kSpecialIdLimit) {
      const kestrel::IdFacts& facts = shape.facts[id];
      const kestrel::Handler handler = block.hk ? facts.hkHandler : facts.handler;
      if (kestrel::IsPlainNumber(handler)) {
        const int64_t raw = kestrel::ReadPlainNumber(handler, id, code);
        sink.Cell(j, id, facts.type, kestrel::PlainCell(block, facts, id, raw));
      } else {
        WalkEntry(sink, block, j, id, handler, code);
      }
    } else if (kestrel::IsPlainNumber(shape.plain)) {
      const int64_t raw = kestrel::ReadPlainNumber(shape.plain, id, code);
      const int type = IndicatorValueType(id, false);
      sink.Cell(j, id, type, kestrel::NumberCell(type, kestrel::ScaledValue(block, id, raw)));
    } else {
      WalkEntry(sink, block, j, id, shape.plain, code);
    }
    position.Regain(code);
    ++j;
  }
}

template <class Sink>
KESTREL_RUN_INLINE int CKestrelCode::WalkPlainEntries(Sink& sink, kestrel::SecurityBlock& block,
                                                      const kestrel::MessageShape& shape, int j,
                                                      int count, kestrel::WalkPosition& position) {
  const kestrel::StretchEnd end =
      kestrel::HasFastBitExtract()
          ? kestrel::PlainStretch<true>(sink, block, shape, {j, count}, position)
          : kestrel::PlainStretch<false>(sink, block, shape, {j, count}, position);
  position.at = end.at;
  return end.j;
}

template <class Sink>
void CKestrelCode::WalkEntry(Sink& sink, kestrel::SecurityBlock& b, int j, int id,
                             kestrel::Handler handler, CDecodeCode& code) {
  using kestrel::Handler;
  CIndexValue cell{};
  const int valueType = IndicatorValueType(id, false);
  // The list decoders take the security type as a string (short enough
  // never to need the heap).
  std::string type(b.Type());
  switch (handler) {
    case Handler::kUnsignedOrSigned:
    case Handler::kSigned:  // read in line by WalkEntries
      return;
    case Handler::kTimeField:
      cell = kestrel::TimeCell(b, id, code);
      break;
    case Handler::kEvents155:
      // Market events go to the sink's list; the entry holds 0.
      DecodeMarketEventData(sink.EventTarget(), code);
      sink.EventsRead();
      cell = kestrel::NumberCell(valueType, kestrel::ScaledValue(b, id, 0));
      break;
    case Handler::kText:
      sink.Text(j, id, kestrel::ReadSizedView(code));
      return;
    case Handler::kOther:
      Decode_other_IndIndex(&cell, b.code, id, b.factor, code);
      break;
    case Handler::kList57:
      Decode_57_IndIndex(&b.Lists().series57, &cell, b.code, id, type, code);
      break;
    case Handler::kList58:
      Decode_58_IndIndex(&b.Lists().series58, &cell, b.code, id, type, code);
      break;
    case Handler::kDealRevert89:
      Decode_89_IndIndex(&b.Lists().series89, &cell, b.code, id, type, &b.Lists().trailing89, code);
      break;
    case Handler::kDeal90:
      Decode_90_IndIndex(&b.Lists().series90, &cell, b.code, id, type, &b.Lists().trailing90,
                         &b.Lists().trailing90Long, code);
      break;
    case Handler::kQueue91:
      Decode_91_IndIndex(&b.Lists().queue91, &cell, b.code, id, code);
      break;
    case Handler::kOrders93:
      Decode_93_IndIndex(&b.Lists().series93, &cell, b.code, id, type, &b.Lists().trailing93, code);
      break;
    case Handler::kActions150:
      Decode_150_IndIndex(&b.Lists().series150, &cell, b.code, id, type, code);
      break;
    case Handler::kFixed151:
      Decode_151_IndIndex(&cell, id, code);
      break;
    case Handler::kList152:
      Decode_152_IndIndex(&b.Lists().series152, &cell, b.code, id, type, code);
      break;
    case Handler::kList156:
      Decode_156_IndIndex(&b.Lists().series156, &cell, b.code, id, type, code);
      break;
  }
  sink.Cell(j, id, valueType, cell);
}

template <class Sink>
void CKestrelCode::WalkAppends(Sink& sink, kestrel::SecurityBlock& block,
                               const kestrel::MessageShape& shape) {
  // The filled records, in the message's order; the record of an id that did
  // not occur has no code and is left out.
  if (!block.lists) return;
  kestrel::BlockLists& l = *block.lists;
  for (size_t a = 0; a < shape.appendCount; ++a) {
    const kestrel::AppendRow& row = kestrel::kAppendRows[static_cast<size_t>(shape.appends[a])];
    if (row.series == nullptr) {
      if (l.queue91.GetTernCode()[0] != '\0') sink.Queue(l.queue91);
      continue;
    }
    CKestrelHisData& series = l.*row.series;
    if (series.GetTernCode()[0] == '\0') continue;
    for (const kestrel::TrailingEntry& trailing : row.trailing) {
      if (trailing.value == nullptr) continue;
      const int type = IndicatorValueType(trailing.id, false);
      sink.Extra(trailing.id, type, kestrel::TrailingCell(type, trailing.value(l)));
    }
    sink.Series(series);
  }
}

#endif  // KESTREL_DECODE_REALTIME_SECURITYWALK_H

// The bodies of every request as data: which fields follow the type, in
// wire order, each with its name and how it travels.
//
// The encoders write from these layouts and the request reader
// (RequestReader.h) reads with them, so the two cannot disagree about a
// request's shape. A form with three bodies (the ranking requests) picks one
// by the request's scope: scope 1, scope 2, any other scope.
#ifndef KESTREL_ENCODE_REQUESTLAYOUTS_H
#define KESTREL_ENCODE_REQUESTLAYOUTS_H

#include <cstddef>
#include <cstdint>

#include "Code.h"
#include "codec/MessageTypes.h"
#include "codec/Writers.h"
#include "codes/TernCode.h"

namespace kestrel::requests {

// How a field travels.
enum class Wire : uint8_t {
  kUnsigned,    // WriteUInt32
  kSigned,      // WriteInt64
  kText,        // WriteSizedString: a length, then the bytes
  kCode,        // WriteTernCode: a compact security code
  kNumberList,  // a count, then that many unsigned numbers
  kCodeList,    // a count, then that many codes
  kItems,       // a count, then per item: code, id count, ids
  kWatchList,   // kItems, or the empty-list marker: three zero fields
  kMaskedList,  // id count, ids, item count, codes, mask size, masks; or the marker
  kRest,        // every remaining byte of the body, as it is
  kOptional,    // WriteUInt32, left out when the argument has no wire value
};

// Every field of every request body. The names are those a reader prints.
enum class Field : uint8_t {
  kLoginFirst,
  kLoginSecond,
  kServices,
  kUser,
  kRawBytes,
  kValue1,
  kValue2,
  kValue3,
  kValue5,
  kValue4,
  kItemCount,
  kUnsubscribe,
  kSubscribe,
  kMaskedUnsubscribe,
  kMaskedSubscribe,
  kPeekItems,
  kInitFirst,
  kCode,
  kA,
  kB,
  kC,
  kD,
  kPeriod,
  kMarker,
  kSubKind,
  kSignedId,
  kUnsignedId,
  kOne,
  kRange,
  kFirstText,
  kSecondText,
  kP,
  kQ,
  kCodes,
  kR,
  kDirection,
  kCount_,  // number of fields; not a field
};
inline constexpr size_t kFieldCount = static_cast<size_t>(Field::kCount_);

struct FieldInfo {
  const char* name;
  Wire wire;
};

// Name and wire form of each field, in the order of Field.
inline constexpr FieldInfo kFields[kFieldCount] = {
    {"first", Wire::kUnsigned},          // kLoginFirst
    {"second", Wire::kUnsigned},         // kLoginSecond
    {"services", Wire::kNumberList},     // kServices
    {"user", Wire::kText},               // kUser
    {"bytes", Wire::kRest},              // kRawBytes
    {"value1", Wire::kUnsigned},         // kValue1
    {"value2", Wire::kSigned},           // kValue2
    {"value3", Wire::kUnsigned},         // kValue3
    {"value5", Wire::kUnsigned},         // kValue5: travels before value4
    {"value4", Wire::kUnsigned},         // kValue4
    {"count", Wire::kUnsigned},          // kItemCount
    {"unsubscribe", Wire::kWatchList},   // kUnsubscribe: the second list, sent first
    {"subscribe", Wire::kWatchList},     // kSubscribe
    {"unsubscribe", Wire::kMaskedList},  // kMaskedUnsubscribe
    {"subscribe", Wire::kMaskedList},    // kMaskedSubscribe
    {"items", Wire::kItems},             // kPeekItems
    {"first", Wire::kUnsigned},          // kInitFirst
    {"code", Wire::kCode},               // kCode
    {"a", Wire::kUnsigned},              // kA
    {"b", Wire::kUnsigned},              // kB
    {"c", Wire::kOptional},              // kC: QE data requests whose first is not 1
    {"d", Wire::kOptional},              // kD
    {"period", Wire::kUnsigned},         // kPeriod: minute bar code or raw period
    {"marker", Wire::kUnsigned},         // kMarker: the level-2 marker
    {"sub_kind", Wire::kUnsigned},       // kSubKind: the QE data sub-kind
    {"id", Wire::kSigned},               // kSignedId
    {"id", Wire::kUnsigned},             // kUnsignedId
    {"one", Wire::kUnsigned},            // kOne
    {"range", Wire::kOptional},          // kRange: by selector and scope
    {"first", Wire::kText},              // kFirstText
    {"second", Wire::kText},             // kSecondText
    {"p", Wire::kUnsigned},              // kP
    {"q", Wire::kUnsigned},              // kQ
    {"codes", Wire::kCodeList},          // kCodes
    {"r", Wire::kUnsigned},              // kR
    {"direction", Wire::kOptional},      // kDirection
};

constexpr const FieldInfo& InfoOf(Field field) { return kFields[static_cast<size_t>(field)]; }

// A body: its fields in wire order.
struct Layout {
  const Field* fields = nullptr;
  size_t size = 0;
  constexpr Layout() = default;
  constexpr Layout(const Field* parts, size_t count) : fields(parts), size(count) {}
  template <size_t N>
  constexpr Layout(const Field (&parts)[N]) : fields(parts), size(N) {}
  constexpr const Field* begin() const { return fields; }
  constexpr const Field* end() const { return fields + size; }
  constexpr bool Has(Field field) const {
    for (size_t i = 0; i < size; ++i) {
      if (fields[i] == field) return true;
    }
    return false;
  }
};

using F = Field;
// Service requests.
inline constexpr Field kLogin[] = {F::kLoginFirst, F::kLoginSecond, F::kServices, F::kUser};
inline constexpr Field kRawData[] = {F::kRawBytes};
inline constexpr Layout kEmpty{};
inline constexpr Field kStatusTest[] = {F::kValue1, F::kValue2, F::kValue3, F::kValue5, F::kValue4};
// Subscriptions: the two-list requests send the second list first.
inline constexpr Field kCommit[] = {F::kUnsubscribe, F::kSubscribe};
inline constexpr Field kMasked[] = {F::kMaskedUnsubscribe, F::kMaskedSubscribe};
// The peek request sends its item count twice: here and at the list's head.
inline constexpr Field kPeek[] = {F::kItemCount, F::kPeekItems};
// History init requests, one layout per body form.
inline constexpr Field kInitFirstForm[] = {F::kInitFirst, F::kA, F::kCode};
inline constexpr Field kInitFifthForm[] = {F::kInitFirst, F::kCode, F::kA};
inline constexpr Field kInitPeriodForm[] = {F::kInitFirst, F::kCode, F::kPeriod, F::kA, F::kB};
inline constexpr Field kInitLevel2Form[] = {F::kInitFirst, F::kCode, F::kMarker, F::kA, F::kB};
inline constexpr Field kInitQeDataForm[] = {F::kInitFirst, F::kCode, F::kSubKind, F::kA,
                                            F::kB,         F::kC,    F::kD};
inline constexpr Field kInitDayForm[] = {F::kInitFirst, F::kCode, F::kA, F::kB};
// Ranking requests, by scope.
inline constexpr Field kRankScope1[] = {F::kSignedId,  F::kOne, F::kRange,
                                        F::kFirstText, F::kR,   F::kDirection};
inline constexpr Field kRankScope2[] = {F::kSignedId,   F::kOne,   F::kRange, F::kFirstText,
                                        F::kSecondText, F::kCodes, F::kR,     F::kDirection};
inline constexpr Field kRankOther[] = {F::kSignedId,   F::kOne, F::kRange,    F::kFirstText,
                                       F::kSecondText, F::kR,   F::kDirection};
inline constexpr Field kPagedScope1[] = {F::kUnsignedId, F::kOne, F::kRange, F::kFirstText,
                                         F::kP,          F::kQ,   F::kR,     F::kDirection};
inline constexpr Field kPagedScope2[] = {
    F::kUnsignedId, F::kOne,        F::kRange, F::kFirstText, F::kP,
    F::kQ,          F::kSecondText, F::kCodes, F::kR,         F::kDirection};
inline constexpr Field kPagedOther[] = {F::kUnsignedId, F::kOne, F::kRange,
                                        F::kFirstText,  F::kP,   F::kQ,
                                        F::kSecondText, F::kR,   F::kDirection};
// Top-8 requests send the range selector of selector 0 and no r or direction.
inline constexpr Field kTop8Scope1[] = {F::kSignedId, F::kOne, F::kRange, F::kFirstText,
                                        F::kSecondText};
inline constexpr Field kTop8Scope2[] = {F::kSignedId,  F::kOne,        F::kRange,
                                        F::kFirstText, F::kSecondText, F::kCodes};
inline constexpr Field kTop8Other[] = {F::kSignedId, F::kOne, F::kRange, F::kFirstText,
                                       F::kSecondText};

// Bodies of a form by scope column: scope 1, scope 2, any other scope.
inline constexpr int kScopeColumns = 3;
constexpr int ScopeColumn(int scope) { return scope == 1 ? 0 : scope == 2 ? 1 : 2; }

// Range selectors by selector argument (rows) and scope column. Selectors
// outside the rows send nothing.
inline constexpr uint8_t kRangeSelectors[][kScopeColumns] = {
    {0, 3, 4},     // 0
    {16, 19, 20},  // 1
    {0, 3, 4},     // 2
    {32, 35, 36},  // 3
    {48, 49, 50},  // 4
};
inline constexpr int kSelectorRows =
    static_cast<int>(sizeof kRangeSelectors / sizeof kRangeSelectors[0]);

// Wire values of the sort directions 0, 1 and 2; other directions send
// nothing.
inline constexpr uint8_t kDirectionWire[] = {2, 1, 0};
inline constexpr int kDirections = static_cast<int>(sizeof kDirectionWire);

// A request type, its name, and its bodies (one, or three by scope).
struct Form {
  unsigned type;
  const char* name;
  Layout bodies[kScopeColumns];
  bool byScope;
};

inline constexpr Form kRankListForm = {
    kMsgSectorQuotesOrder, "ranking list", {kRankScope1, kRankScope2, kRankOther}, true};
inline constexpr Form kPagedRankListForm = {
    kMsgPagedRankingList, "paged ranking list", {kPagedScope1, kPagedScope2, kPagedOther}, true};
inline constexpr Form kTop8Form = {
    kMsgSectorCharts, "top-8 sector charts", {kTop8Scope1, kTop8Scope2, kTop8Other}, true};

// Every request type a client sends, with its body. The history init
// requests of one type share a body form whatever kind asked for them.
inline constexpr Form kForms[] = {
    {kMsgLogin, "login", {kLogin}, false},
    {kMsgRawData, "raw data", {kRawData}, false},
    {kMsgServerSubInfo, "subscription list", {kEmpty}, false},
    {kMsgStatusTest, "status test", {kStatusTest}, false},
    {kMsgCommit, "subscription commit", {kCommit}, false},
    {kMsgSimpleIndicators, "subscription peek", {kPeek}, false},
    {kMsgMaskedIndicators, "masked commit", {kMasked}, false},
    {kMsgMaskedData, "masked verify", {kMasked}, false},
    {kMsgDayKLine, "day K-lines", {kInitDayForm}, false},
    {kMsgMinuteKLine, "minute K-lines", {kInitPeriodForm}, false},
    {kMsgHisTrend, "history trend", {kInitFifthForm}, false},
    {kMsgHistoryKind6, "history kind 6", {kInitFifthForm}, false},
    {kMsgFormalizedTrend, "formalized trend", {kInitFirstForm}, false},
    {kMsgFormalizedDeal, "formalized deals", {kInitFirstForm}, false},
    {kMsgQEDataPlus, "QE data", {kInitQeDataForm}, false},
    {kMsgLevel2TransactionsHistory, "level-2 transaction history", {kInitLevel2Form}, false},
    kRankListForm,
    kPagedRankListForm,
    kTop8Form,
};

// The form of a request type; null for types no client sends.
constexpr const Form* FindForm(unsigned type) {
  for (const Form& form : kForms) {
    if (form.type == type) return &form;
  }
  return nullptr;
}

// The arguments of one request, by field. An encoder fills what its layout
// names; fields of the list kinds are written by the encoder's own writer.
struct Values {
  int64_t numbers[kFieldCount] = {};
  const char* texts[kFieldCount] = {};
  bool absent[kFieldCount] = {};  // kOptional fields without a wire value

  Values& Set(Field field, int64_t value) {
    numbers[static_cast<size_t>(field)] = value;
    return *this;
  }
  Values& Set(Field field, const char* text) {
    texts[static_cast<size_t>(field)] = text;
    return *this;
  }
  Values& Leave(Field field) {
    absent[static_cast<size_t>(field)] = true;
    return *this;
  }
};

// Writes the fields of `layout` from `values`; `writeList(field)` writes the
// fields of the list kinds and the raw rest.
template <typename ListWriter>
void WriteLayout(CCode& code, const Layout& layout, const Values& values, ListWriter&& writeList) {
  for (const Field field : layout) {
    const auto at = static_cast<size_t>(field);
    switch (InfoOf(field).wire) {
      case Wire::kUnsigned:
        WriteUInt32(code, static_cast<uint32_t>(values.numbers[at]));
        break;
      case Wire::kOptional:
        if (!values.absent[at]) WriteUInt32(code, static_cast<uint32_t>(values.numbers[at]));
        break;
      case Wire::kSigned:
        WriteInt64(code, values.numbers[at]);
        break;
      case Wire::kText:
        WriteSizedString(code, values.texts[at]);
        break;
      case Wire::kCode:
        WriteTernCode(code, values.texts[at]);
        break;
      default:
        writeList(field);
        break;
    }
  }
}

}  // namespace kestrel::requests

#endif  // KESTREL_ENCODE_REQUESTLAYOUTS_H

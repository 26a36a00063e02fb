// Ranking requests: the ranking list (type 34), the paged ranking list (type
// 40) and the top-8 sector chart request (type 9).
//
// The three share one shape: a leading id, the number 1, a range selector
// chosen by the scope, texts as sized strings and, for scope 2, an explicit
// list of codes. Which fields follow and in what order depends on the
// request and the scope; each combination is one row of field names below.
#include <cstddef>
#include <cstdint>

#include "KestrelCode.h"
#include "codec/MessageTypes.h"
#include "codec/Writers.h"
#include "codes/TernCode.h"

namespace {

// The fields of a ranking request body.
enum class Field {
  kSignedId,    // id, WriteInt64
  kUnsignedId,  // id, WriteUInt32
  kOne,         // the number 1
  kRange,       // range selector, by selector and scope
  kFirst,       // first text
  kSecond,      // second text
  kP,           // paged requests only
  kQ,           // paged requests only
  kCodes,       // count, then count codes
  kR,
  kDirection,  // sort direction, or nothing
};

// The body of one request and scope: its fields in wire order.
struct Body {
  const Field* fields;
  size_t size;
  template <size_t N>
  constexpr Body(const Field (&parts)[N]) : fields(parts), size(N) {}
  const Field* begin() const { return fields; }
  const Field* end() const { return fields + size; }
  bool Has(Field field) const {
    for (const Field f : *this) {
      if (f == field) return true;
    }
    return false;
  }
};

using F = Field;
constexpr Field kRankScope1[] = {F::kSignedId, F::kOne, F::kRange, F::kFirst, F::kR, F::kDirection};
constexpr Field kRankScope2[] = {F::kSignedId, F::kOne,   F::kRange, F::kFirst,
                                 F::kSecond,   F::kCodes, F::kR,     F::kDirection};
constexpr Field kRankOther[] = {F::kSignedId, F::kOne, F::kRange,    F::kFirst,
                                F::kSecond,   F::kR,   F::kDirection};
constexpr Field kPagedScope1[] = {F::kUnsignedId, F::kOne, F::kRange, F::kFirst,
                                  F::kP,          F::kQ,   F::kR,     F::kDirection};
constexpr Field kPagedScope2[] = {F::kUnsignedId, F::kOne,    F::kRange, F::kFirst, F::kP,
                                  F::kQ,          F::kSecond, F::kCodes, F::kR,     F::kDirection};
constexpr Field kPagedOther[] = {F::kUnsignedId, F::kOne,    F::kRange, F::kFirst,    F::kP,
                                 F::kQ,          F::kSecond, F::kR,     F::kDirection};
// Top-8 requests send the range selector of selector 0 and no r or direction.
constexpr Field kTop8Scope1[] = {F::kSignedId, F::kOne, F::kRange, F::kFirst, F::kSecond};
constexpr Field kTop8Scope2[] = {F::kSignedId, F::kOne,    F::kRange,
                                 F::kFirst,    F::kSecond, F::kCodes};
constexpr Field kTop8Other[] = {F::kSignedId, F::kOne, F::kRange, F::kFirst, F::kSecond};

// A request's type and its bodies for scope 1, scope 2 and any other scope.
struct Form {
  unsigned char type;
  Body bodies[3];
};
constexpr Form kRankList = {kMsgSectorQuotesOrder, {kRankScope1, kRankScope2, kRankOther}};
constexpr Form kPagedRankList = {kMsgPagedRankingList, {kPagedScope1, kPagedScope2, kPagedOther}};
constexpr Form kTop8 = {kMsgSectorCharts, {kTop8Scope1, kTop8Scope2, kTop8Other}};

// Column of a scope in the tables: scope 1, scope 2, any other scope.
int ScopeColumn(int scope) { return scope == 1 ? 0 : scope == 2 ? 1 : 2; }

// Range selectors by selector argument (rows) and scope column. Selectors
// outside the rows send nothing.
constexpr uint8_t kRangeSelectors[][3] = {
    {0, 3, 4},     // 0
    {16, 19, 20},  // 1
    {0, 3, 4},     // 2
    {32, 35, 36},  // 3
    {48, 49, 50},  // 4
};
constexpr int kSelectorRows = static_cast<int>(sizeof kRangeSelectors / sizeof kRangeSelectors[0]);

// Wire values of the sort directions 0, 1 and 2; other directions send
// nothing.
constexpr uint8_t kDirectionWire[] = {2, 1, 0};
constexpr int kDirections = static_cast<int>(sizeof kDirectionWire);

constexpr uint32_t kOne = 1;

void WriteNumber(CCode& code, int value) { WriteUInt32(code, static_cast<uint32_t>(value)); }

}  // namespace

// The arguments of a ranking request and the form they go out in.
struct CKestrelCode::RankingRequest {
  const Form& form;
  int64_t id;
  const char* first;
  const char* second;
  int p;
  int q;
  int scope;
  int selector;
  int r;
  int direction;
  int count;
  char** codes;
};

CCode* CKestrelCode::EncodeRankListRequest(int64_t id, char* first, char* second, int scope,
                                           int selector, int r, TTnSortDirection direction,
                                           int count, char** codes) {
  return EncodeRankingRequest(
      {kRankList, id, first, second, 0, 0, scope, selector, r, direction, count, codes});
}

CCode* CKestrelCode::EncodePagedRankListRequest(uint32_t id, char* first, int p, int q,
                                                char* second, int scope, int selector, int r,
                                                TTnSortDirection direction, int count,
                                                char** codes) {
  return EncodeRankingRequest(
      {kPagedRankList, id, first, second, p, q, scope, selector, r, direction, count, codes});
}

CCode* CKestrelCode::EncodeTop8Request(int64_t id, char* first, char* second, int scope, int count,
                                       char** codes) {
  return EncodeRankingRequest({kTop8, id, first, second, 0, 0, scope, 0, 0, 0, count, codes});
}

CCode* CKestrelCode::EncodeRankingRequest(const RankingRequest& request) {
  const Body& body = request.form.bodies[ScopeColumn(request.scope)];
  // Every text and code the body carries must be there: a missing first
  // text, a missing second text where the body holds one, or a missing codes
  // array (or a null code in it) for scope 2 gives no request at all.
  if (request.first == nullptr) return nullptr;
  if (body.Has(Field::kSecond) && request.second == nullptr) return nullptr;
  if (body.Has(Field::kCodes)) {
    if (request.codes == nullptr) return nullptr;
    for (int i = 0; i < request.count; ++i) {
      if (request.codes[i] == nullptr) return nullptr;
    }
  }
  CCode* code = EncodeNewRequest(request.form.type);
  if (code == nullptr) return nullptr;
  for (const Field field : body) {
    switch (field) {
      case Field::kSignedId:
        WriteInt64(*code, request.id);
        break;
      case Field::kUnsignedId:
        WriteUInt32(*code, static_cast<uint32_t>(request.id));
        break;
      case Field::kOne:
        WriteUInt32(*code, kOne);
        break;
      case Field::kRange:
        if (request.selector >= 0 && request.selector < kSelectorRows) {
          WriteUInt32(*code, kRangeSelectors[request.selector][ScopeColumn(request.scope)]);
        }
        break;
      case Field::kFirst:
        WriteSizedString(*code, request.first);
        break;
      case Field::kSecond:
        WriteSizedString(*code, request.second);
        break;
      case Field::kP:
        WriteNumber(*code, request.p);
        break;
      case Field::kQ:
        WriteNumber(*code, request.q);
        break;
      case Field::kCodes:
        // A negative count goes out as its unsigned value, with no codes.
        WriteNumber(*code, request.count);
        for (int i = 0; i < request.count; ++i) WriteTernCode(*code, request.codes[i]);
        break;
      case Field::kR:
        WriteNumber(*code, request.r);
        break;
      case Field::kDirection:
        if (request.direction >= 0 && request.direction < kDirections) {
          WriteUInt32(*code, kDirectionWire[request.direction]);
        }
        break;
    }
  }
  return EncodeFinishRequest(code);
}

// Ranking requests: the ranking list (type 34), the paged ranking list (type
// 40) and the top-8 sector chart request (type 9).
//
// The three share one shape: a leading id, the number 1, a range selector
// chosen by the scope, texts as sized strings and, for scope 2, an explicit
// list of codes. Which fields follow and in what order depends on the
// request and the scope; each combination is one layout of
// encode/RequestLayouts.h.
#include <cstddef>
#include <cstdint>

#include "KestrelCode.h"
#include "codec/MessageTypes.h"
#include "codec/Writers.h"
#include "codes/TernCode.h"
#include "encode/RequestLayouts.h"

namespace {

namespace rq = kestrel::requests;
using rq::Field;

constexpr uint32_t kOne = 1;

}  // namespace

// The arguments of a ranking request and the form they go out in.
struct CKestrelCode::RankingRequest {
  const rq::Form& form;
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
      {rq::kRankListForm, id, first, second, 0, 0, scope, selector, r, direction, count, codes});
}

CCode* CKestrelCode::EncodePagedRankListRequest(uint32_t id, char* first, int p, int q,
                                                char* second, int scope, int selector, int r,
                                                TTnSortDirection direction, int count,
                                                char** codes) {
  return EncodeRankingRequest({rq::kPagedRankListForm, id, first, second, p, q, scope, selector, r,
                               direction, count, codes});
}

CCode* CKestrelCode::EncodeTop8Request(int64_t id, char* first, char* second, int scope, int count,
                                       char** codes) {
  return EncodeRankingRequest(
      {rq::kTop8Form, id, first, second, 0, 0, scope, 0, 0, 0, count, codes});
}

CCode* CKestrelCode::EncodeRankingRequest(const RankingRequest& request) {
  const rq::Layout& body = request.form.bodies[rq::ScopeColumn(request.scope)];
  // Every text and code the body carries must be there: a missing first
  // text, a missing second text where the body holds one, or a missing codes
  // array (or a null code in it) for scope 2 gives no request at all.
  if (request.first == nullptr) return nullptr;
  if (body.Has(Field::kSecondText) && request.second == nullptr) return nullptr;
  if (body.Has(Field::kCodes)) {
    if (request.codes == nullptr) return nullptr;
    for (int i = 0; i < request.count; ++i) {
      if (request.codes[i] == nullptr) return nullptr;
    }
  }
  CCode* code = EncodeNewRequest(static_cast<unsigned char>(request.form.type));
  if (code == nullptr) return nullptr;
  const int column = rq::ScopeColumn(request.scope);
  rq::Values values;
  values.Set(Field::kSignedId, request.id)
      .Set(Field::kUnsignedId, static_cast<uint32_t>(request.id))
      .Set(Field::kOne, kOne)
      .Set(Field::kFirstText, request.first)
      .Set(Field::kSecondText, request.second)
      .Set(Field::kP, request.p)
      .Set(Field::kQ, request.q)
      .Set(Field::kR, request.r);
  if (request.selector >= 0 && request.selector < rq::kSelectorRows) {
    values.Set(Field::kRange, rq::kRangeSelectors[request.selector][column]);
  } else {
    values.Leave(Field::kRange);
  }
  if (request.direction >= 0 && request.direction < rq::kDirections) {
    values.Set(Field::kDirection, rq::kDirectionWire[request.direction]);
  } else {
    values.Leave(Field::kDirection);
  }
  rq::WriteLayout(*code, body, values, [&](Field) {
    // The codes: a negative count goes out as its unsigned value, with no codes.
    WriteUInt32(*code, static_cast<uint32_t>(request.count));
    for (int i = 0; i < request.count; ++i) WriteTernCode(*code, request.codes[i]);
  });
  return EncodeFinishRequest(code);
}

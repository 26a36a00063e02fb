// Ranking, paged ranking and top-8 requests, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "KestrelUtils.h"
#include "support/Decoded.h"
#include "support/MessageBuilder.h"

namespace {

// Type and body: the one-byte length prefix and the check byte stripped.
std::string Body(CCode* request) {
  const kt::Bytes bytes = kt::Take(request);
  if (bytes.size() < 3) return "(no request)";
  return kt::Hex(kt::Bytes(bytes.begin() + 1, bytes.end() - 1));
}

TEST(RankingRequests, BodiesByScopeSelectorAndDirection) {
  char a[] = "A", b[] = "B", code[] = "600000.SH";  // 81 41, 81 42, BC 80
  char* codes[] = {code};
  const auto d = [](int v) { return static_cast<TTnSortDirection>(v); };
  using K = CKestrelCode;
  const struct {
    CCode* request;
    const char* body;
  } rows[] = {
      // Ranking list (34): id 64 takes two bytes in the signed form.
      {K::EncodeRankListRequest(64, a, b, 1, 0, 7, d(0), 1, codes), "A2 00 C0 81 80 81 41 87 82"},
      {K::EncodeRankListRequest(5, a, b, 2, 4, 7, d(2), 1, codes),
       "A2 85 81 B1 81 41 81 42 81 BC 80 87 80"},
      {K::EncodeRankListRequest(5, a, b, 3, 4, 7, d(3), 1, codes), "A2 85 81 B2 81 41 81 42 87"},
      {K::EncodeRankListRequest(5, a, nullptr, 1, 4, 7, d(1), 0, nullptr),
       "A2 85 81 B0 81 41 87 81"},
      {K::EncodeRankListRequest(5, a, b, 1, 5, 7, d(0), 0, nullptr), "A2 85 81 81 41 87 82"},
      // Paged ranking list (40): id 64 takes one byte.
      {K::EncodePagedRankListRequest(64, a, 2, 3, b, 1, 0, 7, d(0), 1, codes),
       "A8 C0 81 80 81 41 82 83 87 82"},
      {K::EncodePagedRankListRequest(5, a, 2, 3, b, 2, 3, 7, d(0), 1, codes),
       "A8 85 81 A3 81 41 82 83 81 42 81 BC 80 87 82"},
      {K::EncodePagedRankListRequest(5, a, 2, 3, b, 0, 1, 7, d(0), 1, codes),
       "A8 85 81 94 81 41 82 83 81 42 87 82"},
      // Top-8 (9).
      {K::EncodeTop8Request(5, a, b, 1, 1, codes), "89 85 81 80 81 41 81 42"},
      {K::EncodeTop8Request(5, a, b, 2, 0, codes), "89 85 81 83 81 41 81 42 80"},
      {K::EncodeTop8Request(5, a, b, 9, 1, codes), "89 85 81 84 81 41 81 42"},
      // Missing texts or codes: no request.
      {K::EncodeRankListRequest(5, nullptr, b, 1, 0, 7, d(0), 0, nullptr), "(no request)"},
      {K::EncodeRankListRequest(5, a, b, 2, 0, 7, d(0), 1, nullptr), "(no request)"},
      {K::EncodeRankListRequest(5, a, nullptr, 3, 0, 7, d(0), 0, nullptr), "(no request)"},
      {K::EncodeTop8Request(5, a, nullptr, 1, 0, nullptr), "(no request)"},
  };
  for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(Body(rows[i].request), rows[i].body) << i;
}

}  // namespace

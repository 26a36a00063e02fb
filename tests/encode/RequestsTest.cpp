// Requests, byte for byte: the frame (length, type, body, check byte), the
// service bodies, subscriptions, history init requests and rankings.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "KestrelUtils.h"
#include "support/Decoded.h"
#include "support/MessageBuilder.h"
#include "support/WatchItems.h"

namespace {

using kt::Bytes;
using kt::Hex;
using kt::Take;

// Type and body of a request: what lies between the length prefix and the
// check byte.
std::string Body(CCode* request) {
  const Bytes bytes = Take(request);
  if (bytes.size() < 3) return "(no request)";
  size_t prefix = 1;
  while ((bytes[prefix - 1] & 0x80) == 0) ++prefix;
  return Hex(Bytes(bytes.begin() + static_cast<long>(prefix), bytes.end() - 1));
}

TEST(ServiceRequests, WorkedBytes) {
  int list[] = {5};
  char raw[] = {0x41, 0x42};
  char sum100[] = {static_cast<char>(0xD0)};  // type 0x30 + 0xD0 = 0x100: check byte 0x80
  KestrelInfoSend info{1, -2, 3, 1, 2};
  const std::pair<CCode*, const char*> rows[] = {
      {CKestrelCode::EncodeServerSubInfoRequest(), "81 9A 9A"},
      {CKestrelCode::EncodeRawDataRequest(raw, 2), "83 B0 41 42 B3"},
      {CKestrelCode::EncodeRawDataRequest(sum100, 1), "82 B0 D0 80"},
      {CKestrelCode::EncodeLoginRequest(1, 2, list, 1, "x"), "87 D0 81 82 81 85 81 78 D2"},
      {CKestrelCode::EncodeLoginRequest(1, 2, list, 0, ""), "85 D0 81 82 80 80 D3"},
      // a negative count is written unsigned, with no entries
      {CKestrelCode::EncodeLoginRequest(0, 0, list, -1, ""), "89 D0 80 80 0F 7F 7F 7F FF 80 DB"},
      // SendValue5 (2) goes out before SendValue4 (1)
      {CKestrelCode::EncodeKestrelTest(&info), "86 BB 81 FE 83 82 81 C0"},
  };
  for (const auto& [request, bytes] : rows) EXPECT_EQ(Hex(Take(request)), bytes);
  EXPECT_EQ(CKestrelCode::EncodeLoginRequest(1, 2, nullptr, 0, "x"), nullptr);
  EXPECT_EQ(CKestrelCode::EncodeLoginRequest(1, 2, list, 1, nullptr), nullptr);
  EXPECT_EQ(CKestrelCode::EncodeRawDataRequest(nullptr, 1), nullptr);
  EXPECT_EQ(CKestrelCode::EncodeRawDataRequest(raw, 0), nullptr);
  EXPECT_EQ(CKestrelCode::EncodeRawDataRequest(raw, -4), nullptr);
}

// The check byte and the length prefix of any request, checked the way a
// server would: prefix = bytes of type and body, check = their sum | 0x80.
void ExpectWellFramed(const Bytes& request, const Bytes& typeAndBody) {
  const Bytes prefix = kt::StopBitUnsigned(typeAndBody.size());
  ASSERT_EQ(request.size(), prefix.size() + typeAndBody.size() + 1);
  EXPECT_EQ(Bytes(request.begin(), request.begin() + static_cast<long>(prefix.size())), prefix);
  EXPECT_EQ(Bytes(request.begin() + static_cast<long>(prefix.size()), request.end() - 1),
            typeAndBody);
  const unsigned sum = std::accumulate(typeAndBody.begin(), typeAndBody.end(), 0u);
  EXPECT_EQ(request.back(), static_cast<uint8_t>((sum & 0xff) | 0x80));
}

TEST(RequestEnvelope, LengthPrefixAndCheckByteForEverySize) {
  // Type plus body from 2 to 3000 bytes: prefixes of one and two bytes, the
  // 128-byte step (01 80), and requests beyond the first 1024 bytes of room.
  for (int size = 1; size <= 2999; size += (size < 140 ? 1 : 97)) {
    std::vector<char> raw(static_cast<size_t>(size));
    for (int i = 0; i < size; ++i) raw[static_cast<size_t>(i)] = static_cast<char>(i * 7 + 3);
    Bytes typeAndBody{0xB0};  // type 48 in stop-bit form
    typeAndBody.insert(typeAndBody.end(), raw.begin(), raw.end());
    SCOPED_TRACE(size);
    ExpectWellFramed(Take(CKestrelCode::EncodeRawDataRequest(raw.data(), size)), typeAndBody);
  }
}

using kt::Items;

TEST(SubscriptionRequests, PlainMaskedAndUnusableLists) {
  Items first{{"600000.SH", {2, 3}}};
  Items second{{"0700.HK", {7}}, {"000001.SZ", {}}};
  Items noIds{{"600000.SH", {}}}, noCode{{"", {1}}}, good{{"600000.SH", {1}}};
  Items masked{{"600000.SH", {5, 3}}, {"000001.SZ", {3, 7}}};
  // Masked: distinct 3 ids: 3 5 7; two codes; mask size 1; masks C0 and A0.
  const std::string list = "83 83 85 87 82 BC 80 9E 81 81 C0 A0";
  using K = CKestrelCode;
  const std::pair<CCode*, std::string> rows[] = {
      // type 32 = A0; the second list first: 2 items, 0700.HK ids {7},
      // 000001.SZ no ids; then the first list
      {K::EncodeCommitRequest(first.data(), 1, second.data(), 2),
       "A0 82 CD 80 81 87 9E 81 80 81 BC 80 82 82 83"},
      // only a first list: the empty-list marker stands for the second
      {K::EncodeCommitRequest(first.data(), 1, nullptr, 0), "A0 80 80 80 81 BC 80 82 82 83"},
      {K::EncodePeekRequest(first.data(), 1), "A1 81 81 BC 80 82 82 83"},  // the count twice
      {K::EncodePeekRequest(nullptr, 3), "A1 80 80"},
      // a negative count goes out as given, twice, five bytes each, no items
      {K::EncodePeekRequest(first.data(), -1), "A1 0F 7F 7F 7F FF 0F 7F 7F 7F FF"},
      {K::EncodePeekRequest(first.data(), 0), "A1 80 80"},
      // unusable lists become the marker
      {K::EncodeCommitRequest(noIds.data(), 1, good.data(), 0), "A0 80 80 80 80 80 80"},
      {K::EncodeCommitRequest(noCode.data(), 1, good.data(), 0), "A0 80 80 80 80 80 80"},
      {K::EncodeMaskedCommitRequest(good.data(), -1, nullptr, 0), "98 80 80 80 80 80 80"},
      {K::EncodeMaskedCommitRequest(masked.data(), 2, nullptr, 0), "98 80 80 80 " + list},
      {K::EncodeMaskedVerifyRequest(nullptr, 0, masked.data(), 2), "99 " + list + " 80 80 80"},
  };
  for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(Body(rows[i].first), rows[i].second) << i;
  EXPECT_EQ(masked.ids[0], (std::vector<uint16_t>{3, 5}));  // sorted in place
  EXPECT_EQ(K::EncodeCommitRequest(nullptr, 1, nullptr, 1), nullptr);
}

TEST(SubscriptionRequests, MaskSizesFollowTheDistinctIds) {
  const struct {
    int distinct;
    int maskBytes;
  } rows[] = {{1, 1}, {8, 1}, {9, 2}, {16, 2}, {17, 3}, {256, 32}, {300, 32}};
  for (const auto& row : rows) {
    std::vector<uint16_t> ids;
    for (int i = 0; i < row.distinct; ++i) ids.push_back(static_cast<uint16_t>(1000 - i));
    Items items{{"600000.SH", ids}};
    const Bytes bytes =
        kt::Take(CKestrelCode::EncodeMaskedCommitRequest(items.data(), 1, nullptr, 0));
    // Behind the mask-size field come exactly maskBytes bytes, all bits set
    // for the ids kept, then the check byte.
    const int kept = std::min(row.distinct, 256);
    ASSERT_GE(bytes.size(), static_cast<size_t>(row.maskBytes + 2));
    const size_t maskStart = bytes.size() - 1 - static_cast<size_t>(row.maskBytes);
    EXPECT_EQ(bytes[maskStart - 1], 0x80 | row.maskBytes) << row.distinct;
    int bits = 0;
    for (size_t i = maskStart; i + 1 < bytes.size(); ++i) bits += __builtin_popcount(bytes[i]);
    EXPECT_EQ(bits, kept) << row.distinct;
  }
}

TEST(HistoryRequests, EveryRow) {
  char code[] = "600000.SH";  // compact form BC 80
  const struct {
    int kind;
    bool flag;
    int period;
    const char* body;
  } rows[] = {
      {0, false, 9, "91 81 83 BC 80"},                     // formalized trends: 1, a, code
      {0, true, 9, "91 81 83 BC 80"},                      // the flag changes nothing
      {4, false, 9, "91 81 83 BC 80"},                     // as kind 0
      {1, false, 9, "92 81 83 BC 80"},                     // formalized deals
      {1, true, 9, "95 81 BC 80 81 83 84"},                // QE data: no c, d
      {2, true, 9, "95 82 BC 80 82 83 84 85 86"},          // QE data: c and d
      {2, false, 5, "85 81 BC 80 81 83 84"},               // minute K-lines, bar code 1
      {2, false, 6, "85 81 BC 80 83 83 84"},               // bar code 3
      {2, false, 7, "85 81 BC 80 84 83 84"},               // bar code 4
      {2, false, 8, "85 81 BC 80 85 83 84"},               // bar code 5
      {2, false, 10, "85 81 BC 80 80 83 84"},              // bar code 0
      {2, false, 11, "85 81 BC 80 82 83 84"},              // bar code 2
      {2, false, 9, "83 81 BC 80 83 84"},                  // day K-lines: no period
      {2, false, 0, "83 81 BC 80 83 84"},                  // any unlisted period too
      {3, false, 9, "85 81 BC 80 89 83 84"},               // the raw period value
      {3, true, 10, "85 81 BC 80 8A 83 84"},               // flag ignored
      {5, false, 9, "86 81 BC 80 83"},                     // history trends: code, a
      {6, true, 9, "94 81 BC 80 83"},                      // type 20
      {7, false, 9, "01 82 81 BC 80 81 83 84"},            // level-2 history, type 130
      {8, true, 9, "01 82 81 BC 80 81 83 84"},             // as kind 7
      {9, false, 9, "95 81 BC 80 89 83 84"},               // QE data, sub-kind 9
      {14, true, 9, "95 81 BC 80 8E 83 84"},               // sub-kind 14, flag ignored
      {127, false, 9, "95 81 BC 80 FF 83 84"},             // highest kind
      {-1, false, 9, "95 81 BC 80 0F 7F 7F 7F FF 83 84"},  // negative: five bytes
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Body(CKestrelCode::EncodeInitRequest(code, static_cast<char>(row.kind), 3, 4,
                                                   static_cast<TKLinePeriod>(row.period), row.flag,
                                                   5, 6)),
              row.body)
        << "kind " << row.kind << (row.flag ? " with flag" : "") << ", period " << row.period;
  }
}

TEST(HistoryRequests, WorkedBodyNegativeNumbersAndNullCode) {
  char code[] = "600000.SH";
  EXPECT_EQ(Body(CKestrelCode::EncodeInitRequest(code, 0, 0, 0, kKLineDay, false, 0, 0)),
            "91 81 80 BC 80");
  EXPECT_EQ(Body(CKestrelCode::EncodeInitRequest(code, 5, -2, 0, kKLineDay, false, 0, 0)),
            "86 81 BC 80 0F 7F 7F 7F FE");
  EXPECT_EQ(CKestrelCode::EncodeInitRequest(nullptr, 0, 0, 0, kKLineDay, false, 0, 0), nullptr);
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

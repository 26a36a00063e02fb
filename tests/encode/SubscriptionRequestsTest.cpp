// Subscription requests: plain and masked list forms, the empty-list marker.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "KestrelUtils.h"
#include "support/Decoded.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::Hex;

// Items the test owns; the records' destructor must not free these ids.
struct Items {
  Items(std::initializer_list<std::pair<const char*, std::vector<uint16_t>>> rows) {
    for (const auto& row : rows) ids.push_back(row.second);
    items.resize(ids.size());
    size_t i = 0;
    for (const auto& row : rows) {
      std::memset(items[i].TernCode, 0, sizeof items[i].TernCode);
      std::strncpy(items[i].TernCode, row.first, sizeof items[i].TernCode - 1);
      items[i].IndIndex = ids[i].empty() ? nullptr : ids[i].data();
      items[i].IndIndexNum = static_cast<int>(ids[i].size());
      ++i;
    }
  }
  ~Items() {
    for (WatchListItem& item : items) item.IndIndex = nullptr;
  }
  WatchListItem* data() { return items.data(); }
  int size() const { return static_cast<int>(items.size()); }
  std::vector<std::vector<uint16_t>> ids;
  std::vector<WatchListItem> items;
};

// Type and body of a request: what lies between the length prefix and the
// check byte.
std::string Body(CCode* request) {
  const Bytes bytes = kt::Take(request);
  if (bytes.size() < 3) return "";
  const size_t prefix = kt::StopBitUnsigned(bytes.size() - 2).size();
  return Hex(Bytes(bytes.begin() + static_cast<long>(prefix), bytes.end() - 1));
}

TEST(SubscriptionRequests, PlainForms) {
  Items first{{"600000.SH", {2, 3}}};
  Items second{{"0700.HK", {7}}, {"000001.SZ", {}}};
  // type 32 = A0; second list: 2 items, 0700.HK ids {7}, 000001.SZ no ids;
  // then the first list.
  EXPECT_EQ(Body(CKestrelCode::EncodeCommitRequest(first.data(), 1, second.data(), 2)),
            "A0 82 CD 80 81 87 9E 81 80 81 BC 80 82 82 83");
  // Only a first list: the empty-list marker stands for the second.
  EXPECT_EQ(Body(CKestrelCode::EncodeCommitRequest(first.data(), 1, nullptr, 0)),
            "A0 80 80 80 81 BC 80 82 82 83");
  EXPECT_EQ(CKestrelCode::EncodeCommitRequest(nullptr, 1, nullptr, 1), nullptr);
  // Peek: the count twice.
  EXPECT_EQ(Body(CKestrelCode::EncodePeekRequest(first.data(), 1)), "A1 81 81 BC 80 82 82 83");
  EXPECT_EQ(Body(CKestrelCode::EncodePeekRequest(nullptr, 3)), "A1 80 80");
}

TEST(SubscriptionRequests, UnusableListsBecomeTheMarker) {
  Items noIds{{"600000.SH", {}}};
  Items noCode{{"", {1}}};
  Items good{{"600000.SH", {1}}};
  for (Items* bad : {&noIds, &noCode}) {
    EXPECT_EQ(Body(CKestrelCode::EncodeCommitRequest(bad->data(), 1, good.data(), 0)),
              "A0 80 80 80 80 80 80");
  }
  EXPECT_EQ(Body(CKestrelCode::EncodeMaskedCommitRequest(good.data(), -1, nullptr, 0)),
            "98 80 80 80 80 80 80");
}

TEST(SubscriptionRequests, MaskedFormSortsIdsAndSetsBits) {
  Items items{{"600000.SH", {5, 3}}, {"000001.SZ", {3, 7}}};
  // distinct 3 ids: 3 5 7; two codes; mask size 1; masks C0 and A0.
  const std::string list = "83 83 85 87 82 BC 80 9E 81 81 C0 A0";
  EXPECT_EQ(Body(CKestrelCode::EncodeMaskedCommitRequest(items.data(), 2, nullptr, 0)),
            "98 80 80 80 " + list);
  EXPECT_EQ(Body(CKestrelCode::EncodeMaskedVerifyRequest(nullptr, 0, items.data(), 2)),
            "99 " + list + " 80 80 80");
  EXPECT_EQ(items.ids[0], (std::vector<uint16_t>{3, 5}));  // sorted in place
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

}  // namespace

// Requests read back with the encoders' own layouts: every request the
// encoders make gives back the arguments it was made from, and damaged or
// cut requests are read within their bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "KestrelUtils.h"
#include "encode/RequestReader.h"
#include "support/Decoded.h"
#include "support/MessageBuilder.h"
#include "support/WatchItems.h"

namespace {

namespace rq = kestrel::requests;
using kt::Bytes;

// A request's fields as one line: name=value, lists in brackets, items as
// code:ids, a field the body left out as "-".
std::string Describe(const rq::ReadRequest& request) {
  std::string text;
  for (const rq::ReadValue& value : request.fields) {
    text += (text.empty() ? "" : " ") + std::string(value.Name()) + "=";
    switch (rq::InfoOf(value.field).wire) {
      case rq::Wire::kUnsigned:
      case rq::Wire::kSigned:
        text += std::to_string(value.number);
        break;
      case rq::Wire::kOptional:
        text += value.present ? std::to_string(value.number) : "-";
        break;
      case rq::Wire::kText:
      case rq::Wire::kCode:
      case rq::Wire::kRest:
        text += value.text;
        break;
      case rq::Wire::kNumberList:
      case rq::Wire::kCodeList: {
        std::string list;
        for (const int64_t n : value.numbers) list += (list.empty() ? "" : ",") + std::to_string(n);
        for (const std::string& code : value.codes) list += (list.empty() ? "" : ",") + code;
        text += "[" + list + "]";
        break;
      }
      default: {
        if (value.emptyMarker) {
          text += "empty";
          break;
        }
        std::string list;
        for (const rq::ReadItem& item : value.items) {
          list += (list.empty() ? "" : " ") + item.code + ":";
          for (size_t k = 0; k < item.ids.size(); ++k) {
            list += (k ? "," : "") + std::to_string(item.ids[k]);
          }
        }
        text += "[" + list + "]";
      }
    }
  }
  return text;
}

rq::ReadRequest Read(const Bytes& bytes) {
  size_t size = 0;
  EXPECT_EQ(rq::CutRequest(bytes.data(), bytes.size(), 1 << 20, &size), rq::RequestCut::kWhole);
  EXPECT_EQ(size, bytes.size());
  return rq::ReadOneRequest(bytes.data(), bytes.size());
}

using kt::Items;

TEST(RequestReader, GivesBackWhatTheEncodersWereGiven) {
  CKestrelCode::StartUp();
  using K = CKestrelCode;
  int services[] = {5, 7};
  char raw[] = "AB";
  KestrelInfoSend info{1, -2, 3, 4, 5};
  Items first{{"600000.SH", {2, 3}}};
  Items second{{"0700.HK", {7}}};
  Items masked{{"600000.SH", {5, 3}}, {"000001.SZ", {3, 7}}};
  char code[] = "600000.SH";
  char text1[] = "A";
  char text2[] = "BC";
  char* codes[] = {code};
  const struct {
    CCode* request;
    unsigned type;
    const char* fields;
  } rows[] = {
      {K::EncodeLoginRequest(1, 2, services, 2, "demo"), 80,
       "first=1 second=2 services=[5,7] user=demo"},
      {K::EncodeRawDataRequest(raw, 2), 48, "bytes=AB"},
      {K::EncodeServerSubInfoRequest(), 26, ""},
      {K::EncodeKestrelTest(&info), 59, "value1=1 value2=-2 value3=3 value5=5 value4=4"},
      {K::EncodeCommitRequest(first.data(), 1, second.data(), 1), 32,
       "unsubscribe=[0700.HK:7] subscribe=[600000.SH:2,3]"},
      {K::EncodeCommitRequest(first.data(), 1, nullptr, 0), 32,
       "unsubscribe=empty subscribe=[600000.SH:2,3]"},
      {K::EncodeMaskedCommitRequest(masked.data(), 2, nullptr, 0), 24,
       "unsubscribe=empty subscribe=[600000.SH:3,5 000001.SZ:3,7]"},
      {K::EncodeMaskedVerifyRequest(nullptr, 0, first.data(), 1), 25,
       "unsubscribe=[600000.SH:2,3] subscribe=empty"},
      {K::EncodePeekRequest(first.data(), 1), 33, "count=1 items=[600000.SH:2,3]"},
      // History init requests: every kind and flag, the K-line periods.
      {K::EncodeInitRequest(code, 0, 7, 8, kKLineDay, false, 0, 0), 17,
       "first=1 a=7 code=600000.SH"},
      {K::EncodeInitRequest(code, 1, 7, 8, kKLineDay, false, 0, 0), 18,
       "first=1 a=7 code=600000.SH"},
      {K::EncodeInitRequest(code, 1, 7, 8, kKLineDay, true, 3, 4), 21,
       "first=1 code=600000.SH sub_kind=1 a=7 b=8 c=- d=-"},
      {K::EncodeInitRequest(code, 2, 7, 8, kKLineDay, true, 3, 4), 21,
       "first=2 code=600000.SH sub_kind=2 a=7 b=8 c=3 d=4"},
      {K::EncodeInitRequest(code, 2, 7, 8, kKLineDay, false, 0, 0), 3,
       "first=1 code=600000.SH a=7 b=8"},
      {K::EncodeInitRequest(code, 2, 7, 8, kKLineMinuteBar5, false, 0, 0), 5,
       "first=1 code=600000.SH period=5 a=7 b=8"},
      {K::EncodeInitRequest(code, 3, 7, 8, kKLineMinuteBar4, false, 0, 0), 5,
       "first=1 code=600000.SH period=7 a=7 b=8"},
      {K::EncodeInitRequest(code, 5, 7, 8, kKLineDay, false, 0, 0), 6,
       "first=1 code=600000.SH a=7"},
      {K::EncodeInitRequest(code, 6, 7, 8, kKLineDay, false, 0, 0), 20,
       "first=1 code=600000.SH a=7"},
      {K::EncodeInitRequest(code, 7, 7, 8, kKLineDay, false, 0, 0), 130,
       "first=1 code=600000.SH marker=1 a=7 b=8"},
      {K::EncodeInitRequest(code, 12, 7, 8, kKLineDay, false, 0, 0), 21,
       "first=1 code=600000.SH sub_kind=12 a=7 b=8 c=- d=-"},
      // Rankings: the range selector tells the scope and so the body.
      {K::EncodeRankListRequest(-5, text1, text2, 1, 1, 3, kSortDirection0, 0, nullptr), 34,
       "id=-5 one=1 range=16 first=A r=3 direction=2"},
      {K::EncodeRankListRequest(6, text1, text2, 2, 3, 3, kSortDirection2, 1, codes), 34,
       "id=6 one=1 range=35 first=A second=BC codes=[600000.SH] r=3 direction=0"},
      {K::EncodeRankListRequest(6, text1, text2, 7, 4, 3, static_cast<TTnSortDirection>(9), 0,
                                nullptr),
       34, "id=6 one=1 range=50 first=A second=BC r=3 direction=-"},
      {K::EncodePagedRankListRequest(9, text1, 10, 20, text2, 2, 0, 3, kSortDirection1, 1, codes),
       40, "id=9 one=1 range=3 first=A p=10 q=20 second=BC codes=[600000.SH] r=3 direction=1"},
      {K::EncodeTop8Request(-1, text1, text2, 1, 0, nullptr), 9,
       "id=-1 one=1 range=0 first=A second=BC"},
  };
  for (const auto& row : rows) {
    const Bytes bytes = kt::Take(row.request);
    SCOPED_TRACE(kt::Hex(bytes));
    const rq::ReadRequest request = Read(bytes);
    EXPECT_EQ(request.type, row.type);
    ASSERT_NE(request.form, nullptr);
    EXPECT_EQ(Describe(request), row.fields);
    EXPECT_EQ(request.check, request.expectedCheck);
    EXPECT_TRUE(request.complete);
    EXPECT_EQ(request.trailing, 0u);
  }
}

TEST(RequestReader, CutsFramesAndReadsDamageWithinTheBytes) {
  CKestrelCode::StartUp();
  Items first{{"600000.SH", {2, 3}}};
  const Bytes whole = kt::Take(CKestrelCode::EncodePeekRequest(first.data(), 1));
  size_t size = 0;
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    EXPECT_EQ(rq::CutRequest(whole.data(), cut, 1 << 20, &size), rq::RequestCut::kNeedMore) << cut;
  }
  const Bytes noStop = {0x01, 0x02, 0x03, 0x04, 0x05, 0x86};
  EXPECT_EQ(rq::CutRequest(noStop.data(), noStop.size(), 1 << 20, &size),
            rq::RequestCut::kBadLength);
  const Bytes tooLong = {0x01, 0x80};  // 128 bytes announced
  EXPECT_EQ(rq::CutRequest(tooLong.data(), tooLong.size(), 100, &size), rq::RequestCut::kBadLength);

  // A wrong check byte is reported, not corrected.
  Bytes damaged = whole;
  damaged.back() ^= 0x01;
  const rq::ReadRequest checked = rq::ReadOneRequest(damaged.data(), damaged.size());
  EXPECT_NE(checked.check, checked.expectedCheck);

  // A body cut short: the fields read end inside it; one with bytes to
  // spare: they are counted.
  const Bytes shortBody = {0x83, 0xA1, 0x81, 0x81, 0x00};  // peek, count 1, one item, no code
  EXPECT_FALSE(rq::ReadOneRequest(shortBody.data(), shortBody.size()).complete);
  const Bytes spare = {0x83, 0x9A, 0x41, 0x42, 0x00};  // subscription list with two more bytes
  EXPECT_EQ(rq::ReadOneRequest(spare.data(), spare.size()).trailing, 2u);

  // A count of 2^32 - 1 items in a few bytes reads no more items than bytes.
  const Bytes huge = {0x88, 0xA1, 0x0F, 0x7F, 0x7F, 0x7F, 0xFF, 0x81, 0x82, 0x00};
  const rq::ReadRequest many = rq::ReadOneRequest(huge.data(), huge.size());
  size_t items = 0;
  for (const rq::ReadValue& value : many.fields) items += value.items.size();
  EXPECT_LE(items, huge.size());
  EXPECT_FALSE(many.complete);
}

}  // namespace

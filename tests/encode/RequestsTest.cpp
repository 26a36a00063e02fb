// Requests: the frame (length, type, body, check byte) and the service bodies.
#include <gtest/gtest.h>

#include <numeric>
#include <string>

#include "KestrelUtils.h"
#include "codec/Writers.h"
#include "support/Decoded.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::Hex;
using kt::Take;

TEST(ServiceRequests, WorkedBytes) {
  int list[] = {5};
  char raw[] = {0x41, 0x42};
  KestrelInfoSend info{1, -2, 3, 1, 2};
  const struct {
    const char* name;
    CCode* request;
    const char* bytes;
  } rows[] = {
      {"subscription list", CKestrelCode::EncodeServerSubInfoRequest(), "81 9A 9A"},
      {"raw data", CKestrelCode::EncodeRawDataRequest(raw, 2), "83 B0 41 42 B3"},
      {"login", CKestrelCode::EncodeLoginRequest(1, 2, list, 1, "x"), "87 D0 81 82 81 85 81 78 D2"},
      {"login, empty text", CKestrelCode::EncodeLoginRequest(1, 2, list, 0, ""),
       "85 D0 81 82 80 80 D3"},
      // SendValue5 (2) goes out before SendValue4 (1)
      {"status test", CKestrelCode::EncodeKestrelTest(&info), "86 BB 81 FE 83 82 81 C0"},
  };
  for (const auto& row : rows) EXPECT_EQ(Hex(Take(row.request)), row.bytes) << row.name;
}

TEST(ServiceRequests, RefusedArguments) {
  int list[] = {1};
  char raw[] = {1};
  EXPECT_EQ(CKestrelCode::EncodeLoginRequest(1, 2, nullptr, 0, "x"), nullptr);
  EXPECT_EQ(CKestrelCode::EncodeLoginRequest(1, 2, list, 1, nullptr), nullptr);
  EXPECT_EQ(CKestrelCode::EncodeRawDataRequest(nullptr, 1), nullptr);
  EXPECT_EQ(CKestrelCode::EncodeRawDataRequest(raw, 0), nullptr);
  EXPECT_EQ(CKestrelCode::EncodeRawDataRequest(raw, -4), nullptr);
}

TEST(ServiceRequests, NegativeLoginCountIsWrittenAsUnsignedWithNoEntries) {
  int list[] = {9};
  const Bytes bytes = Take(CKestrelCode::EncodeLoginRequest(0, 0, list, -1, ""));
  EXPECT_EQ(Hex(bytes), "89 D0 80 80 0F 7F 7F 7F FF 80 DB");
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
  // 128-byte step, and requests beyond the first 1024 bytes of room.
  for (int size = 1; size <= 2999; size += (size < 140 ? 1 : 97)) {
    std::vector<char> raw(static_cast<size_t>(size));
    for (int i = 0; i < size; ++i) raw[static_cast<size_t>(i)] = static_cast<char>(i * 7 + 3);
    Bytes typeAndBody{0xB0};  // type 48 in stop-bit form
    typeAndBody.insert(typeAndBody.end(), raw.begin(), raw.end());
    SCOPED_TRACE(size);
    ExpectWellFramed(Take(CKestrelCode::EncodeRawDataRequest(raw.data(), size)), typeAndBody);
  }
}

TEST(RequestEnvelope, BoundaryCases) {
  {  // type plus body of exactly 128 bytes: prefix 01 80
    std::vector<char> raw(127, 'a');
    const Bytes request = Take(CKestrelCode::EncodeRawDataRequest(raw.data(), 127));
    EXPECT_EQ(Hex(Bytes(request.begin(), request.begin() + 2)), "01 80");
  }
  {                                          // type and body summing to 0x100: check byte 0x80
    char raw[] = {static_cast<char>(0xD0)};  // 0x30 + 0xD0 = 0x100
    EXPECT_EQ(Hex(Take(CKestrelCode::EncodeRawDataRequest(raw, 1))), "82 B0 D0 80");
  }
}

}  // namespace

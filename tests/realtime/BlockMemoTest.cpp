// The thread's memo of quote blocks: a thread that has seen a message's
// codes reads it exactly as a thread that has not, after other codes pushed
// them out, at every cut, and across a change of the login's client type.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "KestrelUtils.h"
#include "codes/CodeTables.h"
#include "codes/CodeText.h"
#include "codes/TernCode.h"
#include "support/Fingerprint.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;

// A quote update body: per code a time (a stop-bit number for gold and FX),
// a price and numbers that the futures and gold corrections concern.
Bytes Body(const std::vector<std::string>& codes) {
  kt::MessageBuilder b;
  b.UInt(codes.size());
  for (const std::string& code : codes) {
    CCode wire;
    WriteTernCode(wire, code.c_str());
    b.Raw(Bytes(wire.GetContent(), wire.GetContent() + wire.GetLength())).UInt(5).UInt(2);
    if (code.find(".SGE") != std::string::npos || code.find(".FX") != std::string::npos) {
      b.UInt(103015);
    } else {
      b.PackedTime(10, 30, 15);
    }
    b.UInt(3).UInt(1234).UInt(8).Int(-123456789).UInt(9).UInt(4567).UInt(59).Int(98765);
  }
  return b.Bytes();
}

// The records' fingerprint, and each security's code, type and factor as a
// visitor is handed them.
std::string Read(const Bytes& message) {
  struct Recorder {
    std::string text;
    void onSecurity(const kestrel::Security& s) {
      text += std::string(s.code) + "|" + std::string(s.type) + "|" + std::to_string(s.priceFactor);
    }
  } recorder;
  std::vector<char> copy(message.begin(), message.end());
  int type = -1;
  char* result = CKestrelCode::DecodeOneMessage(copy.data(), &type);
  const uint64_t fingerprint = kt::FingerprintOf(result, type);
  CKestrelCode::ClearDecodeMessage(result, type);
  kestrel::visitQuotes(copy.data(), copy.size(), recorder);
  return std::to_string(fingerprint) + recorder.text;
}

// The same on a thread of its own, which has seen no code before.
std::string ReadCold(const Bytes& message) {
  std::string text;
  std::thread([&] { text = Read(message); }).join();
  return text;
}

TEST(BlockMemo, WarmReadsMatchColdOnes) {
  // Every segment's first, middle and last code, texts of listed and other
  // suffixes, codes near and beyond the memo's 24 bytes, futures, gold, FX.
  std::vector<std::string> codes = {"IF1107.CFE",
                                    "AU9995.SGE",
                                    "USDCNY.FX",
                                    "M1109.DCE",
                                    "AU0.SHF",
                                    "0700.HK",
                                    "600000.sh",
                                    std::string(22, 'A'),
                                    std::string(19, 'B') + ".XY",
                                    std::string(30, '7') + ".SH"};
  for (const CodeSegment& segment : CodeSegmentTable()) {
    for (const int32_t n : {segment.low, (segment.low + segment.high) / 2, segment.high}) {
      char text[32];
      std::snprintf(text, sizeof text, "%0*d.%s", segment.digits, n, segment.suffix);
      codes.emplace_back(text);
    }
  }
  const Bytes message = kt::Frame(64, Body(codes));
  std::vector<std::string> others;
  for (int n = 0; n < 3000; ++n) others.push_back(std::to_string(600000 + n) + ".SH");
  const std::string cold = ReadCold(message);
  EXPECT_NE(cold.find("AU9995.SGE|SGE|"), std::string::npos);
  std::thread([&] {
    EXPECT_TRUE(Read(message) == cold && Read(message) == cold);
    Read(kt::Frame(64, Body(others)));  // more codes than the memo keeps
    EXPECT_TRUE(Read(message) == cold);
  }).join();
}

TEST(BlockMemo, EveryCutReadsAsCold) {
  const Bytes body = Body({"IF1107.CFE", "600000.SH", "AU9995.SGE", std::string(22, 'A')});
  std::thread([&] {
    Read(kt::Frame(64, body));
    for (size_t n = 0; n <= body.size(); ++n) {
      const Bytes cut =
          kt::Frame(64, Bytes(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(n)));
      EXPECT_EQ(Read(cut), ReadCold(cut)) << "cut " << n;
    }
  }).join();
}

TEST(BlockMemo, AChangeOfClientTypeReadsAsCold) {
  // Bond real codes keep their real form for client type 80 only.
  constexpr int64_t kRealCodes = 80;
  const Bytes message = kt::Frame(64, Body({"YTM_010107.SHX", "FP_019003.IBC", "600000.SH"}));
  const std::string plain = ReadCold(message);
  kestrel::SetLoginClientType(kRealCodes);
  const std::string real = ReadCold(message);
  kestrel::SetLoginClientType(0);
  ASSERT_NE(plain, real);
  std::thread([&] {
    EXPECT_EQ(Read(message), plain);
    kestrel::SetLoginClientType(kRealCodes);
    EXPECT_EQ(Read(message), real);
    kestrel::SetLoginClientType(0);
    EXPECT_EQ(Read(message), plain);
  }).join();
}

}  // namespace

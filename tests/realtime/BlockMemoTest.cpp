// The thread's memo of quote blocks: a thread that has seen a message's
// codes reads the message exactly as a thread that has not, for codes of
// every form and market, after the memo has given way to other codes, for
// every cut of a message, and across a change of the login's client type.
#include <gtest/gtest.h>

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

// Codes of every form: built from numbers (first, middle and last number
// of each segment), texts with a listed suffix or spelt out, long texts at
// the edge of what the memo keys, and markets whose blocks differ (futures
// and gold corrections, stop-bit times, "HK" lists, bond real codes).
std::vector<std::string> MixedCodes() {
  std::vector<std::string> codes = {"IF1107.CFE",
                                    "AU9995.SGE",
                                    "AG9999.SGE",
                                    "USDCNY.FX",
                                    "CU1107.SHF",
                                    "M1109.DCE",
                                    "0700.HK",
                                    "2001.HK",
                                    "YTM_010107.SHX",
                                    "FP_019003.IBC",
                                    "600000.sh",
                                    "019003.IB",
                                    "000005NV.OF",
                                    "AU0.SHF",
                                    "ABCDEFGHIJKLMNOPQRSTUV.SH",
                                    "ABCDEFGHIJKLMNOPQRS.XYZ",
                                    "ABCDEFGHIJKLMNOPQRSTUVWXYZ.SH"};
  for (const CodeSegment& segment : CodeSegmentTable()) {
    if (segment.suffix[0] == '\0') continue;
    for (const int32_t n : {segment.low, (segment.low + segment.high) / 2, segment.high}) {
      char text[32];
      std::snprintf(text, sizeof text, "%0*d.%s", segment.digits, n, segment.suffix);
      codes.emplace_back(text);
    }
  }
  return codes;
}

Bytes WireOf(const std::string& code) {
  CCode wire;
  EXPECT_TRUE(WriteTernCode(wire, code.c_str()));
  return Bytes(wire.GetContent(), wire.GetContent() + wire.GetLength());
}

// A quote update of the codes, each with a time, a price and numbers that
// the futures and gold corrections concern.
Bytes QuoteUpdateBody(const std::vector<std::string>& codes) {
  kt::MessageBuilder b;
  b.UInt(codes.size());
  uint32_t price = 1000;
  for (const std::string& code : codes) {
    b.Raw(WireOf(code)).UInt(6).UInt(2);
    // Gold and FX send their time as a stop-bit number.
    const bool stopBitTime =
        code.find(".SGE") != std::string::npos || code.find(".FX") != std::string::npos;
    if (stopBitTime) {
      b.UInt(103015);
    } else {
      b.PackedTime(10, 30, 15);
    }
    b.UInt(3).UInt(price++).UInt(8).Int(-123456789);
    b.UInt(9).UInt(4567).UInt(59).Int(98765).UInt(10).Int(-5);
  }
  return b.Bytes();
}
Bytes QuoteUpdate(const std::vector<std::string>& codes) {
  return kt::Frame(64, QuoteUpdateBody(codes));
}

// What a host learns of a message: the fingerprint of its records, and each
// security's code, type, factor and entries as a visitor is handed them.
struct Recorder {
  std::string text;
  void onSecurity(const kestrel::Security& s) {
    text += std::string(s.code) + "|" + std::string(s.type) + "|" + std::to_string(s.priceFactor) +
            "|" + std::to_string(s.entries) + ";";
  }
  void onEntry(const kestrel::Entry& e) {
    text += std::to_string(e.id) + ":" + std::to_string(e.raw->llValue) + " ";
  }
};

std::string Read(const Bytes& message) {
  std::vector<char> copy(message.begin(), message.end());
  int type = -1;
  char* result = CKestrelCode::DecodeOneMessage(copy.data(), &type);
  std::string text = std::to_string(kt::FingerprintOf(result, type)) + "/";
  CKestrelCode::ClearDecodeMessage(result, type);
  Recorder recorder;
  const kestrel::Visited visited = kestrel::visitQuotes(copy.data(), copy.size(), recorder);
  return text + std::to_string(static_cast<int>(visited.status)) + "/" + recorder.text;
}

// The reading of each message on a thread of its own, which has seen no
// code before it.
std::vector<std::string> ReadCold(const std::vector<Bytes>& messages) {
  std::vector<std::string> texts;
  for (const Bytes& message : messages) {
    std::thread([&] { texts.push_back(Read(message)); }).join();
  }
  return texts;
}

class BlockMemo : public ::testing::Test {
 protected:
  void SetUp() override { CKestrelCode::StartUp(); }
  void TearDown() override { kestrel::SetLoginClientType(0); }
};

TEST_F(BlockMemo, WarmReadsMatchColdOnes) {
  const std::vector<std::string> codes = MixedCodes();
  const Bytes message = QuoteUpdate(codes);
  const std::string cold = ReadCold({message}).front();
  // Other codes, more than the memo keeps, push the message's codes out.
  std::vector<std::string> others;
  for (int n = 0; n < 3000; ++n) others.push_back(std::to_string(600000 + n) + ".SH");
  const Bytes churn = QuoteUpdate(others);
  std::thread([&] {
    EXPECT_EQ(Read(message), cold);
    EXPECT_EQ(Read(message), cold);
    Read(churn);
    EXPECT_EQ(Read(message), cold);
  }).join();
  EXPECT_NE(cold.find("AU9995.SGE|SGE|"), std::string::npos) << cold;
}

TEST_F(BlockMemo, EveryCutReadsAsCold) {
  // Cuts inside a code, and codes within a room's length of the end.
  const Bytes body = QuoteUpdateBody(
      {"IF1107.CFE", "600000.SH", "AU9995.SGE", "0700.HK", "ABCDEFGHIJKLMNOPQRSTUV.SH"});
  const Bytes message = kt::Frame(64, body);
  std::vector<Bytes> cuts;
  for (size_t n = 0; n <= body.size(); ++n) {
    cuts.push_back(
        kt::Frame(64, Bytes(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(n))));
  }
  const std::vector<std::string> cold = ReadCold(cuts);
  std::thread([&] {
    Read(message);
    for (size_t n = 0; n < cuts.size(); ++n) EXPECT_EQ(Read(cuts[n]), cold[n]) << "cut " << n;
  }).join();
}

TEST_F(BlockMemo, AChangeOfClientTypeReadsAsCold) {
  // Bond real codes keep their real form for client type 80.
  const Bytes message = QuoteUpdate({"YTM_010107.SHX", "FP_019003.IBC", "600000.SH"});
  const int64_t kRealCodes = 80;
  const std::string plain = ReadCold({message}).front();
  kestrel::SetLoginClientType(kRealCodes);
  const std::string real = ReadCold({message}).front();
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

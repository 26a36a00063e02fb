// Received messages: framing, dispatch by type, envelopes and disposal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KestrelUtils.h"
#include "support/Decoded.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::Compressed;
using kt::Decoded;
using kt::Frame;
using kt::FromHex;
using kt::MessageBuilder;

TEST(Framing, SmallEnvelopeMessages) {
  {  // raw data with an empty payload: one zero byte
    Decoded d(FromHex("81 B0"));
    EXPECT_EQ(d.Type(), 48);
    ASSERT_NE(d.Result(), nullptr);
    EXPECT_EQ(d.Result()[0], 0);
  }
  {  // raw data: the payload and a terminating zero
    Decoded d(Frame(48, {'h', 'i', 0xF0}));
    ASSERT_NE(d.Result(), nullptr);
    EXPECT_EQ(std::string(d.Result()), "hi\xF0");
  }
  // Heartbeats (58, 63) and unknown types: no result, the type reported.
  for (const int type : {58, 63, 0, 1, 99, 129, 255, 300, 70000}) {
    Decoded d(Frame(type, type == 58 || type == 63 ? Bytes{} : Bytes{1, 2, 3}));
    EXPECT_EQ(d.Result(), nullptr);
    EXPECT_EQ(d.Type(), type);
  }
}

TEST(Framing, NullMessageLeavesTheTypeAlone) {
  int type = 1234;
  EXPECT_EQ(CKestrelCode::DecodeOneMessage(nullptr, &type), nullptr);
  EXPECT_EQ(type, 1234);
  CKestrelCode::ClearDecodeMessage(nullptr, 48);
  CKestrelCode::PrintDecodeMessage(nullptr, 48);
}

TEST(Framing, BytesBehindTheFrameAreNotRead) {
  Bytes message = Frame(48, {'a', 'b'});
  message.push_back('c');  // the next message's first byte
  Decoded d(message);
  EXPECT_EQ(std::string(d.Result()), "ab");
}

TEST(Framing, StatusTestReply) {
  const Bytes body =
      MessageBuilder().UInt(2).Int(-3).Int(1LL << 40).UInt(8).UInt(5).UInt(7).Bytes();
  Decoded d(Frame(59, body));
  ASSERT_EQ(d.Type(), 59);
  const auto* info = d.As<KestrelInfoReceive>();
  ASSERT_NE(info, nullptr);
  // In wire order: 2, 3, 4, 8, 5, 7; values 1 and 6 are not on the wire.
  const std::vector<int64_t> values{info->ReceiveValue1, info->ReceiveValue2, info->ReceiveValue3,
                                    info->ReceiveValue4, info->ReceiveValue8, info->ReceiveValue5,
                                    info->ReceiveValue6, info->ReceiveValue7};
  EXPECT_EQ(values, (std::vector<int64_t>{0, 2, -3, 1LL << 40, 8, 5, 0, 7}));
}

TEST(CompressedEnvelope, RetriesWithDoubledCapacityUntilItFits) {
  // 200000 repeated bytes deflate to a few hundred: far beyond three times.
  const Bytes payload(200000, 'q');
  const Bytes envelope = Compressed(Frame(48, payload));
  ASSERT_LT(envelope.size() * 100, payload.size());
  Decoded d(envelope);
  EXPECT_EQ(d.Type(), 48);  // the inner message's type and result
  ASSERT_NE(d.Result(), nullptr);
  EXPECT_EQ(std::string(d.Result()), std::string(payload.begin(), payload.end()));
}

TEST(CompressedEnvelope, NestedEnvelopesDecodeThroughEveryLevel) {
  Decoded d(Compressed(Compressed(Frame(59, MessageBuilder().UInt(42).Bytes()))));
  EXPECT_EQ(d.Type(), 59);
  ASSERT_NE(d.As<KestrelInfoReceive>(), nullptr);
  EXPECT_EQ(d.As<KestrelInfoReceive>()->ReceiveValue2, 42);
}

TEST(CompressedEnvelope, DeepChainsAreRefusedWithoutCrashing) {
  Bytes message = Frame(48, {'d'});
  for (int level = 1; level <= 64; ++level) {
    message = Compressed(message);
    Decoded d(message);
    if (level <= 4) {
      ASSERT_NE(d.Result(), nullptr) << level;
    } else {
      EXPECT_EQ(d.Result(), nullptr) << level;
    }
  }
}

TEST(CompressedEnvelope, DamagedPayloadsGiveNull) {
  const Bytes good = kt::Deflate(Frame(48, Bytes(1000, 'k')));
  const Bytes cases[] = {
      Frame(54, {}),                                     // no payload
      Frame(54, {0x78}),                                 // one byte
      Frame(54, {1, 2, 3, 4, 5, 6, 7, 8}),               // not zlib
      Frame(54, Bytes(good.begin(), good.end() - 5)),    // cut short
      Frame(54, Bytes(good.begin(), good.begin() + 2)),  // header only
  };
  for (const Bytes& message : cases) {
    Decoded d(message);
    EXPECT_EQ(d.Result(), nullptr) << kt::Hex(message);
  }
}

// Every cut of an inflated message still frames safely: the inner length
// prefix may promise more than the inflated bytes hold, and a short status
// test reply reads zeros.
TEST(CompressedEnvelope, InnerMessagesThatOverstateTheirLength) {
  const Bytes inner =
      Frame(59, MessageBuilder().UInt(1).Int(2).Int(3).UInt(4).UInt(5).UInt(6).Bytes());
  for (size_t cut = 0; cut <= inner.size(); ++cut) {
    Decoded d(Frame(54, kt::Deflate(Bytes(inner.begin(), inner.begin() + static_cast<long>(cut)))));
    if (cut < 2) {
      EXPECT_EQ(d.Result(), nullptr) << cut;
    } else {
      EXPECT_EQ(d.Type(), 59);
      ASSERT_NE(d.Result(), nullptr);
      EXPECT_EQ(d.As<KestrelInfoReceive>()->ReceiveValue7, cut == inner.size() ? 6 : 0);
    }
  }
}

}  // namespace

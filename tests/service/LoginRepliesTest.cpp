// Login reply and the server's subscription list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KestrelUtils.h"
#include "codes/CodeText.h"
#include "support/Decoded.h"
#include "support/KestrelCodeAccess.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::Decoded;
using kt::Frame;
using kt::MessageBuilder;

Bytes LoginReply(int64_t clientType) {
  return Frame(80, MessageBuilder()
                       .Sized("trader7")
                       .Int(clientType)
                       .Int(500)
                       .Int(-1)
                       .Int(1LL << 40)
                       .Int(0)
                       .Int(99)
                       .Int(-99999)  // skipped
                       .Sized("quote-1")
                       .Sized("10.1.2.3")
                       .Bytes());
}

std::string BondCode(const char* real) {
  char code[32];
  std::strcpy(code, real);
  return KestrelCodeAccess::RealCodeToBondCode(code);
}

TEST(LoginReply, FieldsAndTheProcessWideClientType) {
  {
    Decoded d(LoginReply(80));
    ASSERT_EQ(d.Type(), 80);
    auto* info = d.As<CLoginInfo>();
    ASSERT_NE(info, nullptr);
    EXPECT_STREQ(info->GetUserId(), "trader7");
    EXPECT_EQ(info->GetClientType(), 80);
    EXPECT_EQ(info->GetMaxSubIndicator(), 500);
    EXPECT_STREQ(info->GetServerName(), "quote-1");  // the name comes first
    EXPECT_STREQ(info->GetServerIP(), "10.1.2.3");
  }
  // Client type 80 keeps bond codes real; the next login switches it back.
  EXPECT_EQ(BondCode("ytm_019003.sh"), "ytm_019003.sh");
  { Decoded d(LoginReply(3)); }
  EXPECT_EQ(BondCode("ytm_019003.sh"), "019003.SH");
  kestrel::SetLoginClientType(0);
}

TEST(LoginReply, TruncatedReplyGivesZerosAndEmptyTexts) {
  Decoded d(Frame(80, MessageBuilder().Sized("u").Bytes()));
  auto* info = d.As<CLoginInfo>();
  ASSERT_NE(info, nullptr);
  EXPECT_STREQ(info->GetUserId(), "u");
  EXPECT_EQ(info->GetClientType(), 0);
  EXPECT_STREQ(info->GetServerIP(), "");
  kestrel::SetLoginClientType(0);
}

TEST(ServerSubInfo, ItemsAndIds) {
  Decoded d(Frame(26, MessageBuilder()
                          .UInt(12345)  // leading number, dropped
                          .UInt(3)
                          .Code(60, 0)
                          .UInt(2)
                          .UInt(7)
                          .UInt(65536 + 9)
                          .Code(77, 0)
                          .UInt(0)
                          .TextCode("IF1107.CFE")
                          .UInt(1)
                          .UInt(65535)
                          .Bytes()));
  auto* list = d.As<CWatchList>();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetWatchListItemNum(), 3);
  WatchListItem* items = list->GetWatchListItem();
  EXPECT_STREQ(items[0].TernCode, "600000.SH");
  ASSERT_EQ(items[0].IndIndexNum, 2);
  EXPECT_EQ(items[0].IndIndex[0], 7);
  EXPECT_EQ(items[0].IndIndex[1], 9);  // low 16 bits
  EXPECT_STREQ(items[1].TernCode, "0700.HK");
  EXPECT_EQ(items[1].IndIndex, nullptr);
  EXPECT_EQ(items[1].IndIndexNum, 0);
  EXPECT_STREQ(items[2].TernCode, "IF1107.CFE");
  EXPECT_EQ(items[2].IndIndex[0], 65535);
}

TEST(ServerSubInfo, EmptyTruncatedAndForgedCounts) {
  for (const Bytes& body :
       {MessageBuilder().UInt(1).UInt(0).UInt(99).Bytes(),
        MessageBuilder().UInt(1).UInt(0xFFFFFFFF).Bytes(), MessageBuilder().UInt(1).Bytes()}) {
    Decoded d(Frame(26, body));
    ASSERT_NE(d.As<CWatchList>(), nullptr);
    EXPECT_EQ(d.As<CWatchList>()->GetWatchListItemNum(), 0);
    EXPECT_EQ(d.As<CWatchList>()->GetWatchListItem(), nullptr);
  }
  {  // two items promised, the data ends inside the first one's ids
    Decoded d(Frame(26, MessageBuilder().UInt(1).UInt(2).Code(60, 1).UInt(3).UInt(4).Bytes()));
    auto* list = d.As<CWatchList>();
    ASSERT_EQ(list->GetWatchListItemNum(), 2);
    EXPECT_STREQ(list->GetWatchListItem()[0].TernCode, "600001.SH");
    EXPECT_STREQ(list->GetWatchListItem()[1].TernCode, "");
    EXPECT_EQ(list->GetWatchListItem()[1].IndIndex, nullptr);
  }
  {  // a count of four billion cannot make the list allocate beyond the bytes
    Decoded d(
        Frame(26, MessageBuilder().UInt(1).UInt(0x7FFFFFFF).Code(60, 1).UInt(0x7FFFFFFF).Bytes()));
    auto* list = d.As<CWatchList>();
    ASSERT_NE(list, nullptr);
    EXPECT_LE(list->GetWatchListItemNum(), 16);
    EXPECT_LE(list->GetWatchListItem()[0].IndIndexNum, 16);
  }
}

}  // namespace

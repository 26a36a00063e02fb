// Writes the seed corpus of the fuzz targets: one file per message, each the
// stop-bit type and the body of a message the server sends, built with the
// test-side message writer so that the seeds follow the protocol's code.
//
//   kestrel_make_corpus DIR
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "KestrelTypes.hpp"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::MessageBuilder;

using kestrel::MessageType;

struct Seed {
  const char* name;
  MessageType type;
  Bytes body;
};

MessageBuilder& Prices(MessageBuilder& b, int rows) {
  b.UInt(1000);
  for (int i = 0; i < rows; ++i) b.Int(i % 3 - 1).UInt(20).UInt(10).UInt(3);
  return b;
}

std::vector<Seed> Seeds() {
  std::vector<Seed> seeds;
  // Real-time quotes of several markets, with special indicators.
  seeds.push_back({"quotes", MessageType::QuoteUpdate,
                   MessageBuilder().UInt(3)
                       .Code(60, 0).UInt(4).UInt(2).PackedTime(9, 30, 0).UInt(3).UInt(1025)
                       .UInt(8).Int(123456789).UInt(131).Sized("NAME")
                       .Code(77, 0).UInt(2).UInt(57).UInt(2).UInt(1).UInt(2)
                       .UInt(150).UInt(1).UInt(3).UInt(150000).Sized("!2Y")
                       .TextCode("IF1107.CFE").UInt(2).UInt(31).UInt(12345).UInt(2).PackedTime(14, 0, 0)
                       .Bytes()});
  seeds.push_back({"quotes-level2", MessageType::QuoteUpdate,
                   MessageBuilder().UInt(1).Code(60, 0).UInt(4)
                       .UInt(90).UInt(2).UInt(93000).Int(3).UInt(100).Int(-1)
                       .UInt(1).UInt(2).UInt(10250).Int(5).UInt(10).UInt(20)
                       .UInt(7).Int(1)
                       .UInt(91).UInt(93000).UInt(1).UInt(1).UInt(1).UInt(10250).UInt(2).UInt(2)
                       .UInt(100).UInt(200)
                       .UInt(93).UInt(0).UInt(3)
                       .UInt(155).UInt(1).UInt(1).UInt(2).UInt(3).UInt(4).Sized("600000.SH").UInt(1)
                       .UInt(3).Int(1234).Sized("halt")
                       .Bytes()});
  seeds.push_back({"quotes-error", MessageType::QuoteUpdate, MessageBuilder().UInt(0).UInt(7).Bytes()});
  // Long runs of plain numbers after each security's time: the visitor
  // walks such runs in two lanes.
  MessageBuilder runs;
  runs.UInt(3);
  for (int security = 0; security < 3; ++security) {
    runs.Code(60, static_cast<uint32_t>(security)).UInt(25).UInt(2).PackedTime(9, 30, security);
    for (int id = 3; id < 27; ++id) {
      runs.UInt(static_cast<uint32_t>(id > 24 ? id + 280 : id));
      if (id > 24) {
        runs.Int(-1000 * id);
      } else {
        runs.UInt(static_cast<uint32_t>(1000 + 37 * id * (security + 1)));
      }
    }
  }
  seeds.push_back({"quotes-long-runs", MessageType::QuoteUpdate, runs.Bytes()});
  const Bytes masked = MessageBuilder().UInt(3).UInt(3).UInt(57).UInt(151).UInt(2)
                           .Code(60, 0).Raw({0xE0}).UInt(3).Int(1025).Int(5).Int(123456)
                           .Code(77, 0).Raw({0x40}).UInt(1).UInt(2).UInt(5).UInt(6)
                           .Bytes();
  seeds.push_back({"masked-commit", MessageType::MaskedIndicators, masked});
  seeds.push_back({"masked-verify", MessageType::MaskedData, masked});
  seeds.push_back({"simple", MessageType::SimpleIndicators,
                   MessageBuilder().UInt(1).Code(60, 0).UInt(2).UInt(3).Int(1025).UInt(131)
                       .Sized("X").Bytes()});
  // Level-2 transaction history: deals, then reverted deals.
  seeds.push_back({"level2-deals", MessageType::Level2TransactionsHistory,
                   MessageBuilder().UInt(1).Code(60, 0).UInt(0).UInt(0).UInt(0).UInt(1).UInt(2)
                       .UInt(93000).Int(3).UInt(100).Int(-1).UInt(1).UInt(2).UInt(10250).Int(5)
                       .UInt(10).UInt(20).UInt(7).Int(1).Bytes()});
  {
    MessageBuilder b;
    b.UInt(2).Code(60, 0).UInt(0).UInt(0).UInt(0).UInt(1).UInt(2);
    for (int column = 0; column < 10; ++column) b.UInt(5 + column).Int(1);
    seeds.push_back({"level2-reverts", MessageType::Level2TransactionsHistory, b.Bytes()});
  }
  // K-lines: an A share, a future, an open fund; minute bars.
  for (const char* code : {"600000.SH", "IF1107.CFE", "0700.HK"}) {
    MessageBuilder b;
    b.TextCode(code).UInt(2).UInt(0x23).UInt(3).UInt(20240102).UInt(1).UInt(3);
    Prices(b, 3).Int(100).Int(5).Int(-2).Int(1000).Int(50).Int(-20);
    b.UInt(7).Int(1).Int(1).UInt(2).Int(1).Int(-1);
    seeds.push_back({"day-kline", MessageType::DayKLine, b.Bytes()});
  }
  seeds.push_back({"day-kline-fund", MessageType::DayKLine,
                   MessageBuilder().Code(29, 1).UInt(4).UInt(1).UInt(2).UInt(20240102).UInt(1)
                       .UInt(10000).Int(5).Bytes()});
  {
    MessageBuilder b;
    b.TextCode("IF1107.CFE").UInt(1).UInt(2).UInt(3).UInt(20240102).UInt(93000).UInt(60).UInt(60);
    Prices(b, 3).Int(100).Int(5).Int(-2).Int(1000).Int(50).Int(-20);
    b.UInt(7).Int(1).Int(1).UInt(2).Int(1).Int(-1);
    seeds.push_back({"minute-kline", MessageType::MinuteKLine, b.Bytes()});
  }
  // Formalized trends and deals, history trends and QE data: a code and a
  // few counted fields each, for the fuzzer to grow from.
  for (const MessageType type : {MessageType::FormalizedTrend, MessageType::FormalizedDeal,
                                 MessageType::HisTrend, MessageType::QEDataPlus}) {
    seeds.push_back({"history", type,
                     MessageBuilder().Code(60, 0).UInt(2).UInt(1).UInt(2).UInt(93000).UInt(60)
                         .UInt(1000).Int(5).Int(100).Int(7).Bytes()});
  }
  // Service replies.
  seeds.push_back({"login", MessageType::Login,
                   MessageBuilder().Sized("user").Int(3).Int(500).Int(0).Int(0).Int(0).Int(0)
                       .Int(0).Sized("server").Sized("10.0.0.1").Bytes()});
  seeds.push_back({"subscriptions", MessageType::ServerSubInfo,
                   MessageBuilder().UInt(1).UInt(2).Code(60, 0).UInt(2).UInt(3).UInt(8)
                       .Code(77, 0).UInt(0).Bytes()});
  seeds.push_back({"status", MessageType::StatusTest,
                   MessageBuilder().UInt(1).Int(2).Int(3).UInt(4).UInt(5).UInt(6).Bytes()});
  for (const MessageType type : {MessageType::SectorCharts, MessageType::SectorQuotesOrder,
                                 MessageType::PagedRankingList}) {
    seeds.push_back({"ranking", type,
                     MessageBuilder().UInt(1).UInt(2).UInt(1).UInt(2).Code(60, 0).UInt(1234)
                         .UInt(1200).UInt(5).Code(77, 0).UInt(3502).UInt(3500).UInt(6).Bytes()});
  }
  // Envelope forms.
  seeds.push_back({"raw", MessageType::RawData, Bytes{'h', 'i'}});
  seeds.push_back({"heartbeat", MessageType::HeartBeat, Bytes{}});
  return seeds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  int n = 0;
  for (const Seed& seed : Seeds()) {
    const auto type = static_cast<uint32_t>(seed.type);
    Bytes typeAndBody = kt::StopBitUnsigned(type);
    typeAndBody.insert(typeAndBody.end(), seed.body.begin(), seed.body.end());
    const std::string path = std::string(argv[1]) + "/" + std::to_string(type) + "-" +
                             seed.name + "-" + std::to_string(n++);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(typeAndBody.data()),
              static_cast<std::streamsize>(typeAndBody.size()));
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}

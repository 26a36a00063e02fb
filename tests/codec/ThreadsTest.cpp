// Decoding on several threads at once: every thread gets the results that
// one thread alone gets (run under ThreadSanitizer by the tsan preset).
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "KestrelUtils.h"
#include "support/Decoded.h"
#include "support/LocalZone.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::MessageBuilder;

// What a host reads of a result: codes, counts and the first values.
std::string Summary(const kt::Decoded& d) {
  std::string out = std::to_string(d.Type()) + ":";
  auto* data = d.As<CKestrelData>();
  if (data == nullptr || (d.Type() != 64 && d.Type() != 5)) return out + (d.Result() ? "r" : "-");
  for (int i = 0; i < data->GetQuoteDataNum(); ++i) {
    CKestrelQuoteData& q = data->GetKestrelQuoteData()[i];
    out += std::string(q.GetTernCode()) + "=" +
           std::to_string(q.GetIndexToValue()->GetIndexValue()[0].dValue) + ";";
  }
  for (int i = 0; i < data->GetHisDataNum(); ++i) {
    // The date and time columns of a minute K-line: rows and last values.
    CIndexToValue* v = data->GetKestrelHisData()[i].GetIndexToValue();
    for (int c = 0; c < 2 && c < v->GetNum(); ++c) {
      const int rows = v->GetOneIndexValueNum()[c];
      out += std::to_string(rows) + "/" + std::to_string(v->GetIndexValue()[c].pnValue[rows - 1]) +
             ";";
    }
  }
  return out;
}

class Threads : public kt::LocalZone {};

TEST_F(Threads, ConcurrentDecodesMatchASingleThread) {
  // A quote update, a compressed one, a login reply (process-wide client
  // type) and a minute K-line (local-time conversions).
  const Bytes quotes = kt::Frame(64, MessageBuilder().UInt(2)
                                         .Code(60, 0).UInt(1).UInt(3).UInt(1025)
                                         .Code(77, 0).UInt(1).UInt(3).UInt(350200)
                                         .Bytes());
  // Fifty one-minute bars from 2024-01-05 09:30:00: dates and times, prices,
  // volumes and amounts.
  constexpr int kBars = 50;
  MessageBuilder minutes;
  minutes.TextCode("600000.SH").UInt(1).UInt(2).UInt(kBars).UInt(20240105).UInt(93000);
  for (int i = 1; i < kBars; ++i) minutes.UInt(60);
  minutes.UInt(1000);
  for (int i = 0; i < kBars; ++i) minutes.Int(1).UInt(3).UInt(2).UInt(1);
  for (int i = 0; i < 2 * kBars; ++i) minutes.Int(5);
  const std::vector<Bytes> messages = {
      quotes, kt::Compressed(quotes),
      kt::Frame(80, MessageBuilder().Sized("u").Int(3).Int(1).Bytes()),
      kt::Frame(5, minutes.Bytes())};
  std::vector<std::string> expected;
  for (const Bytes& m : messages) expected.push_back(Summary(kt::Decoded(m)));

  std::vector<std::string> failures[4];
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 50; ++round) {
        for (size_t m = 0; m < messages.size(); ++m) {
          const std::string got = Summary(kt::Decoded(messages[m]));
          if (got != expected[m]) failures[t].push_back(got);
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const auto& list : failures) EXPECT_TRUE(list.empty()) << list.front();
}

}  // namespace

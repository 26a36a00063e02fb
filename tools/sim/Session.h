// A simulated quote server's market and session: the securities it quotes,
// prices that wander from message to message, and the messages of a whole
// recorded session.
//
// Everything follows from the seed: the same seed gives the same bytes on
// every platform (the random numbers are the simulator's own, not the
// standard library's distributions).
#ifndef KESTREL_SIM_SESSION_H
#define KESTREL_SIM_SESSION_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/Messages.h"

namespace ksim {

// splitmix64: small, fast, and the same everywhere.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next();
  // A number from low to high, both included.
  int64_t Between(int64_t low, int64_t high);

 private:
  uint64_t state_;
};

// The securities of the simulated market, one of each kind.
const std::vector<Security>& Universe();
// The security whose compact form is `wire`; null for codes the market does
// not quote.
const Security* FindByWire(const Bytes& wire);
const Security* FindByCode(const std::string& code);

// One message of a session and the type a host's decoder reports for it (the
// inner type for a compressed envelope), as its number: WireType of a
// MessageType.
struct Message {
  uint32_t type;
  Bytes bytes;
};

class Session {
 public:
  explicit Session(uint64_t seed);

  // A recorded session: login, subscription list, quotes of every market
  // with level-2 data, K-lines, trends and deals, QE data, rankings, some of
  // them in compressed envelopes, and heartbeats.
  std::vector<Message> Capture();

  // Replies and pushes of a live session.
  Bytes LoginReplyTo(const std::string& user);
  Bytes WatchListOf(const std::vector<const Security*>& securities);
  // A quote update for the securities, each a minute further on; every
  // other one goes out compressed. With `wanted` (one id list per
  // security), each security carries only the indicators asked for that it
  // has; an empty list asks for all.
  Bytes QuotePush(const std::vector<const Security*>& securities,
                  const std::vector<std::vector<uint32_t>>& wanted = {});

 private:
  // The next quote of a security: time, prices, volume and amount.
  Block QuoteBlock(const Security& security);
  std::vector<Bar> DayBars(const Security& security, int count);
  std::vector<Bar> MinuteBars(const Security& security, int count, int minutes);
  std::vector<Minute> Minutes(const Security& security, int count);
  std::vector<Deal> Deals(const Security& security, int count);
  Columns Level2Deals(const Security& security, int count);
  Columns Level2Reverts(const Security& security, int count);
  Columns Level2Orders(const Security& security, int count);
  OrderQueue Queue(const Security& security, uint32_t side, uint32_t image);
  Bytes Level2Quote(const Security& security);
  std::vector<Message> History();
  std::vector<Message> Rankings();
  // A price near the last one of the security, which it becomes.
  int64_t Walk(const Security& security);

  Random random_;
  std::map<std::string, int64_t> last_;  // last price of each code
  int clock_ = 93000;                    // time of day of the next quote
  int pushes_ = 0;
};

}  // namespace ksim

#endif  // KESTREL_SIM_SESSION_H

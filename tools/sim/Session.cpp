// The simulated market and the messages of its sessions.
#include "sim/Session.h"

#include <algorithm>
#include <utility>

namespace ksim {

namespace {

// A message of a session, with the number its decoder reports.
Message Of(MessageType type, Bytes bytes) { return {WireType(type), std::move(bytes)}; }

// The trading day of every simulated session.
constexpr int kSessionDate = 20240315;

int SecondsOf(int time) { return time / 10000 * 3600 + time / 100 % 100 * 60 + time % 100; }
int TimeAfter(int time, int seconds) {
  const int s = (SecondsOf(time) + seconds) % 86400;
  return s / 3600 * 10000 + s / 60 % 60 * 100 + s % 60;
}

// The trading day (Monday to Friday) after `date`.
int NextTradingDay(int date) {
  do {
    const int year = date / 10000;
    const int month = date / 100 % 100;
    const int day = date % 100;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int length = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    if (day < length) {
      ++date;
    } else if (month < 12) {
      date = year * 10000 + (month + 1) * 100 + 1;
    } else {
      date = (year + 1) * 10000 + 101;
    }
  } while ((kwire::DaysFromEpoch(date) + 4) % 7 == 0 || (kwire::DaysFromEpoch(date) + 4) % 7 == 6);
  return date;
}

int64_t Pow10(int n) {
  int64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

Security Listed(const char* code, const MessageBuilder& wire, Market market, int factor,
                int64_t price) {
  return {code, wire.Bytes(), market, factor, price};
}

const char* NameOf(const Security& security) {
  static const std::map<std::string, const char*> kNames = {
      {"600000.SH", "Sample Bank"},     {"000001.SZ", "Sample Energy"},
      {"000001.SH", "Composite Index"}, {"510050.SH", "Fifty ETF"},
      {"0700.HK", "Sample Tech"},       {"IF2406.CFE", "Index Future Jun"},
      {"CU3M.LME", "Copper 3M"},        {"AU9999.SGE", "Gold 99.99"},
      {"USDCNY.FX", "USD/CNY"},         {"000001.OF", "Sample Fund"},
  };
  const auto found = kNames.find(security.code);
  return found != kNames.end() ? found->second : "";
}

// Volume and amount as quote messages carry them: futures send the volume
// in hundredths and the amount in tenths; gold sends hundredths of the
// volume and tenths of the amount.
int64_t WireVolume(const Security& security, int64_t volume) {
  const bool hundredths = security.market == Market::kFutures || security.market == Market::kGold;
  return hundredths ? volume * 100 : volume;
}
int64_t WireAmount(const Security& security, int64_t amount) {
  if (security.market == Market::kFutures) return amount * 10;
  if (security.market == Market::kGold) return amount / 10;
  return amount;
}

// Volume and amount as day K-lines carry them: most markets send the volume
// in lots of a hundred and the amount in thousands; Hong Kong and futures
// send the volume whole and the amount in ten-thousands; gold sends
// thousandths of the volume.
void DayBarVolumes(const Security& security, int64_t volume, int64_t amount, Bar* bar) {
  switch (security.market) {
    case Market::kHongKong:
    case Market::kFutures:
    case Market::kOverseaFutures:
      bar->volume = volume;
      bar->amount = amount / 10000;
      break;
    case Market::kGold:
      bar->volume = volume * 1000;
      bar->amount = amount / 1000;
      break;
    default:
      bar->volume = volume / 100;
      bar->amount = amount / 1000;
      break;
  }
}

}  // namespace

uint64_t Random::Next() {
  uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

int64_t Random::Between(int64_t low, int64_t high) {
  if (high <= low) return low;
  return low + static_cast<int64_t>(Next() % static_cast<uint64_t>(high - low + 1));
}

const std::vector<Security>& Universe() {
  static const std::vector<Security> kUniverse = {
      Listed("600000.SH", MessageBuilder().Code(60, 0), Market::kShare, 2, 1025),
      Listed("000001.SZ", MessageBuilder().Code(30, 1), Market::kShare, 2, 1130),
      Listed("000001.SH", MessageBuilder().Code(3, 1), Market::kIndex, 2, 305012),
      Listed("510050.SH", MessageBuilder().Code(51, 50), Market::kEtf, 3, 2456),
      Listed("0700.HK", MessageBuilder().Code(77, 0), Market::kHongKong, 3, 350200),
      Listed("IF2406.CFE", MessageBuilder().TextCode("IF2406.CFE"), Market::kFutures, 2, 352040),
      Listed("CU3M.LME", MessageBuilder().TextCode("CU3M.LME"), Market::kOverseaFutures, 3,
             9450000),
      Listed("AU9999.SGE", MessageBuilder().TextCode("AU9999.SGE"), Market::kGold, 2, 48530),
      Listed("USDCNY.FX", MessageBuilder().ListedCode(21, "USDCNY"), Market::kFx, 4, 72105),
      Listed("000001.OF", MessageBuilder().Code(29, 1), Market::kOpenFund, 4, 12345),
  };
  return kUniverse;
}

const Security* FindByWire(const Bytes& wire) {
  for (const Security& security : Universe()) {
    if (security.wire == wire) return &security;
  }
  return nullptr;
}

const Security* FindByCode(const std::string& code) {
  for (const Security& security : Universe()) {
    if (security.code == code) return &security;
  }
  return nullptr;
}

Session::Session(uint64_t seed) : random_(seed) {}

int64_t Session::Walk(const Security& security) {
  const auto found = last_.find(security.code);
  const int64_t last = found != last_.end() ? found->second : security.price;
  const int64_t step = std::max<int64_t>(1, last / 400);
  const int64_t next = std::max<int64_t>(1, last + random_.Between(-step, step));
  last_[security.code] = next;
  return next;
}

Block Session::QuoteBlock(const Security& security) {
  const int64_t open = security.price;
  const int64_t price = Walk(security);
  const int64_t volume = random_.Between(100, 20000) * 100;
  const int64_t amount = volume * price / Pow10(security.factor);
  Block block{&security, {}};
  block.entries = {
      Plain(2, clock_),
      Plain(3, price),
      Plain(4, open),
      Plain(5, open),
      Plain(6, std::max(open, price) + random_.Between(0, open / 200)),
      Plain(7, std::min(open, price) - random_.Between(0, open / 200)),
      Plain(8, WireVolume(security, volume)),
      Plain(59, WireAmount(security, amount)),
  };
  return block;
}

Columns Session::Level2Deals(const Security& security, int count) {
  Columns columns(5);  // 330 deal number, 102 time, 331 order, 332 price, 333 volume
  const int64_t toThree = Pow10(3 - std::min(security.factor, 3));
  for (int i = 0; i < count; ++i) {
    columns[0].push_back(1000 + i);
    columns[1].push_back(TimeAfter(clock_, i * 3));
    columns[2].push_back(50000 + i * 7);
    columns[3].push_back(Walk(security) * toThree);
    columns[4].push_back(random_.Between(1, 20) * 100);
  }
  return columns;
}

Columns Session::Level2Reverts(const Security& security, int count) {
  // 342 deal number, 334 time, 332 price, 333 volume, then the buy and sell
  // order numbers, their channels, and the trade kind.
  Columns columns(10);
  const int64_t toThree = Pow10(3 - std::min(security.factor, 3));
  for (int i = 0; i < count; ++i) {
    columns[0].push_back(2000 + i);
    columns[1].push_back(TimeAfter(clock_, i * 5));
    columns[2].push_back(Walk(security) * toThree);
    columns[3].push_back(random_.Between(1, 10) * 100);
    columns[4].push_back(60000 + i * 3);
    columns[5].push_back(70000 + i * 3);
    columns[6].push_back(1);
    columns[7].push_back(1);
    columns[8].push_back(i);
    columns[9].push_back(random_.Between(0, 1));
  }
  return columns;
}

Columns Session::Level2Orders(const Security& security, int count) {
  Columns columns(6);  // 331 order, 330 sequence, 332 price, 333 volume, 102 time, 345 side
  const int64_t toThree = Pow10(3 - std::min(security.factor, 3));
  for (int i = 0; i < count; ++i) {
    columns[0].push_back(80000 + i * 2);
    columns[1].push_back(3000 + i);
    columns[2].push_back(Walk(security) * toThree);
    columns[3].push_back(random_.Between(1, 50) * 100);
    columns[4].push_back(TimeAfter(clock_, i * 2));
    columns[5].push_back(random_.Between(0, 1));
  }
  return columns;
}

OrderQueue Session::Queue(const Security& security, uint32_t side, uint32_t image) {
  const int64_t toThree = Pow10(3 - std::min(security.factor, 3));
  const auto top =
      static_cast<uint32_t>(last_.count(security.code) ? last_[security.code] : security.price) *
      static_cast<uint32_t>(toThree);
  OrderQueue queue{static_cast<uint32_t>(clock_), side, image, {}};
  for (uint32_t level = 0; level < 3; ++level) {
    QueueLevel one{1, side == 1 ? top - level * 10 : top + (level + 1) * 10, 0, {}};
    const int64_t orders = random_.Between(2, 5);
    for (int64_t k = 0; k < orders; ++k) {
      one.volumes.push_back(static_cast<uint32_t>(random_.Between(1, 30) * 100));
    }
    one.orders = static_cast<uint32_t>(orders);
    queue.levels.push_back(one);
  }
  return queue;
}

Bytes Session::Level2Quote(const Security& security) {
  MessageBuilder deals;
  deals.Raw(Level2Series(Level2Deals(security, 8))).UInt(8).Int(64000);
  MessageBuilder reverts;
  reverts.Raw(Level2Series(Level2Reverts(security, 4))).UInt(4);
  MessageBuilder orders;
  orders.Raw(Level2Series(Level2Orders(security, 6))).UInt(6);
  const int64_t price = last_[security.code];
  const MarketEvent event{{1, kSessionDate, static_cast<uint32_t>(clock_), 2},
                          security.code,
                          {{3, price}, {8, 500000}},
                          "rapid rise"};
  // Cash dividend of 1.50 per ten shares on 2023-07-07, days counted from
  // 1990-01-01; the comment's markers expand to the dividend's wording.
  const auto days =
      static_cast<uint32_t>(kwire::DaysFromEpoch(20230707) - kwire::DaysFromEpoch(19900101));
  const Block block{
      &security,
      {Plain(2, clock_), Plain(3, price), Written(90, deals.Bytes()), Written(89, reverts.Bytes()),
       Written(93, orders.Bytes()), Written(91, OrderQueueValue(Queue(security, 1, 1))),
       Written(155, MarketEvents({event})),
       Written(150, CorporateActions({{days, 150000, "!1.5Y"}}))}};
  return QuoteUpdate({block});
}

std::vector<Bar> Session::DayBars(const Security& security, int count) {
  std::vector<Bar> bars;
  int date = 20240215;
  int64_t close = security.price;
  for (int i = 0; i < count; ++i) {
    date = NextTradingDay(date);
    const int64_t open = close;
    close = Walk(security);
    const int64_t high = std::max(open, close) + random_.Between(0, open / 100);
    const int64_t low = std::min(open, close) - random_.Between(0, open / 100);
    const int64_t volume = random_.Between(1000, 90000) * 100;
    Bar bar{date, 0, {low, high, close, open}, 0, 0, 120000 + random_.Between(-5000, 5000)};
    DayBarVolumes(security, volume, volume * close / Pow10(security.factor), &bar);
    bars.push_back(bar);
  }
  return bars;
}

std::vector<Bar> Session::MinuteBars(const Security& security, int count, int minutes) {
  std::vector<Bar> bars;
  int64_t close = security.price;
  for (int i = 0; i < count; ++i) {
    const int64_t open = close;
    close = Walk(security);
    const int64_t volume = random_.Between(10, 900) * 100;
    bars.push_back(
        {kSessionDate,
         TimeAfter(93000, (i + 1) * minutes * 60),
         {std::min(open, close) - random_.Between(0, 3), std::max(open, close) + 2, close, open},
         volume,
         volume * close / Pow10(security.factor),
         120000 + i});
  }
  return bars;
}

std::vector<Minute> Session::Minutes(const Security& security, int count) {
  std::vector<Minute> minutes;
  int64_t volume = 0;
  int64_t amount = 0;
  for (int i = 0; i < count; ++i) {
    const int64_t price = Walk(security);
    const int64_t traded = random_.Between(10, 500) * 100;
    volume += traded;
    amount += traded * price;
    minutes.push_back({kSessionDate, TimeAfter(93000, i * 60), price, traded,
                       amount * 10 / std::max<int64_t>(volume, 1), traded * price / 100});
  }
  return minutes;
}

std::vector<Deal> Session::Deals(const Security& security, int count) {
  std::vector<Deal> deals;
  for (int i = 0; i < count; ++i) {
    const int64_t price = Walk(security);
    const int64_t volume = random_.Between(1, 40) * 100;
    deals.push_back({kSessionDate, TimeAfter(clock_, i * 3), price, volume, volume * price / 100,
                     static_cast<int>(random_.Between(0, 1)), 120000 + i});
  }
  return deals;
}

std::vector<Message> Session::History() {
  const Security& share = *FindByCode("600000.SH");
  std::vector<Message> out;
  out.push_back(
      Of(MessageType::DayKLine, kwire::Compressed(DayKLine(share, 0x11, DayBars(share, 20)))));
  for (const char* code : {"0700.HK", "IF2406.CFE", "AU9999.SGE", "000001.OF"}) {
    const Security& security = *FindByCode(code);
    out.push_back(Of(MessageType::DayKLine, DayKLine(security, 0x11, DayBars(security, 6))));
  }
  out.push_back(Of(MessageType::MinuteKLine, MinuteKLine(share, 0, MinuteBars(share, 12, 1))));
  const Security& future = *FindByCode("IF2406.CFE");
  out.push_back(Of(MessageType::MinuteKLine, MinuteKLine(future, 2, MinuteBars(future, 6, 5))));
  out.push_back(Of(MessageType::Level2TransactionsHistory,
                   Level2History(share, 1, Level2Deals(share, 10), 10, 90000)));
  out.push_back(Of(MessageType::Level2TransactionsHistory,
                   Level2History(share, 2, Level2Reverts(share, 5), 0, 0)));
  for (const char* code : {"600000.SH", "0700.HK", "IF2406.CFE", "000001.SH", "AU9999.SGE"}) {
    const Security& security = *FindByCode(code);
    out.push_back(Of(MessageType::FormalizedTrend,
                     FormalizedTrend(security, Minutes(security, 10), Deals(security, 6))));
  }
  for (const char* code : {"600000.SH", "USDCNY.FX"}) {
    const Security& security = *FindByCode(code);
    out.push_back(Of(MessageType::FormalizedDeal, FormalizedDeal(security, Deals(security, 5))));
  }
  out.push_back(Of(MessageType::HisTrend,
                   HisTrend(share, {QuoteBlock(share)}, DayKLine(share, 0x11, DayBars(share, 4)))));
  std::vector<QeSeries> series = {
      {1, 2, 0, {20240311, 20240312, 20240313, 20240314, 20240315}, {}},
      {3, 0, 2, {1021, 1024, 1019, 1030, 1025}, {}},
      {131, 4, 0, {}, {"flat", "up", "down", "up", "flat"}},
  };
  out.push_back(
      Of(MessageType::QEDataPlus, QeData(share, 3, 0, series, {{3, 2, 1025}, {8, 0, 1250000}})));
  out.push_back(
      Of(MessageType::QEDataPlus, QeQueues(share, {Queue(share, 1, 1), Queue(share, 2, 1)})));
  return out;
}

std::vector<Message> Session::Rankings() {
  const auto& all = Universe();
  std::vector<ChartSector> sectors;
  for (const uint32_t indicator : {59u, 81u, 82u, 187u, 188u, 189u, 190u, 3u, 8u}) {
    ChartSector sector{indicator, {}};
    for (size_t k = 0; k < 3; ++k) {
      const Security& security = all[(indicator + k) % 4];
      const int64_t price = Walk(security);
      sector.entries.push_back({&security, price, security.price, random_.Between(100, 99999)});
    }
    sectors.push_back(sector);
  }
  std::vector<std::pair<const Security*, std::string>> ranked;
  for (size_t k = 0; k < 5; ++k) {
    ranked.push_back({&all[k], std::to_string(10 - k) + "." + std::to_string(k * 7 % 10) + "%"});
  }
  return {Of(MessageType::SectorCharts, SectorCharts(1, "Gainers", sectors)),
          Of(MessageType::SectorQuotesOrder, SectorQuotesOrder(2, {&all[0], &all[1], &all[3]})),
          Of(MessageType::PagedRankingList, PagedRanking(3, 40, 1, ranked))};
}

std::vector<Message> Session::Capture() {
  std::vector<Message> out;
  out.push_back(Of(MessageType::Login, LoginReplyTo("demo")));
  std::vector<const Security*> everything;
  for (const Security& security : Universe()) everything.push_back(&security);
  out.push_back(Of(MessageType::ServerSubInfo, WatchListOf(everything)));
  out.push_back(Of(MessageType::StatusTest, StatusReply(1, -2, 1700000000000LL, 4, 5, 6)));
  out.push_back(Of(MessageType::RawData, RawData({'r', 'e', 'a', 'd', 'y'})));
  out.push_back(Of(MessageType::QuoteUpdate, QuotePush(everything)));

  const Security& share = *FindByCode("600000.SH");
  const Security& hk = *FindByCode("0700.HK");
  out.push_back(Of(MessageType::QuoteUpdate, Level2Quote(share)));
  Block hkBlock = QuoteBlock(hk);
  hkBlock.entries.push_back(Written(57, CountedList({1002, 1015, 2210})));
  hkBlock.entries.push_back(Written(58, CountedList({3301, 3302})));
  out.push_back(Of(MessageType::QuoteUpdate, QuoteUpdate({hkBlock})));

  const std::vector<uint32_t> maskedIds = {2, 3, 4, 8, 59, 131};
  for (const MessageType type : {MessageType::MaskedIndicators, MessageType::MaskedData}) {
    std::vector<Block> blocks;
    for (const char* code : {"600000.SH", "000001.SZ", "0700.HK"}) {
      Block block = QuoteBlock(*FindByCode(code));
      block.entries.push_back(Text(131, NameOf(*block.security)));
      blocks.push_back(block);
    }
    blocks[1].entries.resize(3);  // the second security has news of 2, 3 and 4 only
    out.push_back(Of(type, Masked(type, maskedIds, blocks)));
  }
  std::vector<Block> simple;
  for (const char* code : {"000001.SH", "510050.SH"}) {
    const Security& security = *FindByCode(code);
    simple.push_back({&security, {Plain(3, Walk(security)), Text(131, NameOf(security))}});
  }
  out.push_back(Of(MessageType::SimpleIndicators, SimpleIndicators(simple)));

  for (Message& message : History()) out.push_back(std::move(message));
  for (Message& message : Rankings()) out.push_back(std::move(message));
  for (int round = 0; round < 3; ++round)
    out.push_back(Of(MessageType::QuoteUpdate, QuotePush(everything)));
  out.push_back(Of(MessageType::HeartBeat, Heartbeat()));
  return out;
}

Bytes Session::LoginReplyTo(const std::string& user) {
  return LoginReply({user, 1, 200, "kestrel-sim", "127.0.0.1"});
}

Bytes Session::WatchListOf(const std::vector<const Security*>& securities) {
  std::vector<std::pair<const Security*, std::vector<uint32_t>>> items;
  for (const Security* security : securities) items.push_back({security, {2, 3, 8, 59}});
  return WatchList(items);
}

Bytes Session::QuotePush(const std::vector<const Security*>& securities,
                         const std::vector<std::vector<uint32_t>>& wanted) {
  std::vector<Block> blocks;
  for (size_t i = 0; i < securities.size(); ++i) {
    Block block = QuoteBlock(*securities[i]);
    if (i < wanted.size() && !wanted[i].empty()) {
      const std::vector<uint32_t>& ids = wanted[i];
      block.entries.erase(std::remove_if(block.entries.begin(), block.entries.end(),
                                         [&](const Entry& entry) {
                                           return std::find(ids.begin(), ids.end(), entry.id) ==
                                                  ids.end();
                                         }),
                          block.entries.end());
    }
    blocks.push_back(block);
  }
  clock_ = TimeAfter(clock_, 60);
  const Bytes message = QuoteUpdate(blocks);
  return pushes_++ % 2 == 0 ? kwire::Compressed(message) : message;
}

}  // namespace ksim

// Column codecs of history series and the calendar arithmetic behind them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <thread>
#include <tuple>
#include <vector>

#include "KestrelUtils.h"
#include "codec/DecodeCode.h"
#include "decode/series/Calendar.h"
#include "decode/series/ColumnLayout.h"
#include "support/Cursor.h"
#include "support/KestrelCodeAccess.h"
#include "support/LocalZone.h"
#include "support/MessageBuilder.h"
#include "wire/Columns.h"

namespace {

using Access = KestrelCodeAccess;
using kt::Bytes;
using kt::MessageBuilder;

// A cursor over its own exact-size copy of the bytes.
using Wire = kt::Cursor;

// A column of n elements of T, and its CIndexValue.
template <typename T>
struct Column {
  explicit Column(size_t n, T fill = T()) : rows(n, fill) {
    if constexpr (std::is_same_v<T, int>) value.pnValue = rows.data();
    if constexpr (std::is_same_v<T, double>) value.pdValue = rows.data();
    if constexpr (std::is_same_v<T, int64_t>) value.pllValue = rows.data();
  }
  std::vector<T> rows;
  CIndexValue value{};
};

// The n rows a one-column codec decodes from bytes, called as
// decode(column, n, args..., cursor) on rows that hold 99 before.
template <typename T, typename Decode, typename... Args>
std::vector<T> Rows(const Bytes& bytes, int n, Decode decode, Args... args) {
  Wire wire(bytes);
  Column<T> column(static_cast<size_t>(n), T(99));
  decode(&column.value, n, args..., wire.code);
  return column.rows;
}

TEST(Calendar, DateArithmetic) {
  const std::tuple<int, int32_t, int> rows[] = {
      // date, days, expected
      {20231229, 3, 20240101},
      {20240228, 1, 20240229},
      {21000228, 1, 21000301},
      {20000228, 1, 20000229},
      {20240301, -1, 20240229},
      {20240101, -1, 20231231},
      {20241301, 1, 0},
      {0, 5, 0},
      {10101, -1, -1},
      {20240131, 366, 20250131},
      {20240115, 0, 20240115},
      {20240132, 0, 20240201},
      // gaps of millions of days land where a day-by-day walk would
      {20000101, 146097 * 10, 60000101},
      {20000101, -146097 * 3, 8000101},
      {20000101, INT32_MIN, -1},
  };
  for (const auto& [date, days, expected] : rows) {
    EXPECT_EQ(kestrel::AddDaysToDate(date, days), expected) << date << " + " << days;
  }
  kestrel::DateParts parts;
  EXPECT_FALSE(kestrel::SplitDate(20241301, &parts));
  EXPECT_EQ(parts.year, 0);
  EXPECT_TRUE(kestrel::SplitDate(20240232, &parts));  // day 32 still splits
  EXPECT_EQ(kestrel::DaysInMonth(1900, 2), 28);
  EXPECT_EQ(kestrel::DaysInMonth(2000, 2), 29);
  EXPECT_EQ(kestrel::DaysInMonth(0, 1), 0);
  EXPECT_EQ(kestrel::NormalizeDate(2024, 13, 1), 0);
  // The in-month shortcut must not overflow on the largest gap.
  EXPECT_EQ(kestrel::AddDaysToDate(20240115, INT32_MAX),
            kestrel::NormalizeDate(2024, 1, int64_t{15} + INT32_MAX));
}

TEST(Calendar, NormalizeMatchesADayByDayWalk) {
  // Independent reference: step one day at a time.
  auto walk = [](int year, int month, int day, int steps) {
    for (int i = 0; i < steps; ++i) {
      if (++day > kestrel::DaysInMonth(year, month)) {
        day = 1;
        if (++month > 12) month = 1, ++year;
      }
    }
    return year * 10000 + month * 100 + day;
  };
  for (const int steps : {0, 1, 27, 28, 29, 365, 366, 1000, 40000, 146097, 146098, 300000}) {
    EXPECT_EQ(kestrel::AddDaysToDate(19991231, steps), walk(1999, 12, 31, steps)) << steps;
  }
}

TEST(ColumnCodecs, DatesAndIntegers) {
  using V = std::vector<int>;
  using V64 = std::vector<int64_t>;
  EXPECT_EQ(Access::QeDateToHQDate(38127), 20230715);
  EXPECT_EQ(Access::QeDateToHQDate(0), 19490000);                           // no range check
  EXPECT_EQ(Access::QeDateToHQDate((int64_t{1} << 40) | 38127), 20230715);  // high bits ignored
  // A QE date and deltas: 2023-07-15, +1 day, +32 (one month).
  EXPECT_EQ(Rows<int>(MessageBuilder().Int(38127).Int(1).Int(32).Bytes(), 3,
                      Access::DecodeDayKLine_Int_6_Method_Date),
            (V{20230715, 20230716, 20230816}));
  // A date and day gaps; an invalid first date makes every row 0.
  EXPECT_EQ(Rows<int>(MessageBuilder().UInt(20231229).UInt(3).UInt(59).Bytes(), 3,
                      Access::DecodeDayKLine_Int_1_Method_Date),
            (V{20231229, 20240101, 20240229}));
  EXPECT_EQ(Rows<int>(MessageBuilder().UInt(0).UInt(1).UInt(1).Bytes(), 3,
                      Access::DecodeDayKLine_Int_1_Method_Date),
            (V{0, 0, 0}));
  // Unsigned deltas wrap modulo 2^32; signed deltas keep their low 32 bits.
  EXPECT_EQ(Rows<int>(MessageBuilder().UInt(0xFFFFFFFE).UInt(3).UInt(1).Bytes(), 3,
                      Access::DecodeDayKLine_Int_2_Method),
            (V{-2, 1, 2}));
  EXPECT_EQ(Rows<int>(MessageBuilder().UInt(100).Int(-150).Int((int64_t{1} << 32) + 7).Bytes(), 3,
                      Access::DecodeDayKLine_Int_7_Method),
            (V{100, -50, -43}));
  EXPECT_EQ(Rows<int64_t>(MessageBuilder().Int(-5).Int(1LL << 40).Bytes(), 2,
                          Access::DecodeDayKLine_Int64_2_Method),
            (V64{-5, 1LL << 40}));
  // The running value stays unscaled: -150/100 = -1, then -140/100 = -1.
  EXPECT_EQ(Rows<int64_t>(MessageBuilder().Int(-150).Int(10).Int(300).Bytes(), 3,
                          Access::DecodeDayKLine_Int64_1_Method, 1, 100),
            (V64{-1, -1, 1}));
  EXPECT_EQ(Rows<int64_t>(MessageBuilder().UInt(4294967295u).Int(-1).Bytes(), 2,
                          Access::DecodeDayKLine_Int64_3_Method, 100, 1000),
            (V64{429496729500LL, 4294967294000LL}));
  {  // plain values; nothing read for a count of 0
    Wire wire(MessageBuilder().UInt(5).UInt(6).Bytes());
    Column<int> c(2);
    Access::DecodeDayKLine_Int_5_Method(&c.value, 0, wire.code);
    EXPECT_EQ(wire.code.Position(), 0);
    Access::DecodeDayKLine_Int_5_Method(&c.value, 2, wire.code);
    EXPECT_EQ(c.rows, (V{5, 6}));
  }
}

// The four-price example and the signed and widened first values of column
// 74 are checked through the K-line messages.
TEST(ColumnCodecs, PriceColumns) {
  {  // count 0: the base alone is read
    Wire wire(MessageBuilder().UInt(1000).UInt(7).Bytes());
    Column<double> c(1, -1.0);
    Access::DecodeDayKLine_Double_1_Method(&c.value, &c.value, &c.value, &c.value, 0, 2, wire.code);
    EXPECT_EQ(wire.code.Position(), 2);
    EXPECT_EQ(c.rows[0], -1.0);
  }
  const std::vector<double> rows = Rows<double>(MessageBuilder().Int(-12345).Int(45).Bytes(), 2,
                                                Access::DecodeDayKLine_Double_3_Method, 2);
  EXPECT_DOUBLE_EQ(rows[0], -123.45);
  EXPECT_DOUBLE_EQ(rows[1], -123.0);
}

// A layout whose codec writes another element type than the catalogue gives
// its column's id reads nothing.
TEST(ColumnCodecs, LayoutRefusesACodecOfAnotherType) {
  constexpr kestrel::ColumnSpec kWrong[] = {{kestrel::ColumnCodec::kDoubleU32, {102}}};
  Wire wire(MessageBuilder().UInt(1).Bytes());
  CKestrelHisData record;
  EXPECT_EQ(Access::DecodeColumnLayout(&record, kWrong, 1, 2, wire.code), 0);
  EXPECT_EQ(wire.code.Position(), 0);
}

TEST(ColumnCodecs, BuySellFlags) {
  Wire wire(MessageBuilder().Raw({0xA0, 0x40, 0xFF}).Bytes());
  Column<int> c(10);
  Access::DecodeDayKLine_56_Index(&c.value, 10, wire.code);
  EXPECT_EQ(c.rows, (std::vector<int>{0, 1, 0, 1, 1, 1, 1, 1, 1, 0}));
  EXPECT_EQ(wire.code.Position(), 2);
}

// The time zone of the tests: a fixed zone east of UTC, so the local-time
// conversions are not the identity; the host's zone is restored afterwards.
using kt::LocalZone;

TEST_F(LocalZone, DateAndTimeFromOneInstant) {
  Wire wire(MessageBuilder().UInt(19650101).UInt(0).UInt(86400).UInt(3661).Bytes());
  Column<int> dates(3), times(3);
  Access::DecodeDayKLine_Int_3_Method_Date_And_Time(&dates.value, &times.value, 3, wire.code);
  EXPECT_EQ(dates.rows, (std::vector<int>{19650101, 19650102, 19650102}));
  EXPECT_EQ(times.rows, (std::vector<int>{0, 0, 10101}));
}

TEST_F(LocalZone, TimesOfDayContinuePastMidnight) {
  EXPECT_EQ(Rows<int>(MessageBuilder().UInt(235959).Int(2).Int(60).Bytes(), 3,
                      Access::DecodeDayKLine_Int_4_Method_Time),
            (std::vector<int>{235959, 1, 101}));
}

TEST_F(LocalZone, TimeCodecsAgreeAcrossThreads) {
  // A minute series of a trading day, decoded on two threads at once.
  MessageBuilder builder;
  builder.UInt(93000);
  for (int i = 1; i < 2000; ++i) builder.Int(60);
  const Bytes bytes = builder.Bytes();
  auto decode = [&bytes] {
    return Rows<int>(bytes, 2000, Access::DecodeDayKLine_Int_4_Method_Time);
  };
  const std::vector<int> expected = decode();
  EXPECT_EQ(expected[30], 100000);
  std::vector<int> a, b;
  for (int round = 0; round < 5; ++round) {
    std::thread first([&] { a = decode(); });
    std::thread second([&] { b = decode(); });
    first.join();
    second.join();
    EXPECT_EQ(a, expected);
    EXPECT_EQ(b, expected);
  }
}

// The message writer's columns (the simulator and the fuzz corpus write with
// them) read back through the codecs exactly as written.
TEST_F(LocalZone, WrittenColumnsReadBackAsWritten) {
  const auto read = [](auto write, auto decode, size_t n, auto fill) {
    MessageBuilder out;
    write(out);
    Wire wire(out.Bytes());
    Column<decltype(fill)> column(n, fill);
    decode(column, static_cast<int>(n), wire.code);
    EXPECT_EQ(static_cast<size_t>(wire.code.Position()), out.Bytes().size());
    return column.rows;
  };
  const std::vector<int> dates = {20231229, 20240102, 20240229, 20240301, 20250101};
  EXPECT_EQ(read([&](MessageBuilder& b) { kwire::DateColumn(b, dates); },
                 [](auto& c, int n, CDecodeCode& w) {
                   Access::DecodeDayKLine_Int_1_Method_Date(&c.value, n, w);
                 },
                 5, 0),
            dates);
  const std::vector<int> times = {93000, 93001, 112959, 130000, 150000};
  EXPECT_EQ(read([&](MessageBuilder& b) { kwire::TimeColumn(b, times); },
                 [](auto& c, int n, CDecodeCode& w) {
                   Access::DecodeDayKLine_Int_4_Method_Time(&c.value, n, w);
                 },
                 5, 0),
            times);
  const std::vector<int> flags = {0, 1, 1, 0, 1, 1, 1, 1, 0};
  EXPECT_EQ(
      read([&](MessageBuilder& b) { kwire::FlagColumn(b, flags); },
           [](auto& c, int n, CDecodeCode& w) { Access::DecodeDayKLine_56_Index(&c.value, n, w); },
           9, 0),
      flags);
  const std::vector<int64_t> running = {100, 50, 4000000000LL, 7};
  EXPECT_EQ(read(
                [&](MessageBuilder& b) {
                  kwire::DeltaColumn(b, running, kwire::Form::kUnsigned, kwire::Form::kSigned);
                },
                [](auto& c, int n, CDecodeCode& w) {
                  Access::DecodeDayKLine_Int64_3_Method(&c.value, n, 1, 1, w);
                },
                4, int64_t{0}),
            running);
  const std::vector<int64_t> qeDates = {kwire::PackedQeDate(20230715),
                                        kwire::PackedQeDate(20240229)};
  EXPECT_EQ(read(
                [&](MessageBuilder& b) {
                  kwire::DeltaColumn(b, qeDates, kwire::Form::kSigned, kwire::Form::kSigned);
                },
                [](auto& c, int n, CDecodeCode& w) {
                  Access::DecodeDayKLine_Int_6_Method_Date(&c.value, n, w);
                },
                2, 0),
            (std::vector<int>{20230715, 20240229}));

  // Date and time from one instant, across midnight.
  MessageBuilder instants;
  kwire::DateTimeColumns(instants, {20240101, 20240101, 20240102}, {235930, 235959, 30});
  Wire wire(instants.Bytes());
  Column<int> days(3), clock(3);
  Access::DecodeDayKLine_Int_3_Method_Date_And_Time(&days.value, &clock.value, 3, wire.code);
  EXPECT_EQ(days.rows, (std::vector<int>{20240101, 20240101, 20240102}));
  EXPECT_EQ(clock.rows, (std::vector<int>{235930, 235959, 30}));

  // Four prices on one base, the lowest first.
  MessageBuilder prices;
  kwire::PriceColumns(prices, {{1000, 1010, 1005, 1002}, {990, 1000, 995, 999}});
  Wire priceWire(prices.Bytes());
  Column<double> low(2), high(2), close(2), open(2);
  Access::DecodeDayKLine_Double_1_Method(&low.value, &high.value, &close.value, &open.value, 2, 2,
                                         priceWire.code);
  EXPECT_EQ(low.rows, (std::vector<double>{10.0, 9.9}));
  EXPECT_EQ(high.rows, (std::vector<double>{10.1, 10.0}));
  EXPECT_EQ(close.rows, (std::vector<double>{10.05, 9.95}));
  EXPECT_EQ(open.rows, (std::vector<double>{10.02, 9.99}));
}

}  // namespace

namespace {

// The cache of local days converts exactly as the C library does, across
// changes to and from daylight saving time, in a zone that has them.
TEST_F(LocalZone, CachedLocalTimesMatchTheLibraryAcrossDaylightSaving) {
  setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
  tzset();
  kestrel::LocalTimeCache cache;
  const int64_t start = 1704067200;  // 2024-01-01 00:00:00 UTC
  for (int64_t t = start; t < start + 366 * 86400; t += 7 * 60 + 13) {
    kestrel::LocalTime cached;
    kestrel::LocalTime direct;
    ASSERT_TRUE(cache.Convert(t, &cached));
    ASSERT_TRUE(kestrel::ToLocalTime(t, &direct));
    ASSERT_EQ(std::tie(cached.yearsSince1900, cached.monthIndex, cached.day, cached.hour,
                       cached.minute, cached.second),
              std::tie(direct.yearsSince1900, direct.monthIndex, direct.day, direct.hour,
                       direct.minute, direct.second))
        << t;
  }
}

}  // namespace

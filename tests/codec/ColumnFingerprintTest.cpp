// Fingerprints of everything the column codecs produce, so that work on
// their speed can prove every value unchanged, bit for bit.
//
// Each codec runs over generated streams of stop-bit fields of every width
// (runs of one width, mixed widths, fields without a stop byte, plain noise,
// plausible dates and times), with many row counts and parameters, whole and
// cut short at many lengths. Every row written (the bits of each value), the
// rows left alone, the cursor's position and its exhausted flag go into one
// hash per time zone. The generators use only the raw output of mt19937, so
// the streams are the same with every standard library.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "KestrelUtils.h"
#include "codec/DecodeCode.h"
#include "decode/series/Calendar.h"
#include "decode/series/WideDivision.h"
#include "support/Cursor.h"
#include "support/Decoded.h"
#include "support/Fingerprint.h"
#include "support/KestrelCodeAccess.h"
#include "support/MessageBuilder.h"

namespace {

using Access = KestrelCodeAccess;
using kt::Bytes;

// Stop-bit fields of random bytes; `width` bytes each, the last carrying the
// stop bit. A width above 7 gives bytes without one.
void Field(Bytes& out, int width, std::mt19937& random) {
  for (int k = 0; k < width; ++k) {
    auto byte = static_cast<uint8_t>(random() & 0x7f);
    if (k == width - 1 && width <= 7) byte |= 0x80;
    out.push_back(byte);
  }
}

// The kinds of stream the codecs read.
Bytes MixedWidths(std::mt19937& random, int fields, int most) {
  Bytes out;
  for (int i = 0; i < fields; ++i) Field(out, 1 + static_cast<int>(random() % most), random);
  return out;
}
Bytes WidthRuns(std::mt19937& random, int fields) {
  Bytes out;
  int width = 1;
  for (int i = 0; i < fields; ++i) {
    if (random() % 16 == 0) width = 1 + static_cast<int>(random() % 8);
    Field(out, width, random);
  }
  return out;
}
Bytes Noise(std::mt19937& random, int bytes) {
  Bytes out;
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(random()));
  return out;
}
// A plausible date (or date and time) first, then small steps with some
// large, negative and odd ones.
Bytes Calendar(std::mt19937& random, int fields, bool withTime, uint32_t step) {
  kt::MessageBuilder b;
  const uint32_t year = 1900 + random() % 200;
  b.UInt(year * 10000 + (1 + random() % 12) * 100 + 1 + random() % 31);
  if (withTime) b.UInt((random() % 24) * 10000 + (random() % 60) * 100 + random() % 60);
  for (int i = 0; i < fields; ++i) {
    const uint32_t pick = random() % 64;
    if (pick == 0) {
      b.UInt(random());  // anything, negative as a 32-bit delta too
    } else if (pick == 1) {
      b.Int(-static_cast<int64_t>(random() % 200000));
    } else if (pick == 2) {
      b.UInt(86400 * (1 + random() % 400));
    } else {
      b.UInt(step);
    }
  }
  return b.Bytes();
}

// One codec's call over the outputs, with a set of its parameters.
struct Outputs {
  explicit Outputs(int rows) {
    const auto n = static_cast<size_t>(rows < 1 ? 1 : rows);
    for (auto& v : ints) v.assign(n, 0x5a5a5a5a);
    for (auto& v : doubles) v.assign(n, -7.25);
    longs.assign(n, 0x1234567890abcdefLL);
    for (int k = 0; k < 4; ++k) {
      values[k].pdValue = doubles[k].data();
      intValues[k].pnValue = ints[k % 2].data();
    }
    longValue.pllValue = longs.data();
  }
  void AddTo(kt::Fingerprint& f) const {
    for (const auto& v : ints) f.Bytes(v.data(), v.size() * sizeof v[0]);
    for (const auto& v : doubles) f.Bytes(v.data(), v.size() * sizeof v[0]);
    f.Bytes(longs.data(), longs.size() * sizeof longs[0]);
  }
  std::vector<int> ints[2];
  std::vector<double> doubles[4];
  std::vector<int64_t> longs;
  CIndexValue values[4]{};
  CIndexValue intValues[4]{};
  CIndexValue longValue{};
};

using Codec = std::function<void(Outputs&, int rows, int a, int b, CDecodeCode&)>;

struct NamedCodec {
  const char* name;
  Codec run;
  bool calendar;  // fed calendar streams too
  bool withTime;
};

const std::vector<NamedCodec>& Codecs() {
  static const std::vector<NamedCodec> codecs = {
      {"date", [](Outputs& o, int n, int, int, CDecodeCode& c) {
         Access::DecodeDayKLine_Int_1_Method_Date(&o.intValues[0], n, c);
       }, true, false},
      {"int rising", [](Outputs& o, int n, int, int, CDecodeCode& c) {
         Access::DecodeDayKLine_Int_2_Method(&o.intValues[0], n, c);
       }, false, false},
      {"date and time", [](Outputs& o, int n, int, int, CDecodeCode& c) {
         Access::DecodeDayKLine_Int_3_Method_Date_And_Time(&o.intValues[0], &o.intValues[1], n, c);
       }, true, true},
      {"time", [](Outputs& o, int n, int, int, CDecodeCode& c) {
         Access::DecodeDayKLine_Int_4_Method_Time(&o.intValues[0], n, c);
       }, true, false},
      {"int plain", [](Outputs& o, int n, int, int, CDecodeCode& c) {
         Access::DecodeDayKLine_Int_5_Method(&o.intValues[0], n, c);
       }, false, false},
      {"qe date", [](Outputs& o, int n, int, int, CDecodeCode& c) {
         Access::DecodeDayKLine_Int_6_Method_Date(&o.intValues[0], n, c);
       }, false, false},
      {"int delta", [](Outputs& o, int n, int, int, CDecodeCode& c) {
         Access::DecodeDayKLine_Int_7_Method(&o.intValues[0], n, c);
       }, false, false},
      {"prices", [](Outputs& o, int n, int a, int, CDecodeCode& c) {
         Access::DecodeDayKLine_Double_1_Method(&o.values[0], &o.values[1], &o.values[2],
                                                &o.values[3], n, a, c);
       }, false, false},
      {"double sum", [](Outputs& o, int n, int a, int, CDecodeCode& c) {
         Access::DecodeDayKLine_Double_2_Method(&o.values[0], n, a, c);
       }, false, false},
      {"double 64", [](Outputs& o, int n, int a, int, CDecodeCode& c) {
         Access::DecodeDayKLine_Double_3_Method(&o.values[0], n, a, c);
       }, false, false},
      {"double u32", [](Outputs& o, int n, int a, int, CDecodeCode& c) {
         Access::DecodeDayKLine_Double_4_Method(&o.values[0], n, a, c);
       }, false, false},
      {"int64 scaled", [](Outputs& o, int n, int a, int b, CDecodeCode& c) {
         Access::DecodeDayKLine_Int64_1_Method(&o.longValue, n, a, b, c);
       }, false, false},
      {"int64 plain", [](Outputs& o, int n, int, int, CDecodeCode& c) {
         Access::DecodeDayKLine_Int64_2_Method(&o.longValue, n, c);
       }, false, false},
      {"int64 u32", [](Outputs& o, int n, int a, int b, CDecodeCode& c) {
         Access::DecodeDayKLine_Int64_3_Method(&o.longValue, n, a, b, c);
       }, false, false},
      {"buy sell", [](Outputs& o, int n, int, int, CDecodeCode& c) {
         Access::DecodeDayKLine_56_Index(&o.intValues[0], n, c);
       }, false, false},
  };
  return codecs;
}

// Parameter pairs: decimals for the double codecs, multiplier and divisor
// (or the two multipliers) for the 64-bit ones.
constexpr int kParameters[][2] = {{0, 1},   {1, 10},     {2, 100},  {3, 1000}, {4, 0},
                                  {5, -1},  {100, 3},    {-1, 7},   {6, -3},   {1000, 1},
                                  {100000, 2}, {12345, 1}};
constexpr int kRowCounts[] = {0, 1, 2, 3, 5, 8, 9, 16, 31, 200, 1500};

void Decode(const NamedCodec& codec, const Bytes& stream, int rows, const int* params,
            kt::Fingerprint& f) {
  kt::Cursor cursor(stream);
  Outputs out(rows);
  codec.run(out, rows, params[0], params[1], cursor.code);
  out.AddTo(f);
  f.Add(cursor.code.Position());
  f.Add(cursor.code.Exhausted());
}

// Every codec over every stream, whole and cut; the stream is cut at every
// length when short, else at a few lengths and at each of its last bytes.
// `calendar` picks the codecs that convert local times (whose values depend
// on the time zone) or the others.
uint64_t CodecFingerprint(bool calendar) {
  kt::Fingerprint f;
  std::mt19937 random(2126);
  for (const NamedCodec& codec : Codecs()) {
    if (codec.calendar != calendar) continue;
    for (int rows : kRowCounts) {
      const int fields = rows * 4 + 4;  // enough for the widest codec
      std::vector<Bytes> streams = {MixedWidths(random, fields, 2), MixedWidths(random, fields, 5),
                                    MixedWidths(random, fields, 9), WidthRuns(random, fields),
                                    Noise(random, fields * 3)};
      if (codec.calendar) {
        for (const uint32_t step : {1u, 60u, 3600u, 86399u}) {
          streams.push_back(Calendar(random, fields, codec.withTime, step));
        }
      }
      for (size_t p = 0; p < std::size(kParameters); ++p) {
        for (const Bytes& stream : streams) {
          const int* params = kParameters[p];
          Decode(codec, stream, rows, params, f);
          const size_t size = stream.size();
          const size_t step = std::max<size_t>(size / 8, 1);
          for (size_t cut = 0; cut < size; ++cut) {
            const bool near = size - cut <= 24 || size < 64;
            if (!near && cut % step != 0) continue;
            Decode(codec, Bytes(stream.begin(), stream.begin() + static_cast<long>(cut)), rows,
                   params, f);
          }
        }
        // Only the price, scaled and multiplied codecs read their parameters.
        if (std::strstr(codec.name, "double") == nullptr && std::strstr(codec.name, "64") ==
            nullptr && std::strcmp(codec.name, "prices") != 0) {
          break;
        }
      }
    }
  }
  return f.Value();
}

// Whole K-line and deal messages through the decoder, as a host gets them.
uint64_t MessageFingerprint() {
  kt::Fingerprint f;
  std::mt19937 random(77);
  const auto signedRun = [&](kt::MessageBuilder& b, int n, int64_t low, int64_t high) {
    const auto span = static_cast<uint64_t>(high - low) + 1;
    for (int i = 0; i < n; ++i) b.Int(low + static_cast<int64_t>(random() % span));
  };
  constexpr int kRows = 3000;
  struct Message {
    uint32_t type;
    kt::Bytes body;
  };
  std::vector<Message> messages;
  {
    kt::MessageBuilder b;  // a futures contract's minute K-line
    b.UInt(0).Ascii("IF1107.CFE").UInt(0).UInt(1).UInt(kRows).UInt(20240309).UInt(91500);
    for (int i = 1; i < kRows; ++i) b.UInt(i % 500 == 0 ? 86400 * 3 : 60 + random() % 600);
    b.UInt(1000);
    for (int i = 0; i < kRows; ++i) {
      b.Int(static_cast<int>(random() % 41) - 20);
      for (int k = 0; k < 3; ++k) b.UInt(random() % 20000);
    }
    signedRun(b.Int(120000), kRows - 1, -3000, 3000);
    signedRun(b.Int(90000000), kRows - 1, -50000000, 50000000);
    signedRun(b.UInt(300000), kRows - 1, -10, 10);
    signedRun(b.UInt(20000), kRows - 1, -100000, 100000);
    messages.push_back({5, b.Bytes()});
  }
  {
    kt::MessageBuilder b;  // a stock's day K-line
    b.UInt(0).Ascii("600000.SH").UInt(2).UInt(0x11).UInt(kRows).UInt(19991220);
    for (int i = 1; i < kRows; ++i) b.UInt(1 + random() % 40);
    b.UInt(1000);
    for (int i = 0; i < kRows; ++i) {
      b.Int(static_cast<int>(random() % 4001) - 2000);
      for (int k = 0; k < 3; ++k) b.UInt(random() % 300);
    }
    signedRun(b.Int(5000000), kRows - 1, -400000000, 400000000);
    signedRun(b.Int(80000000), kRows - 1, -(int64_t{1} << 40), int64_t{1} << 40);
    messages.push_back({3, b.Bytes()});
  }
  {
    kt::MessageBuilder b;  // level-2 deals
    b.UInt(1).UInt(0).Ascii("600000.SH");
    for (const uint32_t header : {0u, 0u, 0u, 1u}) b.UInt(header);
    b.UInt(kRows);
    signedRun(b.UInt(93000000), kRows - 1, 0, 2999);
    signedRun(b.UInt(1), kRows - 1, -1, 1);
    signedRun(b.UInt(500000), kRows - 1, -40000000, 59999999);
    signedRun(b.UInt(10250), kRows - 1, -10, 10);
    signedRun(b.UInt(1), kRows - 1, 1, 1);
    b.UInt(kRows).Int(123456789);
    messages.push_back({130, b.Bytes()});
  }
  for (const Message& message : messages) {
    const size_t size = message.body.size();
    for (size_t cut = 0; cut <= size; cut += cut + 64 < size ? std::max<size_t>(size / 97, 1) : 1) {
      const kt::Decoded part(
          kt::Frame(message.type, kt::Bytes(message.body.begin(),
                                            message.body.begin() + static_cast<long>(cut))));
      f.Add(kt::FingerprintOf(part.Result(), part.Type()));
    }
  }
  return f.Value();
}

// A time zone for one test, the host's put back afterwards.
class Zone {
 public:
  explicit Zone(const char* zone) {
    const char* old = std::getenv("TZ");
    hadZone_ = old != nullptr;
    if (hadZone_) saved_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~Zone() {
    if (hadZone_) {
      setenv("TZ", saved_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  Zone(const Zone&) = delete;
  Zone& operator=(const Zone&) = delete;

 private:
  std::string saved_;
  bool hadZone_ = false;
};

// A walk of day gaps lands where AddDaysToDate lands at every step: from
// month ends, leap days, days past the month's length (32 still splits),
// invalid dates and dates before year 1, by gaps of every sign and size.
TEST(ColumnFingerprint, DateWalkFollowsAddDaysToDate) {
  std::mt19937 random(5);
  const int starts[] = {20240131, 20240228, 20230228, 21000228, 20000229, 20240430, 20240432,
                        20241301, 10101,    0,        -20240101, 2147481231};
  for (const int start : starts) {
    for (int walk = 0; walk < 200; ++walk) {
      kestrel::DateWalk date(start);
      int expected = start;
      for (int step = 0; step < 60; ++step) {
        const uint32_t pick = random() % 8;
        const auto gap = static_cast<int32_t>(pick < 5   ? random() % 4
                                              : pick == 5 ? random() % 40
                                              : pick == 6 ? -static_cast<int32_t>(random() % 40)
                                                          : static_cast<int32_t>(random()));
        expected = kestrel::AddDaysToDate(expected, gap);
        ASSERT_EQ(date.Add(gap), expected) << start << " step " << step << " gap " << gap;
      }
    }
  }
}

// Both ways of dividing the scaled columns, four lanes at a time (where the
// processor can) and two, give the recorded values.
TEST(ColumnFingerprint, EveryValueAsRecorded) {
  for (const bool wide : {true, false}) {
    SCOPED_TRACE(wide ? "wide division" : "two lanes");
    const bool before = kestrel::AllowWideDivision(wide);
    if (!wide) {
      EXPECT_FALSE(kestrel::WideDivision());
    }
    EXPECT_EQ(CodecFingerprint(false), 0x732bb762add5e2e0u);
    kestrel::AllowWideDivision(before);
  }
}

struct ZoneCase {
  const char* zone;
  uint64_t calendar;
  uint64_t messages;
};

// Recorded from the codecs before their speed work; a change here means some
// decoded value changed. Zones without daylight saving give the same values
// (a local time is converted and converted back), so one stands for all.
constexpr ZoneCase kZones[] = {
    {"CST-8", 0xe17d3a41292a4a94u, 0x11da1fa947412dfcu},
    {"EST5EDT,M3.2.0,M11.1.0", 0x9f53bd5b53fdd841u, 0x77d3764aa3a94116u},
    {"LHST-10:30LHDT-11,M10.1.0,M4.1.0", 0xf7a9c3667f244bfcu, 0x11da1fa947412dfcu},  // half an hour of daylight saving
};

TEST(ColumnFingerprint, EveryLocalTimeAsRecorded) {
  CKestrelCode::StartUp();
  for (const ZoneCase& zone : kZones) {
    SCOPED_TRACE(zone.zone);
    const Zone local(zone.zone);
    const uint64_t calendar = CodecFingerprint(true);
    const uint64_t messages = MessageFingerprint();
    std::printf("%s: calendar 0x%016llx messages 0x%016llx\n", zone.zone,
                static_cast<unsigned long long>(calendar), static_cast<unsigned long long>(messages));
    EXPECT_EQ(calendar, zone.calendar);
    EXPECT_EQ(messages, zone.messages);
  }
}

}  // namespace

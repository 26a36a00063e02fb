// QE data plus (type 21): nine series of 5,000 rows of one security (one of
// dates, eight of doubles with their decimals) and ten parameters.
#include <cstdint>
#include <random>

#include "BenchSupport.h"

namespace kbench {
namespace {

constexpr int kRows = 5000;
constexpr int kDoubleSeries = 8;
constexpr int kParameters = 10;
constexpr uint32_t kQEDataPlus = 21;
constexpr uint32_t kHisType = 20;
constexpr uint32_t kDayPeriod = 0;
constexpr uint32_t kDoubles = 0;
constexpr uint32_t kDates = 2;

CaseData QEData() {
  std::mt19937 random(21);
  kt::MessageBuilder b;
  b.UInt(1).Raw(CompactCode("600000.SH")).UInt(kHisType).UInt(0).UInt(0);
  b.UInt(kRows).UInt(kDayPeriod).UInt(1 + kDoubleSeries);
  // Dates: the first, then gaps in days.
  UnsignedRun(b.UInt(1).UInt(kDates).UInt(0).UInt(19900102), kRows - 1, 1, 3, random);
  // Doubles: id, kind, decimals, then the first value and signed deltas.
  for (int s = 0; s < kDoubleSeries; ++s) {
    b.UInt(static_cast<uint32_t>(100 + s)).UInt(kDoubles).UInt(static_cast<uint32_t>(s % 4));
    b.Int(static_cast<int64_t>(random() % 1000000));
    const int spread = 10 << (2 * (s % 4));
    SignedRun(b, kRows - 1, -spread, spread, random);
  }
  // Parameters: id, decimals and a signed value each.
  b.UInt(kParameters);
  for (int p = 0; p < kParameters; ++p) {
    b.UInt(static_cast<uint32_t>(5 + p)).UInt(2).Int(static_cast<int64_t>(random() % 100000));
  }
  return Message(kt::Frame(kQEDataPlus, b.Bytes()), (1 + kDoubleSeries) * kRows + kParameters);
}

}  // namespace

void RegisterQEDataCases() { RegisterMessageCase("qe_data", QEData); }

}  // namespace kbench

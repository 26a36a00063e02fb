// Minute K-lines (message type 5): one series of one security at one bar
// length, a row per bar.
//
// Body: compact code (stored as sent), bar-length code, price unit factor
// (never followed by a status field), the row count, then the columns of the
// layout that the code's security type chooses. Every layout opens with the
// date and time columns, coded together from one instant (the first bar's
// date and time, then a seconds delta per bar), and the four prices on one
// base.
#include <cstdint>
#include <cstring>

#include "KestrelCode.h"
#include "KestrelData.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "codes/TernCode.h"
#include "decode/series/ColumnLayout.h"
#include "decode/series/SeriesResult.h"
#include "decode/series/SeriesSink.h"

namespace {

using kestrel::ColumnCodec;
using kestrel::ColumnSpec;

// Layouts, columns in wire order. Ids: 1 date and 2 time; 7, 6, 3, 5 the
// four prices, 7 (the lowest of a row) their base; 8 volume; 59 amount; 74
// and 76 the futures columns. Int64 columns give their multiplier and
// divisor.
constexpr ColumnSpec kFutures[] = {
    {ColumnCodec::kDateAndTime, {1, 2}},      {ColumnCodec::kPrices, {7, 6, 3, 5}},
    {ColumnCodec::kInt64Scaled, {8}, 1, 100}, {ColumnCodec::kInt64Scaled, {59}, 1, 10},
    {ColumnCodec::kDoubleU32, {74}},          {ColumnCodec::kIntDelta, {76}},
};
// Gold exchange contracts.
constexpr ColumnSpec kGold[] = {
    {ColumnCodec::kDateAndTime, {1, 2}},
    {ColumnCodec::kPrices, {7, 6, 3, 5}},
    {ColumnCodec::kInt64Scaled, {8}, 1, 100},
    {ColumnCodec::kInt64Scaled, {59}, 1, 1},
};
// Every other security: volume and amount as sent.
constexpr ColumnSpec kOthers[] = {
    {ColumnCodec::kDateAndTime, {1, 2}},
    {ColumnCodec::kPrices, {7, 6, 3, 5}},
    {ColumnCodec::kInt64Scaled, {8}, 1, 1},
    {ColumnCodec::kInt64Scaled, {59}, 1, 1},
};

// The period type of each bar-length code, by code; any other code gives
// the last.
constexpr TPeriodType kBarPeriods[] = {
    kPeriodMinuteBar0, kPeriodMinuteBar1, kPeriodMinuteBar2,
    kPeriodMinuteBar3, kPeriodMinuteBar4, kPeriodMinuteBar5,
};
constexpr uint32_t kBarCodes = sizeof kBarPeriods / sizeof kBarPeriods[0];

TPeriodType PeriodOfBar(uint32_t barCode) {
  return kBarPeriods[barCode < kBarCodes ? barCode : kBarCodes - 1];
}

// Both statuses of a minute K-line series.
constexpr int kMinuteStatus = 1;

}  // namespace

CKestrelData* CKestrelCode::DecodeMinuteKlineData(CDecodeCode& code) {
  return kestrel::DecodeIntoRecords(code, &DecodeMinuteKLineInto);
}

bool CKestrelCode::DecodeMinuteKLineInto(kestrel::SeriesSink& sink, CDecodeCode& code) {
  static constexpr kestrel::LayoutRule kLayoutRules[] = {
      {"futures", {}, &DecodeOneMinuteKLineData_Futures},
      {"SGE", {}, &DecodeOneMinuteKLineData_Gold},
  };
  const kestrel::SeriesTarget target{&sink, sink.AddSeries(1)};
  if (target.series < 0) return false;
  char text[kTernCodeSize] = {};
  ReadTernCode(code, text);
  sink.SetHeader(target.series, text, PeriodOfBar(ReadUInt32(code)), kHisKLine, kMinuteStatus,
                 kMinuteStatus);
  const std::string type = kestrel::StoreSecurityType(target);
  kestrel::ChooseLayout(kLayoutRules, type, sink.Code(target.series),
                        &DecodeOneMinuteKLineData_Others)(target, code);
  return true;
}

void CKestrelCode::DecodeMinuteKLineSeries(const kestrel::SeriesTarget& target,
                                           const kestrel::ColumnLayout& layout, CDecodeCode& code) {
  const auto factor = kestrel::ReadWrappedInt32(code);
  // The count is signed on the wire's terms: 0 or less means no columns.
  const auto count = kestrel::ReadWrappedInt32(code);
  DecodeSeriesColumns(target, layout, count, factor, kestrel::ColumnPlacement::kDeclare, code);
}

void CKestrelCode::DecodeOneMinuteKLineData_Futures(const kestrel::SeriesTarget& target,
                                                    CDecodeCode& code) {
  DecodeMinuteKLineSeries(target, kFutures, code);
}

void CKestrelCode::DecodeOneMinuteKLineData_Gold(const kestrel::SeriesTarget& target,
                                                 CDecodeCode& code) {
  DecodeMinuteKLineSeries(target, kGold, code);
}

void CKestrelCode::DecodeOneMinuteKLineData_Others(const kestrel::SeriesTarget& target,
                                                   CDecodeCode& code) {
  DecodeMinuteKLineSeries(target, kOthers, code);
}

// Day K-lines (message type 3): one series of one security, a row per
// trading day.
//
// Body: compact code, price unit factor, a status field only when the factor
// is not 0, the row count, then the columns of the layout that the code's
// security type chooses. Every layout opens with the date column (first date,
// then day gaps) and the four prices on one base; volume, amount and the
// futures columns follow with their own scales.
#include <cstdint>
#include <cstring>
#include <string_view>

#include "KestrelCode.h"
#include "KestrelData.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "codes/CodeText.h"
#include "codes/TernCode.h"
#include "decode/series/ColumnLayout.h"
#include "decode/series/SeriesResult.h"
#include "decode/series/SeriesSink.h"

namespace {

using kestrel::ColumnCodec;
using kestrel::ColumnSpec;

// Layouts, columns in wire order. Ids: 1 date; 7, 6, 3, 5 the four prices,
// 7 (the lowest of a row) their base; 8 volume; 59 amount; 74 and 76 the
// futures columns; 230 the open fund value. Int64 columns give their
// multiplier and divisor.

// Stocks, ETFs, LOFs, indexes, bonds and every type without a rule.
constexpr ColumnSpec kEtfOrLof[] = {
    {ColumnCodec::kDate, {1}},
    {ColumnCodec::kPrices, {7, 6, 3, 5}},
    {ColumnCodec::kInt64Scaled, {8}, 100, 1},
    {ColumnCodec::kInt64Scaled, {59}, 1000, 1},
};
// Gold exchange contracts (code contains "SGE"), silver excepted.
constexpr ColumnSpec kEtfOrLofGold[] = {
    {ColumnCodec::kDate, {1}},
    {ColumnCodec::kPrices, {7, 6, 3, 5}},
    {ColumnCodec::kInt64Scaled, {8}, 1, 1000},
    {ColumnCodec::kInt64Scaled, {59}, 1000, 1},
};
// Gold exchange silver contracts (code contains "SGE" and "AG").
constexpr ColumnSpec kEtfOrLofSilver[] = {
    {ColumnCodec::kDate, {1}},
    {ColumnCodec::kPrices, {7, 6, 3, 5}},
    {ColumnCodec::kInt64Scaled, {8}, 1000, 1000},
    {ColumnCodec::kInt64Scaled, {59}, 1000, 1},
};
constexpr ColumnSpec kFutures[] = {
    {ColumnCodec::kDate, {1}},
    {ColumnCodec::kPrices, {7, 6, 3, 5}},
    {ColumnCodec::kInt64Scaled, {8}, 1, 1},
    {ColumnCodec::kInt64Scaled, {59}, 10000, 1},
    {ColumnCodec::kDoubleSum, {74}},
    {ColumnCodec::kIntDelta, {76}},
};
// Futures whose code contains ".BCE": the amount as sent.
constexpr ColumnSpec kFuturesBce[] = {
    {ColumnCodec::kDate, {1}},
    {ColumnCodec::kPrices, {7, 6, 3, 5}},
    {ColumnCodec::kInt64Scaled, {8}, 1, 1},
    {ColumnCodec::kInt64Scaled, {59}, 1, 1},
    {ColumnCodec::kDoubleSum, {74}},
    {ColumnCodec::kIntDelta, {76}},
};
constexpr ColumnSpec kHK[] = {
    {ColumnCodec::kDate, {1}},
    {ColumnCodec::kPrices, {7, 6, 3, 5}},
    {ColumnCodec::kInt64Scaled, {8}, 1, 1},
    {ColumnCodec::kInt64Scaled, {59}, 10000, 1},
};
constexpr ColumnSpec kHIOrOversea[] = {
    {ColumnCodec::kDate, {1}},
    {ColumnCodec::kPrices, {7, 6, 3, 5}},
    {ColumnCodec::kInt64Scaled, {8}, 1, 1},
    {ColumnCodec::kInt64Scaled, {59}, 1000, 1},
};
constexpr ColumnSpec kOpenFund[] = {
    {ColumnCodec::kDate, {1}},
    {ColumnCodec::kDoubleU32, {230}},
};

// Bits of the status field: status new in bits 0-3, status old in bits 4-6;
// higher bits are ignored.
constexpr uint32_t kStatusBits = 0x7f;
constexpr uint32_t kStatusNewMask = 0x0f;
constexpr int kStatusOldShift = 4;
// Both statuses when the series has no status field (factor 0).
constexpr int kStatusWithoutField = 1;

bool CodeContains(const kestrel::SeriesTarget& target, std::string_view part) {
  return kestrel::CodeText(target.sink->Code(target.series)).Contains(part);
}

}  // namespace

CKestrelData* CKestrelCode::DecodeDayKLineData(CDecodeCode& code) {
  return kestrel::DecodeIntoRecords(code, &DecodeDayKLineInto);
}

bool CKestrelCode::DecodeDayKLineInto(kestrel::SeriesSink& sink, CDecodeCode& code) {
  // The first matching rule chooses the layout; every other security type,
  // the empty one included, takes the ETF/LOF layout.
  static constexpr kestrel::LayoutRule kLayoutRules[] = {
      {"futures", {}, &DecodeDayKLineData_Futrues},
      {"oversea_futures", ".ICE", &DecodeDayKLineData_HK},
      {"oversea_futures", {}, &DecodeDayKLineData_Futrues},
      {"HK", {}, &DecodeDayKLineData_HK},
      {"O", {}, &DecodeDayKLineData_HI_or_Oversea},
      {"A", {}, &DecodeDayKLineData_HI_or_Oversea},
      {"N", {}, &DecodeDayKLineData_HI_or_Oversea},
      {"L", {}, &DecodeDayKLineData_HI_or_Oversea},
      {"SG", {}, &DecodeDayKLineData_HI_or_Oversea},
      {"TW", {}, &DecodeDayKLineData_HI_or_Oversea},
      {"HI", {}, &DecodeDayKLineData_HI_or_Oversea},
      {"open_fund", {}, &DecodeDayKLineData_OpenFund},
      {"XT", {}, &DecodeDayKLineData_OpenFund},
      {"xt", {}, &DecodeDayKLineData_OpenFund},
  };
  const kestrel::SeriesTarget target{&sink, sink.AddSeries(1)};
  if (target.series < 0) return false;
  char text[kTernCodeSize] = {};
  ReadTernCode(code, text);
  RealCodeToBondCode(text);
  sink.SetHeader(target.series, text, kPeriodDay, kHisKLine, 0, 0);
  const std::string type = kestrel::StoreSecurityType(target);
  kestrel::ChooseLayout(kLayoutRules, type, sink.Code(target.series),
                        &DecodeDayKLineData_Etf_or_Lof)(target, code);
  return true;
}

void CKestrelCode::Get_PriceUnitFactor_StatusNew_StatusOld(int* factor,
                                                           const kestrel::SeriesTarget& target,
                                                           CDecodeCode& code) {
  *factor = kestrel::ReadWrappedInt32(code);
  int statusNew = kStatusWithoutField;
  int statusOld = kStatusWithoutField;
  if (*factor != 0) {
    const uint32_t status = ReadUInt32(code) & kStatusBits;
    statusNew = static_cast<int>(status & kStatusNewMask);
    statusOld = static_cast<int>(status >> kStatusOldShift);
  }
  target.sink->SetStatus(target.series, statusNew, statusOld);
}

void CKestrelCode::DecodeDayKLineSeries(const kestrel::SeriesTarget& target,
                                        const kestrel::ColumnLayout& layout, CDecodeCode& code) {
  int factor = 0;
  Get_PriceUnitFactor_StatusNew_StatusOld(&factor, target, code);
  // The count is signed on the wire's terms: 0 or less means no columns.
  const auto count = kestrel::ReadWrappedInt32(code);
  DecodeSeriesColumns(target, layout, count, factor, kestrel::ColumnPlacement::kDeclare, code);
}

void CKestrelCode::DecodeDayKLineData_Futrues(const kestrel::SeriesTarget& target,
                                              CDecodeCode& code) {
  const bool bce = CodeContains(target, ".BCE");
  DecodeDayKLineSeries(target, bce ? kestrel::ColumnLayout(kFuturesBce) : kFutures, code);
}

void CKestrelCode::DecodeDayKLineData_HK(const kestrel::SeriesTarget& target, CDecodeCode& code) {
  DecodeDayKLineSeries(target, kHK, code);
}

void CKestrelCode::DecodeDayKLineData_HI_or_Oversea(const kestrel::SeriesTarget& target,
                                                    CDecodeCode& code) {
  DecodeDayKLineSeries(target, kHIOrOversea, code);
}

void CKestrelCode::DecodeDayKLineData_OpenFund(const kestrel::SeriesTarget& target,
                                               CDecodeCode& code) {
  DecodeDayKLineSeries(target, kOpenFund, code);
}

void CKestrelCode::DecodeDayKLineData_Etf_or_Lof(const kestrel::SeriesTarget& target,
                                                 CDecodeCode& code) {
  if (!CodeContains(target, "SGE")) {
    DecodeDayKLineSeries(target, kEtfOrLof, code);
    return;
  }
  char* stored = const_cast<char*>(target.sink->Code(target.series));
  const bool silver = Is_Au_Ag_Pt(stored, "AG");
  DecodeDayKLineSeries(target, silver ? kestrel::ColumnLayout(kEtfOrLofSilver) : kEtfOrLofGold,
                       code);
}

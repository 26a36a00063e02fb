// Formalized trends (message type 17): the minute trend of one security and,
// for most markets, its last deals.
//
// Body: presence field (0 or less, as a signed number: nothing follows),
// compact code, then the parts of the market that the code's security type
// chooses: the trend part (row count, then its columns), the deal part (row
// count, then its columns; ETF/LOF codes that publish an IOPV have none) and,
// for HK, TW, overseas stocks, futures and indexes, one extra column with a
// count of its own. A row count of 0 or less ends its part at once.
//
// The code is stored as its display form (a bond's real code YTM_019003.SH
// becomes 019003.SH); bonds alone take their price unit factor from the form
// sent: 4 decimals for a real code, else 3.
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "KestrelCode.h"
#include "KestrelData.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "codes/CodeText.h"
#include "codes/TernCode.h"
#include "decode/history/Formalized.h"
#include "decode/series/ColumnLayout.h"
#include "decode/series/SeriesResult.h"
#include "decode/series/SeriesSink.h"

namespace {

namespace layouts = kestrel::formalized;

// The series of a market entry: the trend, then the deals.
constexpr int kTrendRecord = 0;
constexpr int kDealRecord = 1;
constexpr int kTrendAndDeal = 2;
constexpr int kTrendOnly = 1;

// Price unit factors of bonds, by the form of the code sent.
constexpr int kBondRealCodeFactor = 4;
constexpr int kBondCodeFactor = 3;

using PartOperation = void (*)(const kestrel::SeriesTarget& target, char* code,
                               CDecodeCode& cursor);
using ExtraOperation = void (*)(kestrel::SeriesSink& sink, char* code, CDecodeCode& cursor);

// The series of a market entry, labelled with the security type: the target
// of the first, whose index is -1 when they cannot be made.
kestrel::SeriesTarget OpenSeries(kestrel::SeriesSink& sink, int count, const std::string& type) {
  return {&sink, kestrel::AddLabelledSeries(sink, count, type)};
}
kestrel::SeriesTarget Next(const kestrel::SeriesTarget& target, int offset) {
  return {target.sink, target.series + offset};
}

// The common shape of a market entry: the trend part into series 0, the deal
// part into series 1, then the extra column, if any.
void DecodeMarket(kestrel::SeriesSink& sink, char* code, const std::string& type,
                  PartOperation trend, PartOperation deal, ExtraOperation extra,
                  CDecodeCode& cursor) {
  const kestrel::SeriesTarget first = OpenSeries(sink, kTrendAndDeal, type);
  if (first.series < 0) return;
  trend(Next(first, kTrendRecord), code, cursor);
  deal(Next(first, kDealRecord), code, cursor);
  if (extra != nullptr) extra(sink, code, cursor);
}

// A market entry as the type table calls it: with the bond factor, which
// only the bond entry uses.
using Entry = void (*)(kestrel::SeriesSink& sink, char* code, std::string type, int bondFactor,
                       CDecodeCode& cursor);
using EntryWithoutFactor = void (*)(kestrel::SeriesSink& sink, char* code, std::string type,
                                    CDecodeCode& cursor);
template <EntryWithoutFactor entry>
void IgnoringFactor(kestrel::SeriesSink& sink, char* code, std::string type, int,
                    CDecodeCode& cursor) {
  entry(sink, code, std::move(type), cursor);
}

struct EntryRow {
  std::string_view key;  // security type
  Entry entry;
};

}  // namespace

CKestrelData* CKestrelCode::DecodeFormalizedTrend(CDecodeCode& cursor) {
  return kestrel::DecodeIntoRecords(cursor, &DecodeFormalizedTrendInto);
}

bool CKestrelCode::DecodeFormalizedTrendInto(kestrel::SeriesSink& sink, CDecodeCode& cursor) {
  // ETF and LOF codes that publish an IOPV carry a trend and no deals.
  static constexpr Entry kEtfOrLof = [](kestrel::SeriesSink& sink, char* code, std::string type,
                                        int, CDecodeCode& cursor) {
    const EntryWithoutFactor entry =
        IsIOPVCode(code) ? &DecodeFormalizedTrend_IOPV : &DecodeFormalizedTrend_ETFLOF;
    entry(sink, code, std::move(type), cursor);
  };
  // The market entry of each security type; other types get no series.
  static constexpr EntryRow kEntries[] = {
      {"bond_sh", &DecodeFormalizedTrend_Bond},
      {"bond_sz", &DecodeFormalizedTrend_Bond},
      {"HK", IgnoringFactor<&DecodeFormalizedTrend_HK>},
      {"index_sh", IgnoringFactor<&DecodeFormalizedTrend_I>},
      {"index_sz", IgnoringFactor<&DecodeFormalizedTrend_I>},
      {"HI", IgnoringFactor<&DecodeFormalizedTrend_I>},
      {"QI", IgnoringFactor<&DecodeFormalizedTrend_I>},
      {"CSI", IgnoringFactor<&DecodeFormalizedTrend_I>},
      {"GI", IgnoringFactor<&DecodeFormalizedTrend_I>},
      {"XI", IgnoringFactor<&DecodeFormalizedTrend_I>},
      {"open_fund_enav", IgnoringFactor<&DecodeFormalizedTrend_I>},
      {"stock_a", IgnoringFactor<&DecodeFormalizedTrend_A>},
      {"warrant", IgnoringFactor<&DecodeFormalizedTrend_A>},
      {"stock_b", IgnoringFactor<&DecodeFormalizedTrend_A>},
      {"close_fund", IgnoringFactor<&DecodeFormalizedTrend_A>},
      {"bond_r", IgnoringFactor<&DecodeFormalizedTrend_A>},
      {"etf", kEtfOrLof},
      {"lof", kEtfOrLof},
      {"futures", IgnoringFactor<&DecodeFormalizedTrend_Futures>},
      {"fx", IgnoringFactor<&DecodeFormalizedTrend_Fx>},
      {"FX", IgnoringFactor<&DecodeFormalizedTrend_Fx>},
      {"ex", IgnoringFactor<&DecodeFormalizedTrend_Fx>},
      {"EX", IgnoringFactor<&DecodeFormalizedTrend_Fx>},
      {"fx_ons", IgnoringFactor<&DecodeFormalizedTrend_Fx>},
      {"TW", IgnoringFactor<&DecodeFormalizedTrend_TW>},
      {"O", IgnoringFactor<&DecodeFormalizedTrend_Oversea>},
      {"A", IgnoringFactor<&DecodeFormalizedTrend_Oversea>},
      {"N", IgnoringFactor<&DecodeFormalizedTrend_Oversea>},
      {"L", IgnoringFactor<&DecodeFormalizedTrend_Oversea>},
      {"SG", IgnoringFactor<&DecodeFormalizedTrend_Oversea>},
      {"SGE", IgnoringFactor<&DecodeFormalizedTrend_Gold>},
      {"oversea_futures", IgnoringFactor<&DecodeFormalizedTrend_OverseaFutures>},
  };
  char sent[kTernCodeSize] = {};
  if (!ReadFormalizedCode(sent, cursor)) return true;
  char code[kTernCodeSize] = {};
  std::memcpy(code, sent, sizeof code);
  RealCodeToBondCode(code);
  const std::string type = GetSecurityType(code);
  const int bondFactor = IsBondRealCode(sent) ? kBondRealCodeFactor : kBondCodeFactor;
  if (const EntryRow* row = kestrel::FindRow(kEntries, type)) {
    row->entry(sink, code, type, bondFactor, cursor);
  }
  return true;
}

// Market entries.

void CKestrelCode::DecodeFormalizedTrend_A(kestrel::SeriesSink& sink, char* code, std::string type,
                                           CDecodeCode& cursor) {
  const kestrel::SeriesTarget first = OpenSeries(sink, kTrendAndDeal, type);
  if (first.series < 0) return;
  DecodeMiniteTrendData_A(Next(first, kTrendRecord), code, cursor);
  DecodeLast24Deal_A(Next(first, kDealRecord), code, cursor);
}

void CKestrelCode::DecodeFormalizedTrend_ETFLOF(kestrel::SeriesSink& sink, char* code,
                                                std::string type, CDecodeCode& cursor) {
  DecodeFormalizedTrend_A(sink, code, std::move(type), cursor);
}

void CKestrelCode::DecodeFormalizedTrend_HK(kestrel::SeriesSink& sink, char* code, std::string type,
                                            CDecodeCode& cursor) {
  DecodeMarket(sink, code, type, &DecodeMiniteTrendData_HK, &DecodeLast24Deal_HK,
               &DecodeMiniteAveragePriceData_HK, cursor);
}

void CKestrelCode::DecodeFormalizedTrend_TW(kestrel::SeriesSink& sink, char* code, std::string type,
                                            CDecodeCode& cursor) {
  DecodeFormalizedTrend_HK(sink, code, std::move(type), cursor);
}

void CKestrelCode::DecodeFormalizedTrend_Oversea(kestrel::SeriesSink& sink, char* code,
                                                 std::string type, CDecodeCode& cursor) {
  DecodeFormalizedTrend_HK(sink, code, std::move(type), cursor);
}

void CKestrelCode::DecodeFormalizedTrend_Futures(kestrel::SeriesSink& sink, char* code,
                                                 std::string type, CDecodeCode& cursor) {
  DecodeMarket(sink, code, type, &DecodeMiniteTrendData_HK, &DecodeLast24Deal_Futures,
               &DecodeMiniteAveragePriceData_HK, cursor);
}

void CKestrelCode::DecodeFormalizedTrend_I(kestrel::SeriesSink& sink, char* code, std::string type,
                                           CDecodeCode& cursor) {
  DecodeMarket(sink, code, type, &DecodeMiniteTrendData_I, &DecodeLast24Deal_I,
               &DecodeLast24DealAmount_I, cursor);
}

void CKestrelCode::DecodeFormalizedTrend_Gold(kestrel::SeriesSink& sink, char* code,
                                              std::string type, CDecodeCode& cursor) {
  DecodeMarket(sink, code, type, &DecodeMiniteTrendData_Fx_Gold, &DecodeLast24Deal_Fx_Gold, nullptr,
               cursor);
}

void CKestrelCode::DecodeFormalizedTrend_Fx(kestrel::SeriesSink& sink, char* code, std::string type,
                                            CDecodeCode& cursor) {
  DecodeFormalizedTrend_Gold(sink, code, std::move(type), cursor);
}

void CKestrelCode::DecodeFormalizedTrend_OverseaFutures(kestrel::SeriesSink& sink, char* code,
                                                        std::string type, CDecodeCode& cursor) {
  DecodeMarket(sink, code, type, &DecodeMiniteTrendData_OverseaFutures,
               &DecodeLast24Deal_OverseaFutures, nullptr, cursor);
}

void CKestrelCode::DecodeFormalizedTrend_Bond(kestrel::SeriesSink& sink, char* code,
                                              std::string type, int factor, CDecodeCode& cursor) {
  const kestrel::SeriesTarget first = OpenSeries(sink, kTrendAndDeal, type);
  if (first.series < 0) return;
  DecodeMiniteTrendData_Bond(Next(first, kTrendRecord), code, factor, cursor);
  DecodeLast24Deal_Bond(Next(first, kDealRecord), code, factor, cursor);
}

void CKestrelCode::DecodeFormalizedTrend_IOPV(kestrel::SeriesSink& sink, char* code,
                                              std::string type, CDecodeCode& cursor) {
  const kestrel::SeriesTarget first = OpenSeries(sink, kTrendOnly, type);
  if (first.series < 0) return;
  DecodeMinuteTrendData_IOPV(Next(first, kTrendRecord), code, cursor);
}

// Trend operations: each picks the layout of its market.

void CKestrelCode::DecodeMiniteTrendData_A(const kestrel::SeriesTarget& target, char* code,
                                           CDecodeCode& cursor) {
  DecodeFormalizedPart(target, code, kHisMinuteTrend, layouts::kTrendA, GetPriceUnitFactor(code),
                       cursor);
}

void CKestrelCode::DecodeMiniteTrendData_HK(const kestrel::SeriesTarget& target, char* code,
                                            CDecodeCode& cursor) {
  const bool futures = layouts::HasSecurityType(code, "futures");
  DecodeFormalizedPart(target, code, kHisMinuteTrend,
                       futures ? kestrel::ColumnLayout(layouts::kTrendFutures) : layouts::kTrendHK,
                       GetPriceUnitFactor(code), cursor);
}

void CKestrelCode::DecodeMiniteTrendData_I(const kestrel::SeriesTarget& target, char* code,
                                           CDecodeCode& cursor) {
  DecodeFormalizedPart(target, code, kHisMinuteTrend, layouts::kTrendIndex,
                       GetPriceUnitFactor(code), cursor);
}

void CKestrelCode::DecodeMiniteTrendData_Bond(const kestrel::SeriesTarget& target, char* code,
                                              int factor, CDecodeCode& cursor) {
  DecodeFormalizedPart(target, code, kHisMinuteTrend, layouts::kTrendIndex, factor, cursor);
}

void CKestrelCode::DecodeMiniteTrendData_Fx_Gold(const kestrel::SeriesTarget& target, char* code,
                                                 CDecodeCode& cursor) {
  DecodeFormalizedPart(target, code, kHisMinuteTrend, layouts::DatedLayout(code),
                       GetPriceUnitFactor(code), cursor);
}

void CKestrelCode::DecodeMiniteTrendData_OverseaFutures(const kestrel::SeriesTarget& target,
                                                        char* code, CDecodeCode& cursor) {
  DecodeFormalizedPart(target, code, kHisMinuteTrend, layouts::kDated, GetPriceUnitFactor(code),
                       cursor);
}

void CKestrelCode::DecodeMinuteTrendData_IOPV(const kestrel::SeriesTarget& target, char* code,
                                              CDecodeCode& cursor) {
  DecodeFormalizedPart(target, code, kHisMinuteTrend, layouts::kTrendIopv, GetPriceUnitFactor(code),
                       cursor);
}

// The average price of HK, TW, overseas stocks and futures follows the deals
// with its own count, and joins the trend series.
void CKestrelCode::DecodeMiniteAveragePriceData_HK(kestrel::SeriesSink& sink, char* code,
                                                   CDecodeCode& cursor) {
  AppendCountedColumn(sink, kHisMinuteTrend, layouts::kExtraAveragePrice, GetPriceUnitFactor(code),
                      cursor);
}

// Last deals of one security: the deal operations that the formalized trend
// message (type 17) runs after its trend, and the formalized deal message
// (type 18), which carries the deals alone.
//
// Type 18 body: presence field (0 or less, as a signed number: nothing
// follows), compact code, then one deal part: row count and the columns of
// the layout that the code's security type chooses. Its choice of layout is
// its own: bonds take the A-share layout with their ordinary price unit
// factor, ETF/LOF codes that publish an IOPV still get deals, overseas
// futures take the domestic futures layout, and no extra column follows.
//
// A-share and bond deals end in two numbers and the id-92 column; the first
// number, when 1 or more, announces the column for A shares, and becomes the
// one value (id 71) of a quote record.
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

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
#include "model/ValueTypes.h"

namespace {

namespace layouts = kestrel::formalized;

// The indicator of the quote record that A-share deals may add.
constexpr int kDealQuoteId = 71;

// Whether the id-92 column follows the two numbers after the flags: for A
// shares only when the first announces it, for bonds always.
constexpr bool kTailWhenAnnounced = false;
constexpr bool kTailAlways = true;

// Codes of ".HI" indexes (in any case) carry the amount in their deal
// layout, so no amount column follows.
bool IsHIIndex(const char* code) {
  return kestrel::UpperCased(code).View().find(".HI") != std::string_view::npos;
}

// Gives `data` one quote record of the code holding the single int `value`
// as indicator 71. Nothing when the record or its entry cannot be made.
void StoreDealQuote(CKestrelData* data, char* code, int value) {
  data->SetQuoteDataNum(1);
  data->SetQuoteData();
  CKestrelQuoteData* quote = data->GetKestrelQuoteData();
  if (quote == nullptr) return;
  quote->SetTernCode(code, static_cast<int>(std::strlen(code)));
  CIndexToValue* values = quote->GetIndexToValue();
  values->SetNum(1);
  values->SetDatas();
  if (values->GetNum() != 1) return;
  values->GetIndexId()[0] = kDealQuoteId;
  values->GetValueType()[0] = kValueInt;
  values->GetOneIndexValueNum()[0] = 1;
  values->SetOneNoPointerIndexValue(0, &value);
}

using DealOperation = void (*)(const kestrel::SeriesTarget& target, char* code,
                               CDecodeCode& cursor);

struct DealRow {
  std::string_view key;  // security type
  DealOperation deal;
};

}  // namespace

CKestrelData* CKestrelCode::DecodeFormalizedDeal(CDecodeCode& cursor) {
  return kestrel::DecodeIntoRecords(cursor, &DecodeFormalizedDealInto);
}

bool CKestrelCode::DecodeFormalizedDealInto(kestrel::SeriesSink& sink, CDecodeCode& cursor) {
  // The deal operation of each security type; other types get a record that
  // holds only the security type.
  static constexpr DealRow kDeals[] = {
      {"bond_sh", &DecodeLast24Deal_A},
      {"bond_sz", &DecodeLast24Deal_A},
      {"stock_a", &DecodeLast24Deal_A},
      {"warrant", &DecodeLast24Deal_A},
      {"stock_b", &DecodeLast24Deal_A},
      {"close_fund", &DecodeLast24Deal_A},
      {"bond_r", &DecodeLast24Deal_A},
      {"HK", &DecodeLast24Deal_HK},
      {"SG", &DecodeLast24Deal_HK},
      {"TW", &DecodeLast24Deal_HK},
      {"O", &DecodeLast24Deal_HK},
      {"A", &DecodeLast24Deal_HK},
      {"N", &DecodeLast24Deal_HK},
      {"L", &DecodeLast24Deal_HK},
      {"index_sh", &DecodeLast24Deal_I},
      {"index_sz", &DecodeLast24Deal_I},
      {"etf", &DecodeLast24Deal_ETFLOF},
      {"lof", &DecodeLast24Deal_ETFLOF},
      {"futures", &DecodeLast24Deal_Futures},
      {"oversea_futures", &DecodeLast24Deal_Futures},
      {"fx", &DecodeLast24Deal_Fx_Gold},
      {"FX", &DecodeLast24Deal_Fx_Gold},
      {"sge", &DecodeLast24Deal_Fx_Gold},
      {"SGE", &DecodeLast24Deal_Fx_Gold},
  };
  char code[kTernCodeSize] = {};
  if (!ReadFormalizedCode(code, cursor)) return true;
  RealCodeToBondCode(code);
  const std::string type = GetSecurityType(code);
  const kestrel::SeriesTarget target{&sink, kestrel::AddLabelledSeries(sink, 1, type)};
  if (target.series < 0) return false;
  if (const DealRow* row = kestrel::FindRow(kDeals, type)) row->deal(target, code, cursor);
  return true;
}

int32_t CKestrelCode::DecodeDealWithTail(const kestrel::SeriesTarget& target, char* code,
                                         int factor, bool tailAlways, CDecodeCode& cursor) {
  const int rows =
      DecodeFormalizedPart(target, code, kHisLast24Deal, layouts::kDealFlagged, factor, cursor);
  if (rows < 1) return 0;
  const auto announced = kestrel::ReadWrappedInt32(cursor);
  ReadUInt32(cursor);  // the second number is not kept
  // An id-92 column that is not sent stands in the record with no values
  // and no storage.
  DecodeSeriesColumns(target, layouts::kDealTail, tailAlways || announced >= 1 ? rows : 0, factor,
                      kestrel::ColumnPlacement::kAppend, cursor);
  return announced;
}

void CKestrelCode::DecodeLast24Deal_A(const kestrel::SeriesTarget& target, char* code,
                                      CDecodeCode& cursor) {
  const int32_t announced =
      DecodeDealWithTail(target, code, GetPriceUnitFactor(code), kTailWhenAnnounced, cursor);
  // The quote record is no series: only a sink of records keeps it.
  CKestrelData* data = target.sink->Records();
  if (announced >= 1 && data != nullptr) StoreDealQuote(data, code, announced);
}

void CKestrelCode::DecodeLast24Deal_ETFLOF(const kestrel::SeriesTarget& target, char* code,
                                           CDecodeCode& cursor) {
  DecodeLast24Deal_A(target, code, cursor);
}

void CKestrelCode::DecodeLast24Deal_Bond(const kestrel::SeriesTarget& target, char* code,
                                         int factor, CDecodeCode& cursor) {
  DecodeDealWithTail(target, code, factor, kTailAlways, cursor);
}

void CKestrelCode::DecodeLast24Deal_HK(const kestrel::SeriesTarget& target, char* code,
                                       CDecodeCode& cursor) {
  DecodeFormalizedPart(target, code, kHisLast24Deal, layouts::kDealFlagged,
                       GetPriceUnitFactor(code), cursor);
}

void CKestrelCode::DecodeLast24Deal_Futures(const kestrel::SeriesTarget& target, char* code,
                                            CDecodeCode& cursor) {
  DecodeFormalizedPart(target, code, kHisLast24Deal, layouts::kDealFutures,
                       GetPriceUnitFactor(code), cursor);
}

void CKestrelCode::DecodeLast24Deal_I(const kestrel::SeriesTarget& target, char* code,
                                      CDecodeCode& cursor) {
  DecodeFormalizedPart(
      target, code, kHisLast24Deal,
      IsHIIndex(code) ? kestrel::ColumnLayout(layouts::kDealHI) : layouts::kDealIndex,
      GetPriceUnitFactor(code), cursor);
}

void CKestrelCode::DecodeLast24Deal_Fx_Gold(const kestrel::SeriesTarget& target, char* code,
                                            CDecodeCode& cursor) {
  DecodeFormalizedPart(target, code, kHisLast24Deal, layouts::DatedLayout(code),
                       GetPriceUnitFactor(code), cursor);
}

void CKestrelCode::DecodeLast24Deal_OverseaFutures(const kestrel::SeriesTarget& target, char* code,
                                                   CDecodeCode& cursor) {
  DecodeFormalizedPart(target, code, kHisLast24Deal, layouts::kDated, GetPriceUnitFactor(code),
                       cursor);
}

// The amount of index deals follows the deal part with a count of its own,
// and joins the deal record.
void CKestrelCode::DecodeLast24DealAmount_I(kestrel::SeriesSink& sink, char* code,
                                            CDecodeCode& cursor) {
  if (IsHIIndex(code)) return;
  // The amount is stored as sent: no decimals apply.
  AppendCountedColumn(sink, kHisLast24Deal, layouts::kExtraAmount, 0, cursor);
}
